#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "plasma/plasma.h"
#include "plasma/plasma_image.h"

namespace {

void ExpectEntry(int entry, int red, int green, int blue) {
  EXPECT_EQ(palette[entry][0], red) << "entry " << entry;
  EXPECT_EQ(palette[entry][1], green) << "entry " << entry;
  EXPECT_EQ(palette[entry][2], blue) << "entry " << entry;
}

TEST(Palette, EdgesOfEachRamp) {
  BuildPalette();
  ExpectEntry(0, 0, 0, 252);
  ExpectEntry(63, 0, 252, 0);
  ExpectEntry(64, 0, 252, 0);
  ExpectEntry(127, 252, 0, 0);
  ExpectEntry(128, 255, 0, 0);
  ExpectEntry(191, 255, 252, 0);
  ExpectEntry(192, 252, 252, 0);
  ExpectEntry(255, 0, 0, 252);
  ExpectEntry(46, 0, 184, 68);
  ExpectEntry(183, 255, 220, 0);
  ExpectEntry(208, 188, 188, 64);
}

TEST(Palette, WritesEveryByteWhateverWasThereBefore) {
  std::memset(palette, 0xAB, sizeof palette);
  BuildPalette();
  std::uint8_t first[kPaletteEntries][3];
  std::memcpy(first, palette, sizeof palette);
  std::memset(palette, 0x00, sizeof palette);
  BuildPalette();
  EXPECT_EQ(std::memcmp(first, palette, sizeof palette), 0);
}

TEST(Palette, NeighboursDifferByOneStepSoCyclingHasNoSeam) {
  BuildPalette();
  for (int entry = 0; entry < kPaletteEntries; ++entry) {
    const int next = (entry + 1) % kPaletteEntries;
    int largest = 0;
    for (int channel = 0; channel < 3; ++channel) {
      largest = std::max(largest, std::abs(palette[next][channel] - palette[entry][channel]));
    }
    EXPECT_LE(largest, 4) << "from entry " << entry;
  }
}

}  // namespace
