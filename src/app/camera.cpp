// Camera arithmetic, in double precision; OpenGL gets single precision at the call.
#include "app/camera.h"

#include <cmath>

double TumbleDegrees(double ticks) { return ticks / 7.0; }

double SpinDegrees(double ticks) { return ticks / 10.0; }

double RollDegrees(double ticks) {
  return (std::cos(ticks / 1000.0) + (std::sin(ticks / 2000.0) + 2.0)) * 360.0;
}

std::uint32_t AdvanceTravel(std::uint32_t accumulator, double ticks) {
  const double sum = static_cast<double>(accumulator) + (5.0 * std::sin(ticks / 20.0) + 10.0);
  // The sum can pass 2^32, where a direct conversion to 32 bits is undefined:
  // truncate into 64 bits, then keep the low 32 bits.
  return static_cast<std::uint32_t>(static_cast<std::int64_t>(sum));
}

double TravelDegrees(std::uint32_t accumulator) { return static_cast<double>(accumulator) / 10.0; }
