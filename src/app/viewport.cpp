// The picture keeps its 4:3 shape in a window of any other.
#include "app/viewport.h"

namespace {

constexpr long kAspectWidth = 4;
constexpr long kAspectHeight = 3;

}  // namespace

Viewport FitFourThree(int windowWidth, int windowHeight) {
  // In long: the products of the largest window sizes stay exact.
  long width = windowWidth;
  long height = windowHeight;
  if (width * kAspectHeight > height * kAspectWidth) {
    width = height * kAspectWidth / kAspectHeight;  // wider than 4:3: bars left and right
  } else {
    height = width * kAspectHeight / kAspectWidth;  // taller: bars above and below
  }
  return {static_cast<int>((windowWidth - width) / 2),
          static_cast<int>((windowHeight - height) / 2), static_cast<int>(width),
          static_cast<int>(height)};
}
