// The per-frame work must not touch the heap: this binary counts every malloc.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "app/camera.h"
#include "plasma/plasma.h"
#include "plasma/plasma_image.h"

extern "C" void* __libc_malloc(std::size_t size);
extern "C" void* __libc_calloc(std::size_t count, std::size_t size);
extern "C" void* __libc_realloc(void* block, std::size_t size);

namespace {
std::size_t allocations = 0;
}

extern "C" void* malloc(std::size_t size) {
  ++allocations;
  return __libc_malloc(size);
}

extern "C" void* calloc(std::size_t count, std::size_t size) {
  ++allocations;
  return __libc_calloc(count, size);
}

extern "C" void* realloc(void* block, std::size_t size) {
  ++allocations;
  return __libc_realloc(block, size);
}

namespace {

TEST(Allocation, CounterSeesAllocations) {
  const std::size_t before = allocations;
  std::vector<int> grown(1000);
  EXPECT_GT(allocations, before);
}

TEST(Allocation, PerFrameWorkAllocatesNothing) {
  std::vector<std::uint8_t> indices(kIndexMapBytes);
  std::vector<std::uint8_t> rgb(kRgbImageBytes);
  indexMap = indices.data();
  rgbImage = rgb.data();
  BuildPalette();
  GeneratePlasma(false);

  const std::size_t before = allocations;
  std::uint32_t travel = 0;
  double roll = 0.0;
  for (std::uint32_t ticks = 0; ticks < 2000; ticks += 7) {
    RecolourPlasma(ticks);
    roll += RollDegrees(ticks) + TumbleDegrees(ticks) + SpinDegrees(ticks);
    travel = AdvanceTravel(travel, ticks);
    roll += TravelDegrees(travel);
  }
  EXPECT_EQ(allocations, before);
  EXPECT_GT(roll, 0.0);
  indexMap = nullptr;
  rgbImage = nullptr;
}

}  // namespace
