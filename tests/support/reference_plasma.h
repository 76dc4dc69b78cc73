// Straightforward oracles for the plasma: the field formula evaluated texel by texel,
// five sines each, and the recolouring as a plain per-texel loop. The demo's own code
// must give the same bytes; the tests also check these oracles against known values.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "plasma/plasma_image.h"

namespace reference {

// The untruncated plasma value at a texel.
inline double PlasmaValue(int row, int column, bool stupid) {
  if (stupid) {
    return (std::sin(row * 0.03125) + 1.0) * 255.0;
  }
  const double x = 320 - column;
  const double y = 240 - row;
  const double s1 = std::sin(std::hypot(x, y) / 12.0);
  const double s2 = std::sin(std::sqrt(static_cast<double>(row * column)) * 0.03125);
  const double s3 = std::sin(column * 0.03125);
  const double s4 = std::sin(row * 0.015625);
  const double s5 = std::sin((row + column) * 0.03125);
  return (((((s4 + s3) + s5) + s2) + s1) + 5.0) * 255.0 / 5.0;
}

// v: the plasma value truncated toward zero.
inline int PlasmaLevel(int row, int column, bool stupid) {
  return static_cast<int>(PlasmaValue(row, column, stupid));
}

// Fills an index map and RGB image texel by texel, then clears every 32nd index row.
inline void GeneratePlasma(bool stupid, std::uint8_t* indices, std::uint8_t* rgb) {
  for (int row = 0; row < kPlasmaSize; ++row) {
    for (int column = 0; column < kPlasmaSize; ++column) {
      const std::size_t texel = std::size_t{kPlasmaSize} * row + column;
      const std::uint8_t index = PlasmaLevel(row, column, stupid) & 0xFF;
      indices[texel] = index;
      std::memcpy(rgb + 3 * texel, palette[index], 3);
    }
  }
  for (int row = 0; row < kPlasmaSize; row += 32) {
    std::memset(indices + std::size_t{kPlasmaSize} * row, 0, kPlasmaSize);
  }
}

// The RGB image for an index map at a tick count, one texel at a time.
inline void Recolour(const std::uint8_t* indices, std::uint32_t ticks, std::uint8_t* rgb) {
  for (std::size_t texel = 0; texel < kTexelCount; ++texel) {
    std::memcpy(rgb + 3 * texel, palette[(indices[texel] + ticks) % 256], 3);
  }
}

}  // namespace reference
