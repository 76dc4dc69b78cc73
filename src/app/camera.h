// The camera's angles for a frame, from the millisecond clock and the travel accumulator.
// Angles are in degrees, as glRotatef takes them.
#pragma once

#include <cstdint>

// Outside the ring: tumble about x, one degree per 7 ms.
double TumbleDegrees(double ticks);
// Outside the ring: turn about the ring's own axis, one degree per 10 ms.
double SpinDegrees(double ticks);
// Inside the tube: roll about the line of sight, between 0 and 1,125 degrees.
double RollDegrees(double ticks);
// Inside the tube: the accumulator after one more frame of travel, a whole step of
// 5 to 15 added modulo 2^32.
std::uint32_t AdvanceTravel(std::uint32_t accumulator, double ticks);
// Inside the tube: how far round the ring the travel has carried the camera.
double TravelDegrees(std::uint32_t accumulator);
