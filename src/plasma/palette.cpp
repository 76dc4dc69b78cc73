// The cyclic colour ramp, 64 entries a leg; entry 255 equals entry 0, so wrapping is seamless.
#include "plasma/plasma.h"
#include "plasma/plasma_image.h"

std::uint8_t palette[kPaletteEntries][3];

namespace {

constexpr int kLegLength = 64;  // entries in each of the four ramps
constexpr int kLegStep = 4;     // channel change between neighbouring entries

// Writes one palette entry.
void SetEntry(int entry, int red, int green, int blue) {
  palette[entry][0] = static_cast<std::uint8_t>(red);
  palette[entry][1] = static_cast<std::uint8_t>(green);
  palette[entry][2] = static_cast<std::uint8_t>(blue);
}

}  // namespace

void BuildPalette() {
  for (int i = 0; i < kLegLength; ++i) {
    const int rising = kLegStep * i;         // 0 ... 252
    const int falling = 252 - kLegStep * i;  // 252 ... 0
    SetEntry(i, 0, rising, falling);                       // blue to green
    SetEntry(kLegLength + i, rising, falling, 0);          // green to red
    SetEntry(2 * kLegLength + i, 255, rising, 0);          // full red to yellow
    SetEntry(3 * kLegLength + i, falling, falling, rising);  // yellow back to blue
  }
}
