// The demo as an xscreensaver hack: drawn into the window xscreensaver hands it (or the
// root window, or a window of its own when started by hand), the picture kept 4:3 in the
// middle of it and refitted when the window changes size. xscreensaver ends a hack with
// SIGTERM, which SDL turns into the close event that ends every run.
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/run.h"
#include "app/run_options.h"
#include "saver/saver_arguments.h"

namespace {

// The connection through which the host window's size is followed; SDL has its own.
Display* display = nullptr;
Window hostWindow = 0;
int hostWidth = 0;
int hostHeight = 0;
// Set when the X server refused a request about the host window: it has gone.
bool hostGone = false;

// Xlib's default is to end the process on any refused request; here it only notes it.
int NoteRefusal(Display*, XErrorEvent*) {
  hostGone = true;
  return 0;
}

// Reads the host window's size; false once it has gone.
bool ReadHostSize(int& width, int& height) {
  XWindowAttributes attributes;
  if (XGetWindowAttributes(display, hostWindow, &attributes) == 0 || hostGone) {
    return false;
  }
  width = attributes.width;
  height = attributes.height;
  return true;
}

// Refits the picture when the host window has changed size; false once it has gone.
bool FollowHostWindow() {
  int width = 0;
  int height = 0;
  if (!ReadHostSize(width, height)) {
    return false;
  }
  if (width != hostWidth || height != hostHeight) {
    hostWidth = width;
    hostHeight = height;
    FitViewport(width, height);
  }
  return true;
}

// Points SDL at the host window (both implementations of the SDL 1.2 API read these at
// start-up) and learns its size; false, having said why, when there is no such window.
bool AdoptHostWindow(const HackWindow& window) {
  display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "XOpenDisplay(): cannot open display %s\n", XDisplayName(nullptr));
    return false;
  }
  XSetErrorHandler(NoteRefusal);
  hostWindow = window.kind == HackWindow::kRoot ? DefaultRootWindow(display)
                                                : static_cast<Window>(window.id);
  if (!ReadHostSize(hostWidth, hostHeight)) {
    std::fprintf(stderr, "XGetWindowAttributes(): no window 0x%lx\n", hostWindow);
    return false;
  }
  setenv("SDL_WINDOWID", std::to_string(hostWindow).c_str(), 1);
  // The compatibility layer draws OpenGL into a foreign window only when asked, and then
  // straight into it, not scaled from a picture of the first size.
  setenv("SDL_VIDEO_FOREIGN_WINDOW_OPENGL", "1", 1);
  setenv("SDL12COMPAT_OPENGL_SCALING", "0", 1);
  return true;
}

}  // namespace

int main(int argc, char* argv[]) {
  const HackWindow window = ReadHackWindow(argc, argv, std::getenv("XSCREENSAVER_WINDOW"));
  if (window.kind == HackWindow::kMalformed) {
    std::fprintf(stderr, "%s: not a window number after -window-id or in XSCREENSAVER_WINDOW\n",
                 argv[0]);
    return 1;
  }
  const bool hosted = window.kind != HackWindow::kOwn;
  if (hosted && !AdoptHostWindow(window)) {
    return 1;
  }
  if (!StartVideo()) {
    return 1;
  }
  runOptions = ReadRunOptions(argc, argv);
  runOptions.fullScreen = false;  // a saver's screen is the window it is given
  const RunWindow screen = hosted ? RunWindow{hostWidth, hostHeight, 0, nullptr} : DemoWindow(false);
  if (!OpenRun(screen)) {
    return 1;
  }
  while (!RunFrame(Ending::kEscape) && (!hosted || FollowHostWindow())) {
  }
  const int status = EndRun();
  if (display != nullptr) {
    XCloseDisplay(display);
  }
  return status;
}
