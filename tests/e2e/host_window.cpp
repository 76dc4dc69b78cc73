// A window for a screen saver to draw into, as xscreensaver hands its hacks one.
// Usage: host-window WIDTH HEIGHT (on the display named by $DISPLAY). Prints the window's
// number once it is on the screen; then each line "WIDTH HEIGHT" read from standard input
// resizes it, and the end of standard input destroys it and ends the program.
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: host-window WIDTH HEIGHT\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "host-window: cannot open display\n");
    return 1;
  }
  const Window window = XCreateSimpleWindow(
      display, DefaultRootWindow(display), 0, 0, std::atoi(argv[1]), std::atoi(argv[2]), 0,
      BlackPixel(display, DefaultScreen(display)), BlackPixel(display, DefaultScreen(display)));
  XSelectInput(display, window, StructureNotifyMask);
  XMapWindow(display, window);
  XEvent event;
  do {
    XNextEvent(display, &event);
  } while (event.type != MapNotify);
  std::printf("0x%lx\n", window);
  std::fflush(stdout);
  unsigned width = 0;
  unsigned height = 0;
  while (std::scanf("%u %u", &width, &height) == 2) {
    XResizeWindow(display, window, width, height);
    XSync(display, False);
  }
  XDestroyWindow(display, window);
  XCloseDisplay(display);
  return 0;
}
