// The plasma's shared data: sizes, the cyclic palette, the index map and the RGB image.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int kPlasmaSize = 512;  // texels along each side of the square image
constexpr std::size_t kTexelCount = std::size_t{kPlasmaSize} * kPlasmaSize;
constexpr std::size_t kIndexMapBytes = kTexelCount;       // one palette index a texel
constexpr std::size_t kRgbImageBytes = 3 * kTexelCount;   // red, green, blue a texel
constexpr int kPaletteEntries = 256;                       // indexed by a byte, cyclic

// Red, green and blue of each palette entry.
extern std::uint8_t palette[kPaletteEntries][3];

// Row-major, row 0 first. Both buffers belong to the entry function, which
// allocates them before the plasma is generated and frees them at shutdown.
extern std::uint8_t* indexMap;
extern std::uint8_t* rgbImage;
