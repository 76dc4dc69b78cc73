#include <gtest/gtest.h>

#include <tuple>

#include "app/viewport.h"

namespace {

std::tuple<int, int, int, int> Fit(int width, int height) {
  const Viewport v = FitFourThree(width, height);
  return {v.x, v.y, v.width, v.height};
}

TEST(Viewport, FourThreeWindowsAreFilledAndOthersCentredWithBars) {
  EXPECT_EQ(Fit(640, 480), std::make_tuple(0, 0, 640, 480));  // the demo's own window
  EXPECT_EQ(Fit(1920, 1080), std::make_tuple(240, 0, 1440, 1080));  // bars left and right
  EXPECT_EQ(Fit(1280, 1024), std::make_tuple(0, 32, 1280, 960));   // bars above and below
  EXPECT_EQ(Fit(152, 112), std::make_tuple(1, 0, 149, 112));       // Windows' preview
  EXPECT_EQ(Fit(1, 1), std::make_tuple(0, 0, 1, 0));
  EXPECT_EQ(Fit(0, 0), std::make_tuple(0, 0, 0, 0));
}

TEST(Viewport, EverySizeGivesTheLargestCentredFourThreeFit) {
  for (int width = 1; width <= 400; width += 3) {
    for (int height = 1; height <= 400; height += 7) {
      const Viewport v = FitFourThree(width, height);
      ASSERT_TRUE(v.width == width || v.height == height) << width << "x" << height;
      ASSERT_LE(v.width, width);
      ASSERT_LE(v.height, height);
      // 4:3 to the pixel: one more pixel of either side would overshoot the other.
      ASSERT_LE(v.height * 4, v.width * 3 + 3) << width << "x" << height;
      ASSERT_LE(v.width * 3, v.height * 4 + 4) << width << "x" << height;
      // Centred: the bars on either side differ by at most a pixel.
      ASSERT_LE(width - v.width - 2 * v.x, 1);
      ASSERT_LE(height - v.height - 2 * v.y, 1);
      ASSERT_GE(v.x, 0);
      ASSERT_GE(v.y, 0);
    }
  }
  const Viewport huge = FitFourThree(2000000000, 2000000000);
  EXPECT_EQ(huge.height, 1500000000);
}

}  // namespace
