// What a screen saver is asked to do, read from the arguments its host passes: xscreensaver
// on X11, the Screen Saver settings on Windows.
#pragma once

#include <cstdint>

// The window an xscreensaver hack draws into.
struct HackWindow {
  enum Kind {
    kOwn,       // nothing named: a window of its own, as the demo opens
    kRoot,      // "-root" and no window named: the screen's root window
    kNamed,     // "-window-id ID", or the window xscreensaver names in its variable
    kMalformed  // an ID that is not a window number: the run cannot start
  };
  Kind kind;
  std::uint64_t id;  // for kNamed
};

// "-window-id ID" or "--window-id ID" (decimal or 0x-hex) first, then the window that
// xscreensaver names in XSCREENSAVER_WINDOW (environmentWindow, may be null), then "-root" or
// "--root". Every other argument is left to the look flags.
HackWindow ReadHackWindow(int argc, const char* const argv[], const char* environmentWindow);

// What Windows asks of a .scr program.
struct WindowsSaverRequest {
  enum Mode {
    kShow,      // "/s": the saver over the whole desktop
    kPreview,   // "/p HWND": drawn in that window, the settings' little screen
    kSettings,  // "/c", "/c:HWND" or no argument: the settings dialog, owned by HWND if given
    kMalformed  // "/p" without a window, or an argument Windows never passes
  };
  Mode mode;
  std::uint64_t window;  // for kPreview, and kSettings' owner (0: none)
};

// Windows' forms, its letters in either case: "/s", "/p 1234", "/p:1234", "/c", "/c:5678",
// none; the dash may stand for the slash.
WindowsSaverRequest ReadWindowsSaverRequest(int argc, const char* const argv[]);
