// The browser draws a frame and delivers input only when the page's script gives control
// back. The demo's main loop never returns, so each buffer swap gives control back until
// the browser's next animation frame, and the loop carries on from there.
#include <SDL.h>
#include <emscripten.h>

namespace {

EM_ASYNC_JS(void, WaitForNextAnimationFrame, (), {
  await new Promise(requestAnimationFrame);
});

}  // namespace

extern "C" void SDL_GL_SwapBuffers() { WaitForNextAnimationFrame(); }

// The page's SDL has nothing to shut down; its own SDL_Quit only says so, on the standard
// output that carries the statistics line.
extern "C" void SDL_Quit() {}
