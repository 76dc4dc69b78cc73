// Preloaded into the demo so that a test knows every value of a run in advance: it
// scripts the clock and the end of the run, and records what the demo hands to SDL and
// OpenGL, floats as exact hexadecimal. Only the demo's own calls are scripted or recorded.
//
//   PROBE_TICKS       comma-separated tick counts that SDL_GetTicks answers, in turn; past
//                     the last one its step to the one before repeats, modulo 2^32
//   PROBE_EVENTS      comma-separated events that SDL_PollEvent hands the demo, in turn,
//                     each once as many buffer swaps as it names have happened and ahead of
//                     SDL's own queue: "<swaps>:quit", "<swaps>:keydown:<key symbol>" or
//                     "<swaps>:keyup:<key symbol>" (0 swaps: before the first frame is drawn)
//   PROBE_HOLD_AFTER  the run is held once its buffers have been swapped this many times: the
//                     window keeps that frame until the process is killed
//   PROBE_OUT         the record, one line a call: its name, then its arguments; an event
//                     the demo polls as its type and key symbol, an empty queue as no arguments
#include <GL/gl.h>
#include <SDL.h>
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "demo_caller.h"

namespace {

// An event to hand the demo once the buffers have been swapped afterSwaps times.
struct ScriptedEvent {
  long afterSwaps;
  SDL_Event event;
};

std::vector<Uint32> scriptedTicks;
std::size_t ticksRead = 0;
std::vector<ScriptedEvent> scriptedEvents;
std::size_t eventsHandedOut = 0;
long swaps = 0;
long holdAfter = -1;  // the swap after which the run is held, if any
std::FILE* record = nullptr;

template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

// One event of PROBE_EVENTS, "<swaps>:<kind>[:<key symbol>]", up to the next comma.
ScriptedEvent ReadEvent(const char* text) {
  ScriptedEvent scripted{std::strtol(text, nullptr, 10), SDL_Event{}};
  const char* kind = std::strchr(text, ':') + 1;
  if (std::strncmp(kind, "quit", 4) == 0) {
    scripted.event.type = SDL_QUIT;
    return scripted;
  }
  const bool down = std::strncmp(kind, "keydown", 7) == 0;
  scripted.event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  scripted.event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  scripted.event.key.keysym.sym =
      static_cast<SDLKey>(std::strtol(std::strchr(kind, ':') + 1, nullptr, 10));
  return scripted;
}

// Every event of PROBE_EVENTS, in the order given.
void ReadEvents(const char* events) {
  for (const char* event = events; event != nullptr; event = std::strchr(event, ',')) {
    event += *event == ',' ? 1 : 0;
    scriptedEvents.push_back(ReadEvent(event));
  }
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
  if (const char* events = std::getenv("PROBE_EVENTS")) {
    ReadEvents(events);
  }
  if (const char* hold = std::getenv("PROBE_HOLD_AFTER")) {
    holdAfter = std::strtol(hold, nullptr, 10);
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
  if (!demo_caller::FromTheDemo(__builtin_return_address(0)) || event == nullptr) {
    return next(event);
  }
  int polled = 1;
  if (eventsHandedOut < scriptedEvents.size() &&
      scriptedEvents[eventsHandedOut].afterSwaps <= swaps) {
    *event = scriptedEvents[eventsHandedOut++].event;
  } else {
    polled = next(event);
  }
  if (record != nullptr && polled == 0) {
    std::fputs("SDL_PollEvent\n", record);
  } else if (record != nullptr) {
    const bool key = event->type == SDL_KEYDOWN || event->type == SDL_KEYUP;
    std::fprintf(record, "SDL_PollEvent %d %d\n", event->type, key ? event->key.keysym.sym : 0);
  }
  return polled;
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
  if (swaps == holdAfter && record != nullptr) {
    std::fflush(record);  // the record of the held frame, for the test to see it is held
  }
  while (swaps == holdAfter) {
    pause();
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
