#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>

#include "app/camera.h"

namespace {

TEST(Camera, InsideAtTickZero) {
  EXPECT_EQ(RollDegrees(0.0), 1080.0);
  const std::uint32_t accumulator = AdvanceTravel(0, 0.0);
  EXPECT_EQ(accumulator, 10u);
  EXPECT_EQ(TravelDegrees(accumulator), 1.0);
}

TEST(Camera, OutsideAtTickZeroAndWithTheClock) {
  EXPECT_EQ(TumbleDegrees(0.0), 0.0);
  EXPECT_EQ(SpinDegrees(0.0), 0.0);
  EXPECT_EQ(TumbleDegrees(7000.0), 1000.0);
  EXPECT_EQ(SpinDegrees(7000.0), 700.0);
  // Tick counts of 2^31 and above stay positive.
  EXPECT_EQ(SpinDegrees(4294967295.0), 429496729.5);
  EXPECT_EQ(SpinDegrees(2147483648.0), 214748364.8);
}

TEST(Camera, TravelTenthsOfADegree) {
  EXPECT_EQ(TravelDegrees(5), 0.5);
  EXPECT_EQ(TravelDegrees(15), 1.5);
  EXPECT_EQ(TravelDegrees(4294967295u), 429496729.5);
}

TEST(Camera, EveryTravelStepIsAWholeFiveToFifteen) {
  std::uint32_t accumulator = 0;
  bool sawFive = false;
  bool sawFourteen = false;
  for (std::uint32_t ticks = 0; ticks < 200000; ticks += 3) {
    const std::uint32_t next = AdvanceTravel(accumulator, ticks);
    const std::uint32_t step = next - accumulator;
    ASSERT_GE(step, 5u) << "at " << ticks;
    ASSERT_LE(step, 15u) << "at " << ticks;
    sawFive = sawFive || step == 5;
    sawFourteen = sawFourteen || step == 14;
    accumulator = next;
  }
  EXPECT_TRUE(sawFive);
  // A full 15 needs the sine at exactly 1, which whole tick counts never give.
  EXPECT_TRUE(sawFourteen);
}

TEST(Camera, TravelWrapsModuloTwoToThe32) {
  EXPECT_EQ(AdvanceTravel(4294967295u, 0.0), 9u);  // 2^32 - 1 + 10
  EXPECT_EQ(AdvanceTravel(4294967290u, 0.0), 4u);
  EXPECT_EQ(AdvanceTravel(4294967285u, 0.0), 4294967295u);
  // Keeps stepping 5 to 15 across the wrap, whatever the clock says.
  for (std::uint32_t start = 4294967200u; start != 100u; start += 7) {
    for (double ticks : {0.0, 31.4, 94.2, 4294967295.0}) {
      const std::uint32_t step = AdvanceTravel(start, ticks) - start;
      ASSERT_GE(step, 5u);
      ASSERT_LE(step, 15u);
    }
  }
}

TEST(Camera, RollStaysInRangeAndRepeats) {
  const double period = 4000.0 * std::numbers::pi;
  double lowest = 1e9;
  double highest = -1e9;
  for (double ticks = 0.0; ticks < period; ticks += 0.5) {
    const double roll = RollDegrees(ticks);
    lowest = std::min(lowest, roll);
    highest = std::max(highest, roll);
    ASSERT_NEAR(RollDegrees(ticks + period), roll, 1e-6);
  }
  EXPECT_NEAR(lowest, 0.0, 1e-3);
  EXPECT_NEAR(highest, 1125.0, 1e-3);
}

}  // namespace
