// Thousands of generated command lines through the flag matcher: only exact flags count.
#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "app/run_options.h"

namespace {

const std::array<std::string, 4> kFlags = {"-no-moving-plasma", "-stupid-plasma-on",
                                           "-out-of-tunnel", "-fullscreen"};

// A flag changed a little: a byte dropped, added, replaced or its case flipped, cut short
// or extended.
std::string NearMiss(std::mt19937& random, const std::string& flag) {
  std::string s = flag;
  const std::size_t at = random() % s.size();
  switch (random() % 6) {
    case 0: s.erase(at, 1); break;
    case 1: s.insert(at, 1, static_cast<char>(1 + random() % 255)); break;
    case 2: s[at] = static_cast<char>(s[at] ^ (1 + random() % 255)); break;
    case 3: s[at] = static_cast<char>(std::toupper(static_cast<unsigned char>(s[at]))); break;
    case 4: s.resize(at); break;
    default: s += static_cast<char>(1 + random() % 255); break;
  }
  return s;
}

// Bytes of any value but NUL, valid UTF-8 or not.
std::string RandomBytes(std::mt19937& random, std::size_t length) {
  std::string s(length, '\0');
  for (char& c : s) {
    c = static_cast<char>(1 + random() % 255);
  }
  return s;
}

std::string RandomArgument(std::mt19937& random) {
  switch (random() % 8) {
    case 0: return "";
    case 1: return kFlags[random() % kFlags.size()];
    case 2: return RandomBytes(random, random() % 24);
    case 3: return std::string(100'000, static_cast<char>(1 + random() % 255));
    default: return NearMiss(random, kFlags[random() % kFlags.size()]);
  }
}

// Runs one argument vector and checks each option is set exactly when its flag is present.
void Check(const std::vector<std::string>& args) {
  std::vector<const char*> argv = {"plasma-tunnel"};
  std::array<bool, 4> present{};
  for (const std::string& arg : args) {
    argv.push_back(arg.c_str());
    for (std::size_t f = 0; f < kFlags.size(); ++f) {
      present[f] = present[f] || arg == kFlags[f];
    }
  }
  const RunOptions options = ReadRunOptions(static_cast<int>(argv.size()), argv.data());
  ASSERT_EQ(options.noMovingPlasma, present[0]);
  ASSERT_EQ(options.stupidPlasma, present[1]);
  ASSERT_EQ(options.outOfTunnel, present[2]);
  ASSERT_EQ(options.fullScreen, present[3]);
}

TEST(RunOptionsFuzz, GeneratedCommandLinesTakeOnlyExactFlags) {
  std::mt19937 random(20261208);
  int exactSeen = 0;
  for (int round = 0; round < 2000; ++round) {
    std::vector<std::string> args(random() % 12);
    for (std::string& arg : args) {
      arg = RandomArgument(random);
      exactSeen += arg == kFlags[0] || arg == kFlags[1] || arg == kFlags[2] || arg == kFlags[3];
    }
    Check(args);
  }
  EXPECT_GT(exactSeen, 500);  // the exact flags are among the inputs often enough
}

TEST(RunOptionsFuzz, TenThousandArguments) {
  std::mt19937 random(7);
  std::vector<std::string> args(10'000);
  for (std::string& arg : args) {
    arg = NearMiss(random, kFlags[random() % kFlags.size()]);
  }
  Check(args);
  args[9'999] = "-stupid-plasma-on";
  Check(args);
}

}  // namespace
