// Command-line flags: exact, case-sensitive, whole-argument matches only.
#include "app/run_options.h"

#include <cstring>

RunOptions runOptions;

RunOptions ReadRunOptions(int argc, const char* const argv[]) {
  RunOptions options;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "-no-moving-plasma") == 0) {
      options.noMovingPlasma = true;
    } else if (std::strcmp(arg, "-stupid-plasma-on") == 0) {
      options.stupidPlasma = true;
    } else if (std::strcmp(arg, "-out-of-tunnel") == 0) {
      options.outOfTunnel = true;
    } else if (std::strcmp(arg, "-fullscreen") == 0) {
      options.fullScreen = true;
    }
  }
  return options;
}
