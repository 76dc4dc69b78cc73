// The one line a run prints when it ends.
#pragma once

#include <cstdint>
#include <string>

// "Aika: <seconds> sek, frm: <frames> kpl, fps: <frames per second>", newline-terminated.
// The frame count prints unsigned, so it never turns negative past 2^31 frames;
// 0 ms prints an infinite rate, as the formatted output renders it.
std::string FormatStatistics(std::uint32_t elapsedMs, std::uint32_t frames);
