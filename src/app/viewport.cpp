// The picture keeps its 4:3 shape in a window of any other.
#include "app/viewport.h"

#include <cstdint>

namespace {

constexpr std::int64_t kAspectWidth = 4;
constexpr std::int64_t kAspectHeight = 3;

}  // namespace

Viewport FitFourThree(int windowWidth, int windowHeight) {
  // In 64 bits (long has 32 on Windows and in WebAssembly): the products of the largest
  // window sizes stay exact.
  std::int64_t width = windowWidth;
  std::int64_t height = windowHeight;
  if (width * kAspectHeight > height * kAspectWidth) {
    width = height * kAspectWidth / kAspectHeight;  // wider than 4:3: bars left and right
  } else {
    height = width * kAspectHeight / kAspectWidth;  // taller: bars above and below
  }
  return {static_cast<int>((windowWidth - width) / 2),
          static_cast<int>((windowHeight - height) / 2), static_cast<int>(width),
          static_cast<int>(height)};
}
