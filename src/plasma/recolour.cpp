// Colour cycling on the CPU: the index map through the palette, shifted by the clock.
#include <algorithm>

#include "plasma/plasma.h"
#include "plasma/plasma_image.h"

void RecolourPlasma(std::uint32_t ticks) {
  const unsigned shift = ticks & 0xFFu;  // the palette is cyclic: only the low byte matters
  for (std::size_t texel = 0; texel < kTexelCount; ++texel) {
    std::copy_n(palette[(indexMap[texel] + shift) & 0xFFu], 3, rgbImage + 3 * texel);
  }
}
