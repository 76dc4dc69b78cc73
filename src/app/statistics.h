// The one line a run prints when it ends.
#pragma once

#include <cstdint>
#include <string>

// Milliseconds from start to end on the 32-bit clock, correct across its wrap at 2^32.
std::uint32_t ElapsedMs(std::uint32_t startTicks, std::uint32_t endTicks);

// "Aika: <seconds> sek, frm: <frames> kpl, fps: <frames per second>", newline-terminated.
// The frame count prints unsigned, so it never turns negative past 2^31 frames;
// 0 ms prints an infinite rate, as the formatted output renders it.
std::string FormatStatistics(std::uint32_t elapsedMs, std::uint32_t frames);
