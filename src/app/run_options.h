// The four switches a run is started with, and how they are read from the command line.
#pragma once

struct RunOptions {
  bool noMovingPlasma = false;  // "-no-moving-plasma": keep the first colouring
  bool stupidPlasma = false;    // "-stupid-plasma-on": plain horizontal bands
  bool outOfTunnel = false;     // "-out-of-tunnel": watch the whole ring tumble
  bool fullScreen = false;      // "-fullscreen"
};

// The options of this run: written once while the flags are read, then only read.
extern RunOptions runOptions;

// Matches every argument after the program name against the flags, byte for byte;
// anything else is ignored.
RunOptions ReadRunOptions(int argc, const char* const argv[]);
