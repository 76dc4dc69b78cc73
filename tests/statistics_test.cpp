#include <gtest/gtest.h>

#include "app/statistics.h"

namespace {

TEST(Statistics, FormatsSecondsFramesAndRate) {
  EXPECT_STREQ(FormatStatistics(2000, 120).data(), "Aika: 2.000 sek, frm: 120 kpl, fps: 60.000\n");
  EXPECT_STREQ(FormatStatistics(1, 1).data(), "Aika: 0.001 sek, frm: 1 kpl, fps: 1000.000\n");
  EXPECT_STREQ(FormatStatistics(3106, 444).data(), "Aika: 3.106 sek, frm: 444 kpl, fps: 142.949\n");
}

TEST(Statistics, ZeroElapsedPrintsInfiniteRate) {
  EXPECT_STREQ(FormatStatistics(0, 1).data(), "Aika: 0.000 sek, frm: 1 kpl, fps: inf\n");
}

TEST(Statistics, FrameCountPrintsUnsignedPastTwoToThe31) {
  EXPECT_STREQ(FormatStatistics(1000, 2147483647u).data(),
            "Aika: 1.000 sek, frm: 2147483647 kpl, fps: 2147483647.000\n");
  EXPECT_STREQ(FormatStatistics(1000, 2147483648u).data(),
            "Aika: 1.000 sek, frm: 2147483648 kpl, fps: 2147483648.000\n");
  EXPECT_STREQ(FormatStatistics(4294967295u, 4294967295u).data(),
            "Aika: 4294967.295 sek, frm: 4294967295 kpl, fps: 1000.000\n");
}

TEST(Statistics, RateDoesNotOverflowForLongRuns) {
  // 5 million frames: frames * 1000 no longer fits in 32 bits.
  EXPECT_STREQ(FormatStatistics(100000000u, 5000000u).data(),
            "Aika: 100000.000 sek, frm: 5000000 kpl, fps: 50.000\n");
}

TEST(Statistics, ElapsedTimeSurvivesTheClockWrap) {
  EXPECT_EQ(ElapsedMs(1000, 3000), 2000u);
  EXPECT_EQ(ElapsedMs(4294967000u, 4294967295u), 295u);
  EXPECT_EQ(ElapsedMs(4294966296u, 1000u), 2000u);  // 1000 ms each side of 2^32
  EXPECT_EQ(ElapsedMs(4294967295u, 0u), 1u);
  EXPECT_STREQ(FormatStatistics(ElapsedMs(4294966296u, 1000u), 120).data(),
            "Aika: 2.000 sek, frm: 120 kpl, fps: 60.000\n");
}

}  // namespace
