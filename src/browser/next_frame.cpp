// The browser draws a frame and delivers input only when the page's script gives control
// back. The demo's main loop never returns, so each buffer swap gives control back until
// the browser's next animation frame, and the loop carries on from there; if the browser
// has meanwhile given back a WebGL context it took away, the graphics are made again first.
#include <SDL.h>
#include <emscripten.h>

#include "legacy_gl.h"

namespace {

EM_ASYNC_JS(void, WaitForNextAnimationFrame, (), {
  await new Promise(requestAnimationFrame);
});

// True once for each time the page has seen its context restored (Module.contextRestored).
EM_JS(bool, TakeContextRestored, (), {
  var restored = Module.contextRestored === true;
  Module.contextRestored = false;
  return restored;
});

}  // namespace

extern "C" void SDL_GL_SwapBuffers() {
  WaitForNextAnimationFrame();
  if (TakeContextRestored()) {
    RemakeLostGraphics();
  }
}

// The page's SDL has nothing to shut down; its own SDL_Quit only says so, on the standard
// output that carries the statistics line.
extern "C" void SDL_Quit() {}
