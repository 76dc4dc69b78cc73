// Test-owned image buffers, installed as the plasma's index map and RGB image.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "plasma/plasma.h"
#include "plasma/plasma_image.h"

class PlasmaBuffers : public ::testing::Test {
 protected:
  void SetUp() override {
    BuildPalette();
    indexMap = indices.data();
    rgbImage = rgb.data();
  }
  void TearDown() override {
    indexMap = nullptr;
    rgbImage = nullptr;
  }

  // The texel's colour in the RGB image.
  std::vector<std::uint8_t> Colour(const std::vector<std::uint8_t>& image, int row, int column) const {
    const std::size_t at = 3 * (std::size_t{kPlasmaSize} * row + column);
    return {image[at], image[at + 1], image[at + 2]};
  }

  std::vector<std::uint8_t> indices = std::vector<std::uint8_t>(kIndexMapBytes, 0xEE);
  std::vector<std::uint8_t> rgb = std::vector<std::uint8_t>(kRgbImageBytes, 0xEE);
};
