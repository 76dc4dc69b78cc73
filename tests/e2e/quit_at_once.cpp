// Preloaded into the demo so that a window-close event is already waiting when its main
// loop first drains the queue: SDL_PollEvent hands out one SDL_QUIT before anything else.
#include <SDL.h>
#include <dlfcn.h>

extern "C" int SDL_PollEvent(SDL_Event* event) {
  static const auto next = reinterpret_cast<int (*)(SDL_Event*)>(dlsym(RTLD_NEXT, "SDL_PollEvent"));
  static bool handedOut = false;
  if (!handedOut && event != nullptr) {
    handedOut = true;
    event->type = SDL_QUIT;
    return 1;
  }
  return next(event);
}
