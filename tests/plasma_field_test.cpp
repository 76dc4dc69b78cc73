#include <gtest/gtest.h>

#include <algorithm>

#include "plasma_buffers.h"
#include "reference_plasma.h"

namespace {

using Rgb = std::vector<std::uint8_t>;

struct Sample {
  int row, column, level, index;
  Rgb colour;
};

// Known values of the full plasma.
const Sample kSamples[] = {
    {0, 0, 302, 46, {0, 184, 68}},     {0, 1, 307, 51, {0, 204, 48}},
    {1, 0, 306, 50, {0, 200, 52}},     {240, 320, 183, 183, {255, 220, 0}},
    {511, 511, 335, 79, {60, 192, 0}},
};

bool IsClearedRow(int row) { return row % 32 == 0; }

using PlasmaField = PlasmaBuffers;

TEST_F(PlasmaField, OracleAgreesWithKnownValuesAndRange) {
  for (const Sample& s : kSamples) {
    EXPECT_EQ(reference::PlasmaLevel(s.row, s.column, false), s.level);
  }
  int lowest = 1000;
  int highest = -1;
  int wrapped = 0;
  for (int row = 0; row < kPlasmaSize; ++row) {
    for (int column = 0; column < kPlasmaSize; ++column) {
      const int level = reference::PlasmaLevel(row, column, false);
      lowest = std::min(lowest, level);
      highest = std::max(highest, level);
      wrapped += level >= 256;
    }
  }
  EXPECT_EQ(lowest, 45);
  EXPECT_EQ(highest, 464);
  EXPECT_GT(wrapped, static_cast<int>(kTexelCount / 2));
}

TEST_F(PlasmaField, FullPlasmaMatchesKnownTexels) {
  GeneratePlasma(false);
  for (const Sample& s : kSamples) {
    EXPECT_EQ(Colour(rgb, s.row, s.column), s.colour) << s.row << "," << s.column;
    if (!IsClearedRow(s.row)) {
      EXPECT_EQ(indices[std::size_t{kPlasmaSize} * s.row + s.column], s.index);
    }
  }
}

TEST_F(PlasmaField, BothVariantsEqualTheFormulaAtEveryTexel) {
  for (bool stupid : {false, true}) {
    std::vector<std::uint8_t> expectedIndices(kIndexMapBytes);
    std::vector<std::uint8_t> expectedRgb(kRgbImageBytes);
    reference::GeneratePlasma(stupid, expectedIndices.data(), expectedRgb.data());
    std::fill(indices.begin(), indices.end(), 0xEE);
    std::fill(rgb.begin(), rgb.end(), 0xEE);
    GeneratePlasma(stupid);
    EXPECT_TRUE(indices == expectedIndices) << "stupid " << stupid;
    EXPECT_TRUE(rgb == expectedRgb) << "stupid " << stupid;
  }
}

TEST_F(PlasmaField, StupidPlasmaIsHorizontalBands) {
  EXPECT_EQ(reference::PlasmaValue(0, 0, true), 255.0);
  GeneratePlasma(true);
  for (int column = 0; column < kPlasmaSize; ++column) {
    EXPECT_EQ(Colour(rgb, 0, column), (Rgb{0, 0, 252}));  // index 255
    EXPECT_EQ(indices[std::size_t{kPlasmaSize} + column], 6);  // row 1: 262 wraps to 6
  }
  for (int row = 0; row < kPlasmaSize; ++row) {
    const auto first = indices.begin() + std::ptrdiff_t{kPlasmaSize} * row;
    EXPECT_TRUE(std::all_of(first, first + kPlasmaSize, [&](std::uint8_t i) { return i == *first; }))
        << "row " << row;
  }
}

TEST_F(PlasmaField, EveryThirtySecondIndexRowIsClearedButKeepsItsColours) {
  for (bool stupid : {false, true}) {
    GeneratePlasma(stupid);
    for (int row = 0; row < kPlasmaSize; ++row) {
      const auto first = indices.begin() + std::ptrdiff_t{kPlasmaSize} * row;
      const bool allZero = std::all_of(first, first + kPlasmaSize, [](std::uint8_t i) { return i == 0; });
      // The bands reach index 0 on their own in a few rows; the full plasma never does.
      if (IsClearedRow(row) || !stupid) {
        EXPECT_EQ(allZero, IsClearedRow(row)) << "row " << row << " stupid " << stupid;
      }
    }
  }
  GeneratePlasma(false);
  EXPECT_EQ(Colour(rgb, 0, 0), (Rgb{0, 184, 68}));
  for (int row = 0; row < kPlasmaSize; row += 32) {
    for (int column = 0; column < kPlasmaSize; column += 51) {
      const std::uint8_t* entry = palette[reference::PlasmaLevel(row, column, false) & 0xFF];
      EXPECT_EQ(Colour(rgb, row, column), (Rgb{entry, entry + 3})) << row << "," << column;
    }
  }
}

}  // namespace
