// Where in a window the picture goes: the largest 4:3 rectangle, centred.
#pragma once

struct Viewport {
  int x;  // from the window's left edge
  int y;  // from the window's bottom edge, as OpenGL counts
  int width;
  int height;
};

// The largest 4:3 rectangle that fits a window of this size, centred in it; the rest of
// the window stays black. A 640 x 480 window is filled exactly.
Viewport FitFourThree(int windowWidth, int windowHeight);
