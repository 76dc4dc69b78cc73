// The plasma field: a palette index for every texel, computed once at start-up.
#include <algorithm>
#include <cmath>

#include "plasma/plasma.h"
#include "plasma/plasma_image.h"

std::uint8_t* indexMap = nullptr;
std::uint8_t* rgbImage = nullptr;

namespace {

constexpr int kRingCentreColumn = 320;  // x = 0: the rings' centre, not the image's middle
constexpr int kRingCentreRow = 240;     // y = 0
constexpr int kClearedRowSpacing = 32;  // every 32nd index row becomes a thin ring of entry 0

// The plasma's value at a texel, between 0 and 510.
double PlasmaValue(int row, int column, bool stupid) {
  if (stupid) {
    return (std::sin(row * 0.03125) + 1.0) * 255.0;
  }
  const double x = kRingCentreColumn - column;
  const double y = kRingCentreRow - row;
  const double s1 = std::sin(std::hypot(x, y) / 12.0);
  const double s2 = std::sin(std::sqrt(static_cast<double>(row * column)) * 0.03125);
  const double s3 = std::sin(column * 0.03125);
  const double s4 = std::sin(row * 0.015625);
  const double s5 = std::sin((row + column) * 0.03125);
  return (((((s4 + s3) + s5) + s2) + s1) + 5.0) * 255.0 / 5.0;
}

// Sets rows 0, 32, ..., 480 of the index map to palette entry 0.
void ClearRingRows() {
  for (int row = 0; row < kPlasmaSize; row += kClearedRowSpacing) {
    std::fill_n(indexMap + std::size_t{kPlasmaSize} * row, kPlasmaSize, std::uint8_t{0});
  }
}

}  // namespace

void GeneratePlasma(bool stupid) {
  for (int row = 0; row < kPlasmaSize; ++row) {
    for (int column = 0; column < kPlasmaSize; ++column) {
      const std::size_t texel = std::size_t{kPlasmaSize} * row + column;
      // Truncate toward zero, keep the low 8 bits: values from 256 up wrap round.
      const auto index = static_cast<std::uint8_t>(static_cast<int>(PlasmaValue(row, column, stupid)));
      indexMap[texel] = index;
      std::copy_n(palette[index], 3, rgbImage + 3 * texel);
    }
  }
  ClearRingRows();
}
