// One run of the demo, from SDL's start to the statistics line, in named steps that every
// way into the program calls in the same order: the demo's main, and the screen saver's.
#pragma once

#include <SDL.h>

// Which input ends a run. A window close always does.
enum class Ending {
  kEscape,    // Escape pressed: the demo, and a saver drawing into a window it was handed
  kAnyInput,  // also any key, any mouse button, a move of the mouse beyond a few pixels
};

// The window a run draws into and how it is opened.
struct RunWindow {
  int width;
  int height;
  Uint32 extraVideoFlags;  // beside OpenGL's: full screen, no frame
  const char* caption;     // nullptr: the window belongs to another program, keep its title
};

// The demo's own window: 640 x 480, or the full screen at that mode.
RunWindow DemoWindow(bool fullScreen);

// Starts SDL's video subsystem; on failure says so on standard error and gives false.
bool StartVideo();

// Opens the window and builds everything a frame shows, in the demo's start-up order;
// on failure says why, shuts SDL down and gives false.
bool OpenRun(const RunWindow& window);

// Puts the picture in the largest centred 4:3 part of a window of this size.
void FitViewport(int windowWidth, int windowHeight);

// Takes every waiting event, draws and counts one frame; true once an event has ended the run.
bool RunFrame(Ending ending);

// Frees the buffers, shuts SDL down and prints the statistics line; gives the exit status.
int EndRun();
