// Preloaded into the demo to move its clock: SDL_GetTicks returns the real count plus
// $TICKS_OFFSET, modulo 2^32, so a run can start just short of the 32-bit wrap.
#include <SDL.h>
#include <dlfcn.h>

#include <cstdlib>

extern "C" Uint32 SDL_GetTicks() {
  static const auto next = reinterpret_cast<Uint32 (*)()>(dlsym(RTLD_NEXT, "SDL_GetTicks"));
  static const char* offset = std::getenv("TICKS_OFFSET");
  return next() + static_cast<Uint32>(offset != nullptr ? std::strtoul(offset, nullptr, 10) : 0);
}
