// Preloaded into the demo so that a test knows every value of a run in advance: it
// scripts the clock and the end of the run, and records what the demo hands to SDL and
// OpenGL, floats as exact hexadecimal. Only the demo's own calls are scripted or recorded.
//
//   PROBE_TICKS       comma-separated tick counts that SDL_GetTicks answers, in turn; past
//                     the last one its step to the one before repeats, modulo 2^32
//   PROBE_QUIT_AFTER  after this many buffer swaps the next SDL_PollEvent hands out one
//                     SDL_QUIT (0: before the first frame is drawn)
//   PROBE_OUT         the record, one line a call: its name, then its arguments
#include <GL/gl.h>
#include <SDL.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "demo_caller.h"

namespace {

std::vector<Uint32> scriptedTicks;
std::size_t ticksRead = 0;
long quitAfterSwaps = -1;  // never
long swaps = 0;
std::FILE* record = nullptr;

template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

__attribute__((constructor)) void ReadScript() {
  demo_caller::FromTheDemo(nullptr);  // find the program's range before any call needs it
  if (const char* ticks = std::getenv("PROBE_TICKS")) {
    for (char* end = nullptr;; ticks = end + 1) {
      scriptedTicks.push_back(static_cast<Uint32>(std::strtoull(ticks, &end, 10)));
      if (*end != ',') {
        break;
      }
    }
  }
  if (const char* quit = std::getenv("PROBE_QUIT_AFTER")) {
    quitAfterSwaps = std::strtol(quit, nullptr, 10);
  }
  const char* path = std::getenv("PROBE_OUT");
  if (path != nullptr && demo_caller::IsTheDemo()) {
    record = std::fopen(path, "w");
  }
}

__attribute__((destructor)) void CloseRecord() {
  if (record != nullptr) {
    std::fclose(record);
  }
}

// The n-th scripted count: the list, then on in its last step.
Uint32 ScriptedTicks(std::size_t n) {
  const std::size_t last = scriptedTicks.size() - 1;
  if (n <= last) {
    return scriptedTicks[n];
  }
  const Uint32 step = last > 0 ? scriptedTicks[last] - scriptedTicks[last - 1] : 0;
  return scriptedTicks[last] + static_cast<Uint32>(n - last) * step;
}

void RecordFloats(const char* name, std::initializer_list<float> values) {
  if (record == nullptr) {
    return;
  }
  std::fputs(name, record);
  for (float value : values) {
    std::fprintf(record, " %a", static_cast<double>(value));
  }
  std::fputc('\n', record);
}

}  // namespace

extern "C" Uint32 SDL_GetTicks() {
  static const auto next = Next<Uint32 (*)()>("SDL_GetTicks");
  if (!demo_caller::FromTheDemo(__builtin_return_address(0))) {
    return next();
  }
  const Uint32 ticks = scriptedTicks.empty() ? next() : ScriptedTicks(ticksRead++);
  if (record != nullptr) {
    std::fprintf(record, "SDL_GetTicks %u\n", static_cast<unsigned>(ticks));
  }
  return ticks;
}

extern "C" int SDL_PollEvent(SDL_Event* event) {
  static const auto next = Next<int (*)(SDL_Event*)>("SDL_PollEvent");
  if (swaps == quitAfterSwaps && event != nullptr) {
    quitAfterSwaps = -1;
    *event = SDL_Event{};
    event->type = SDL_QUIT;
    return 1;
  }
  return next(event);
}

extern "C" SDL_Surface* SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags) {
  static const auto next = Next<SDL_Surface* (*)(int, int, int, Uint32)>("SDL_SetVideoMode");
  if (record != nullptr) {
    std::fprintf(record, "SDL_SetVideoMode %d %d %d 0x%x\n", width, height, bpp,
                 static_cast<unsigned>(flags));
  }
  return next(width, height, bpp, flags);
}

extern "C" void SDL_WM_SetCaption(const char* title, const char* icon) {
  static const auto next = Next<void (*)(const char*, const char*)>("SDL_WM_SetCaption");
  if (record != nullptr) {
    // The title between brackets, so that its spaces stay readable; a null icon as such.
    std::fprintf(record, "SDL_WM_SetCaption [%s] %s\n", title != nullptr ? title : "(null)",
                 icon != nullptr ? "icon" : "null");
  }
  next(title, icon);
}

extern "C" void SDL_GL_SwapBuffers() {
  static const auto next = Next<void (*)()>("SDL_GL_SwapBuffers");
  next();
  ++swaps;
  if (record != nullptr) {
    std::fputs("SDL_GL_SwapBuffers\n", record);
  }
}

extern "C" void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
  static const auto next = Next<void (*)(GLfloat, GLfloat, GLfloat, GLfloat)>("glRotatef");
  RecordFloats("glRotatef", {angle, x, y, z});
  next(angle, x, y, z);
}

extern "C" void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
  static const auto next = Next<void (*)(GLfloat, GLfloat, GLfloat)>("glTranslatef");
  RecordFloats("glTranslatef", {x, y, z});
  next(x, y, z);
}

extern "C" void glTexCoord2f(GLfloat s, GLfloat t) {
  static const auto next = Next<void (*)(GLfloat, GLfloat)>("glTexCoord2f");
  RecordFloats("glTexCoord2f", {s, t});
  next(s, t);
}

extern "C" void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
  static const auto next = Next<void (*)(GLfloat, GLfloat, GLfloat)>("glVertex3f");
  RecordFloats("glVertex3f", {x, y, z});
  next(x, y, z);
}
