// The plasma field: a palette index for every texel, computed once at start-up.
//
// The full plasma sums five sine waves a texel. Three of them depend on the row, the
// column or their sum alone, the rings round the centre are mirror images on either
// side of it, and the hyperbolic wave is symmetric in row and column: each distinct
// value is computed once into a table, and the texels then add up table entries in
// exactly the order the formula gives, so every sum is bit for bit the formula's.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "plasma/plasma.h"
#include "plasma/plasma_image.h"

std::uint8_t* indexMap = nullptr;
std::uint8_t* rgbImage = nullptr;

namespace {

constexpr int kRingCentreColumn = 320;  // x = 0: the rings' centre, not the image's middle
constexpr int kRingCentreRow = 240;     // y = 0
constexpr int kWidestX = kRingCentreColumn;                  // |x| runs 0 ... 320
constexpr int kWidestY = kPlasmaSize - 1 - kRingCentreRow;   // |y| runs 0 ... 271
constexpr int kClearedRowSpacing = 32;  // every 32nd index row becomes a thin ring of entry 0

// Truncates a plasma value (0 to 510) toward zero and keeps the low 8 bits, so values
// from 256 up wrap round the palette.
std::uint8_t IndexOf(double value) { return static_cast<std::uint8_t>(static_cast<int>(value)); }

// Writes a texel's index and its colour.
void StoreTexel(std::size_t texel, std::uint8_t index) {
  indexMap[texel] = index;
  std::copy_n(palette[index], 3, rgbImage + 3 * texel);
}

// sin(k * step) for k = 0 ... count - 1.
std::vector<double> SineTable(int count, double step) {
  std::vector<double> table(count);
  for (int k = 0; k < count; ++k) {
    table[k] = std::sin(k * step);
  }
  return table;
}

// The rings, sin(hypot(x, y) / 12), by |y| and |x|: hypot ignores the signs.
std::vector<double> RingTable() {
  std::vector<double> table(std::size_t{kWidestY + 1} * (kWidestX + 1));
  for (int y = 0; y <= kWidestY; ++y) {
    for (int x = 0; x <= kWidestX; ++x) {
      table[std::size_t{kWidestX + 1} * y + x] = std::sin(std::hypot(x, y) / 12.0);
    }
  }
  return table;
}

// Where the hyperbolic wave of row r and column c <= r sits in its triangular table.
std::size_t TriangleIndex(int r, int c) { return std::size_t(r) * (r + 1) / 2 + c; }

// The hyperbolic wave, sin(sqrt(r * c) / 32), for every column c <= row r.
std::vector<double> HyperbolaTable() {
  std::vector<double> table(TriangleIndex(kPlasmaSize, 0));
  for (int r = 0; r < kPlasmaSize; ++r) {
    for (int c = 0; c <= r; ++c) {
      table[TriangleIndex(r, c)] = std::sin(std::sqrt(static_cast<double>(r * c)) * 0.03125);
    }
  }
  return table;
}

// Five sine waves a texel, summed as (((((s4 + s3) + s5) + s2) + s1) + 5) * 255 / 5.
void GenerateFullPlasma() {
  const std::vector<double> columnWave = SineTable(kPlasmaSize, 0.03125);      // s3
  const std::vector<double> rowWave = SineTable(kPlasmaSize, 0.015625);        // s4
  const std::vector<double> diagonalWave = SineTable(2 * kPlasmaSize, 0.03125);  // s5
  const std::vector<double> hyperbola = HyperbolaTable();                        // s2
  const std::vector<double> rings = RingTable();                                 // s1
  for (int r = 0; r < kPlasmaSize; ++r) {
    const double* ringRow = &rings[std::size_t{kWidestX + 1} * std::abs(kRingCentreRow - r)];
    for (int c = 0; c < kPlasmaSize; ++c) {
      const double s1 = ringRow[std::abs(kRingCentreColumn - c)];
      const double s2 = hyperbola[c <= r ? TriangleIndex(r, c) : TriangleIndex(c, r)];
      const double value =
          (((((rowWave[r] + columnWave[c]) + diagonalWave[r + c]) + s2) + s1) + 5.0) * 255.0 / 5.0;
      StoreTexel(std::size_t{kPlasmaSize} * r + c, IndexOf(value));
    }
  }
}

// Horizontal bands: one value a row, (sin(r / 32) + 1) * 255.
void GenerateBands() {
  for (int r = 0; r < kPlasmaSize; ++r) {
    const std::uint8_t index = IndexOf((std::sin(r * 0.03125) + 1.0) * 255.0);
    for (int c = 0; c < kPlasmaSize; ++c) {
      StoreTexel(std::size_t{kPlasmaSize} * r + c, index);
    }
  }
}

// Sets rows 0, 32, ..., 480 of the index map to palette entry 0.
void ClearRingRows() {
  for (int row = 0; row < kPlasmaSize; row += kClearedRowSpacing) {
    std::fill_n(indexMap + std::size_t{kPlasmaSize} * row, kPlasmaSize, std::uint8_t{0});
  }
}

}  // namespace

void GeneratePlasma(bool stupid) {
  if (stupid) {
    GenerateBands();
  } else {
    GenerateFullPlasma();
  }
  ClearRingRows();
}
