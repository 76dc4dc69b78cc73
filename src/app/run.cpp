// A run's start-up in a fixed order, its frames, and its shutdown with the statistics.
#include "app/run.h"

#include <SDL_opengl.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "app/render_frame.h"
#include "app/run_options.h"
#include "app/statistics.h"
#include "app/viewport.h"
#include "plasma/plasma.h"
#include "plasma/plasma_image.h"
#include "tunnel/tunnel_mesh.h"

namespace {

constexpr int kWindowWidth = 640;
constexpr int kWindowHeight = 480;
constexpr int kWindowDepth = 32;
constexpr char kCaption[] = "tovrelinkasumora 8)";
// Hardware surface, asynchronous blits, OpenGL.
constexpr Uint32 kBaseVideoFlags = SDL_HWSURFACE | SDL_ASYNCBLIT | SDL_OPENGL;

constexpr double kFieldOfViewDegrees = 45.0;
// 4/3 rounded to single precision and widened again: the projection's exact aspect.
constexpr double kAspect = static_cast<double>(4.0f / 3.0f);
constexpr double kNearPlane = 0.1;
constexpr double kFarPlane = 100.0;

constexpr float kTubeRadius = 0.3f;
constexpr float kTubeDivisions = 64.0f;   // a turn round the tube, divided
constexpr float kRingDivisions = 128.0f;  // a turn round the ring, divided

// How far the mouse may drift, in pixels either way, before it ends a saver's run.
constexpr int kMouseSlackPixels = 4;

// The run's clock and count, from the end of start-up to the shutdown.
Uint32 startTicks = 0;
Uint32 frames = 0;
// Where the mouse was first seen in this run; a saver ends when it moves away from there.
bool mouseSeen = false;
int mouseX = 0;
int mouseY = 0;

// Sets the OpenGL state that stays fixed for the whole run, projection included.
void SetFixedGlState(const RunWindow& window) {
  FitViewport(window.width, window.height);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClearDepth(1.0);
  glDepthFunc(GL_LESS);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_DEPTH_TEST);
  glShadeModel(GL_SMOOTH);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(kFieldOfViewDegrees, kAspect, kNearPlane, kFarPlane);
  glMatrixMode(GL_MODELVIEW);
}

// Compiles the tunnel once into the display list that every frame replays.
void CompileTunnelList() {
  glNewList(kTunnelList, GL_COMPILE);
  BuildTunnelMesh(kTubeRadius, kRingRadius, kTubeDivisions, kRingDivisions);
  glEndList();
}

// True for a mouse position beyond the slack round where the mouse was first seen.
bool MouseMovedAway(int x, int y) {
  if (!mouseSeen) {
    mouseSeen = true;
    mouseX = x;
    mouseY = y;
    return false;
  }
  return std::abs(x - mouseX) > kMouseSlackPixels || std::abs(y - mouseY) > kMouseSlackPixels;
}

// True for an event that ends the run: a window close, Escape pressed, and for a saver
// any key or button and a real move of the mouse.
bool IsQuitEvent(const SDL_Event& event, Ending ending) {
  if (event.type == SDL_QUIT ||
      (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE)) {
    return true;
  }
  if (ending != Ending::kAnyInput) {
    return false;
  }
  return event.type == SDL_KEYDOWN || event.type == SDL_MOUSEBUTTONDOWN ||
         (event.type == SDL_MOUSEMOTION && MouseMovedAway(event.motion.x, event.motion.y));
}

// Empties the event queue; true if any event in it ended the run.
bool DrainEvents(Ending ending) {
  bool quit = false;
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    quit = IsQuitEvent(event, ending) || quit;
  }
  return quit;
}

// Returns both image buffers to the heap, index map first, and forgets them.
void FreeImageBuffers() {
  std::free(indexMap);
  indexMap = nullptr;
  std::free(rgbImage);
  rgbImage = nullptr;
}

// Takes both image buffers from the heap; on failure says which call failed and why.
bool AllocateImageBuffers() {
  rgbImage = static_cast<std::uint8_t*>(std::malloc(kRgbImageBytes));
  if (rgbImage != nullptr) {
    indexMap = static_cast<std::uint8_t*>(std::malloc(kIndexMapBytes));
  }
  if (rgbImage == nullptr || indexMap == nullptr) {
    std::fprintf(stderr, "malloc(): %s\n", std::strerror(errno));
    FreeImageBuffers();
    return false;
  }
  return true;
}

// Builds what every frame shows: palette, plasma, texture and the tunnel list. The
// plasma's tables and the tunnel's vertex stream are taken from the heap while they are
// built; if that fails, says so and gives false instead of ending the process.
bool BuildScene() {
  try {
    BuildPalette();
    GeneratePlasma(runOptions.stupidPlasma);
    CreatePlasmaTexture();
    CompileTunnelList();
  } catch (const std::bad_alloc& error) {
    std::fprintf(stderr, "operator new(): %s\n", error.what());
    return false;
  }
  return true;
}

}  // namespace

RunWindow DemoWindow(bool fullScreen) {
  return {kWindowWidth, kWindowHeight, fullScreen ? SDL_FULLSCREEN : 0u, kCaption};
}

bool StartVideo() {
  if (SDL_Init(SDL_INIT_VIDEO) < 0) {
    std::fprintf(stderr, "SDL_Init(): %s\n", SDL_GetError());
    return false;
  }
  return true;
}

bool OpenRun(const RunWindow& window) {
  const Uint32 videoFlags = kBaseVideoFlags | window.extraVideoFlags;
  if (SDL_SetVideoMode(window.width, window.height, kWindowDepth, videoFlags) == nullptr) {
    std::fprintf(stderr, "SDL_SetVideoMode(): %s\n", SDL_GetError());
    SDL_Quit();
    return false;
  }
  if (window.caption != nullptr) {
    SDL_WM_SetCaption(window.caption, nullptr);
  }
  SetFixedGlState(window);
  if (!AllocateImageBuffers()) {
    SDL_Quit();
    return false;
  }
  if (!BuildScene()) {
    FreeImageBuffers();
    SDL_Quit();
    return false;
  }
  travelAccumulator = 0;
  startTicks = SDL_GetTicks();
  frames = 0;
  mouseSeen = false;
  return true;
}

void FitViewport(int windowWidth, int windowHeight) {
  const Viewport viewport = FitFourThree(windowWidth, windowHeight);
  glViewport(viewport.x, viewport.y, viewport.width, viewport.height);
}

bool RunFrame(Ending ending) {
  const bool quit = DrainEvents(ending);
  RenderFrame();
  ++frames;
  return quit;
}

int EndRun() {
  FreeImageBuffers();
  const Uint32 elapsedMs = ElapsedMs(startTicks, SDL_GetTicks());
  SDL_Quit();
  std::fputs(FormatStatistics(elapsedMs, frames).data(), stdout);
  return 0;
}
