// Formatting of the run statistics.
#include "app/statistics.h"

#include <cstdio>

std::uint32_t ElapsedMs(std::uint32_t startTicks, std::uint32_t endTicks) {
  return endTicks - startTicks;  // unsigned: modulo 2^32
}

StatisticsLine FormatStatistics(std::uint32_t elapsedMs, std::uint32_t frames) {
  const double seconds = static_cast<double>(elapsedMs) / 1000.0;
  // In double throughout: frames * 1000 would overflow 32 bits after a day at 50 fps.
  const double fps = static_cast<double>(frames) * 1000.0 / static_cast<double>(elapsedMs);
  StatisticsLine line{};
  std::snprintf(line.data(), line.size(), "Aika: %.3f sek, frm: %u kpl, fps: %.3f\n", seconds,
                static_cast<unsigned>(frames), fps);
  return line;
}
