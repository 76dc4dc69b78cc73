#include <gtest/gtest.h>

#include <vector>

#include "app/run_options.h"

namespace {

RunOptions Read(std::vector<const char*> args) {
  args.insert(args.begin(), "plasma-tunnel");
  return ReadRunOptions(static_cast<int>(args.size()), args.data());
}

bool SameOptions(const RunOptions& a, const RunOptions& b) {
  return a.noMovingPlasma == b.noMovingPlasma && a.stupidPlasma == b.stupidPlasma &&
         a.outOfTunnel == b.outOfTunnel && a.fullScreen == b.fullScreen;
}

TEST(RunOptions, NoArgumentsLeaveEverythingClear) {
  EXPECT_TRUE(SameOptions(Read({}), RunOptions{}));
}

TEST(RunOptions, EachFlagSetsOnlyItsOwnOption) {
  EXPECT_TRUE(SameOptions(Read({"-no-moving-plasma"}), RunOptions{true, false, false, false}));
  EXPECT_TRUE(SameOptions(Read({"-stupid-plasma-on"}), RunOptions{false, true, false, false}));
  EXPECT_TRUE(SameOptions(Read({"-out-of-tunnel"}), RunOptions{false, false, true, false}));
  EXPECT_TRUE(SameOptions(Read({"-fullscreen"}), RunOptions{false, false, false, true}));
}

TEST(RunOptions, FlagsCombineInAnyOrderAndRepeatHarmlessly) {
  const RunOptions all{true, true, true, true};
  EXPECT_TRUE(SameOptions(
      Read({"-fullscreen", "-out-of-tunnel", "-stupid-plasma-on", "-no-moving-plasma"}), all));
  EXPECT_TRUE(SameOptions(
      Read({"-no-moving-plasma", "-stupid-plasma-on", "-out-of-tunnel", "-fullscreen"}), all));
  EXPECT_TRUE(SameOptions(Read({"-fullscreen", "-fullscreen", "-out-of-tunnel"}),
                          Read({"-out-of-tunnel", "-fullscreen"})));
}

TEST(RunOptions, OnlyWholeCaseSensitiveMatchesCount) {
  const std::vector<const char*> nearMisses = {
      "-FULLSCREEN", "-Fullscreen", "-fullscreen=1", "-fullscreen ", " -fullscreen",
      "fullscreen",  "--fullscreen", "-fullscree",  "-",            "",
      "-out-of",     "-out-of-tunnel2", "-no-moving-plasma-", "-stupid-plasma",
      "-stupid-plasma-off", "-No-Moving-Plasma"};
  for (const char* arg : nearMisses) {
    EXPECT_TRUE(SameOptions(Read({arg}), RunOptions{})) << "'" << arg << "'";
  }
}

TEST(RunOptions, ProgramNameIsNeverAFlag) {
  const char* argv[] = {"-fullscreen", "-out-of-tunnel"};
  const RunOptions options = ReadRunOptions(2, argv);
  EXPECT_FALSE(options.fullScreen);
  EXPECT_TRUE(options.outOfTunnel);
}

TEST(RunOptions, UnknownArgumentsBetweenFlagsAreSkipped) {
  EXPECT_TRUE(SameOptions(Read({"foo", "-out-of-tunnel", "-x", "-stupid-plasma-on", "bar"}),
                          RunOptions{false, true, true, false}));
}

}  // namespace
