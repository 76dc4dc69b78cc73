// The one line a run prints when it ends.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// Milliseconds from start to end on the 32-bit clock, correct across its wrap at 2^32.
std::uint32_t ElapsedMs(std::uint32_t startTicks, std::uint32_t endTicks);

// Room for the widest line (10-digit counts, a 17-character rate) with space to spare.
constexpr std::size_t kStatisticsLineBytes = 128;
// The line in fixed storage: formatting it at shutdown cannot run out of memory.
using StatisticsLine = std::array<char, kStatisticsLineBytes>;

// "Aika: <seconds> sek, frm: <frames> kpl, fps: <frames per second>", newline-terminated.
// The frame count prints unsigned, so it never turns negative past 2^31 frames;
// 0 ms prints an infinite rate, as the formatted output renders it.
StatisticsLine FormatStatistics(std::uint32_t elapsedMs, std::uint32_t frames);
