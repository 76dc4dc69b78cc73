// The demo's entry: its own window, the flags from the command line, Escape or a close ends it.
#include "app/run.h"
#include "app/run_options.h"

int main(int argc, char* argv[]) {
  if (!StartVideo()) {
    return 1;
  }
  runOptions = ReadRunOptions(argc, argv);
  if (!OpenRun(DemoWindow(runOptions.fullScreen))) {
    return 1;
  }
  while (!RunFrame(Ending::kEscape)) {
  }
  return EndRun();
}
