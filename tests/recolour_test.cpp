#include <gtest/gtest.h>

#include "plasma/recolour.h"
#include "plasma_buffers.h"
#include "reference_plasma.h"

namespace {

using Rgb = std::vector<std::uint8_t>;

class Recolour : public PlasmaBuffers {
 protected:
  void SetUp() override {
    PlasmaBuffers::SetUp();
    GeneratePlasma(false);
    firstImage = rgb;
  }
  Rgb firstImage;
};

TEST_F(Recolour, WholeTurnOfTheClockGivesTheFirstImageWithRingRowsInEntryZero) {
  for (std::uint32_t ticks : {0u, 256u, 512000u, 4294967040u}) {
    RecolourPlasma(ticks);
    for (int row = 0; row < kPlasmaSize; ++row) {
      for (int column = 0; column < kPlasmaSize; ++column) {
        const Rgb expected = row % 32 == 0 ? Rgb{0, 0, 252} : Colour(firstImage, row, column);
        ASSERT_EQ(Colour(rgb, row, column), expected) << row << "," << column << " at " << ticks;
      }
    }
  }
}

TEST_F(Recolour, TickCountsAMultipleOf256ApartGiveIdenticalImages) {
  for (std::uint32_t ticks : {10u, 250u, 4294967290u}) {
    RecolourPlasma(ticks);
    const Rgb earlier = rgb;
    RecolourPlasma(ticks + 256u * 37u);  // wraps past 2^32 for the last one
    EXPECT_TRUE(rgb == earlier) << ticks;
  }
}

TEST_F(Recolour, ShiftsEachIndexByTheClock) {
  std::fill(indices.begin(), indices.end(), 46);
  RecolourPlasma(10);
  EXPECT_EQ(Colour(rgb, 300, 7), (Rgb{0, 224, 28}));  // entry 56
  RecolourPlasma(250);
  EXPECT_EQ(Colour(rgb, 511, 511), (Rgb{0, 160, 92}));  // entry 40
}

// Every index value at every column position of the wide groups, and the real plasma.
void ExpectPlainLoopBytes(std::vector<std::uint8_t>& indices, Rgb& rgb, void (*recolour)(std::uint32_t)) {
  Rgb expected(kRgbImageBytes);
  for (bool pattern : {true, false}) {
    if (pattern) {
      for (std::size_t i = 0; i < indices.size(); ++i) {
        indices[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
      }
    } else {
      GeneratePlasma(false);
    }
    for (std::uint32_t ticks : {0u, 1u, 17u, 128u, 255u, 257u, 65535u, 2147483648u, 4294967295u}) {
      std::fill(rgb.begin(), rgb.end(), 0xEE);
      recolour(ticks);
      reference::Recolour(indices.data(), ticks, expected.data());
      ASSERT_TRUE(rgb == expected) << "at " << ticks << (pattern ? " on the pattern" : "");
    }
  }
}

TEST_F(Recolour, EqualsThePlainLoopAtManyTickCounts) {
  ExpectPlainLoopBytes(indices, rgb, RecolourPlasma);
}

TEST_F(Recolour, PortableWayEqualsThePlainLoop) {
  ExpectPlainLoopBytes(indices, rgb, RecolourPlasmaPortable);
}

TEST_F(Recolour, WideWayEqualsThePlainLoop) {
  if (!CanRecolourPlasmaWide()) {
    GTEST_SKIP() << "this processor has no 64-byte table look-ups";
  }
  ExpectPlainLoopBytes(indices, rgb, RecolourPlasmaWide);
}

}  // namespace
