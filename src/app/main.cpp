// Entry point: start-up in a fixed order, the main loop, shutdown and statistics.
#include <SDL.h>
#include <SDL_opengl.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "app/render_frame.h"
#include "app/run_options.h"
#include "app/statistics.h"
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

// Sets the OpenGL state that stays fixed for the whole run, projection included.
void SetFixedGlState() {
  glViewport(0, 0, kWindowWidth, kWindowHeight);
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

// True for a window close and for Escape being pressed.
bool IsQuitEvent(const SDL_Event& event) {
  return event.type == SDL_QUIT ||
         (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE);
}

// Empties the event queue; true if any event in it asked to quit.
bool DrainEvents() {
  bool quit = false;
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    quit = quit || IsQuitEvent(event);
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

int main(int argc, char* argv[]) {
  if (SDL_Init(SDL_INIT_VIDEO) < 0) {
    std::fprintf(stderr, "SDL_Init(): %s\n", SDL_GetError());
    return 1;
  }
  runOptions = ReadRunOptions(argc, argv);
  const Uint32 videoFlags = kBaseVideoFlags | (runOptions.fullScreen ? SDL_FULLSCREEN : 0);
  if (SDL_SetVideoMode(kWindowWidth, kWindowHeight, kWindowDepth, videoFlags) == nullptr) {
    std::fprintf(stderr, "SDL_SetVideoMode(): %s\n", SDL_GetError());
    SDL_Quit();
    return 1;
  }
  SDL_WM_SetCaption(kCaption, nullptr);
  SetFixedGlState();
  if (!AllocateImageBuffers()) {
    SDL_Quit();
    return 1;
  }
  if (!BuildScene()) {
    FreeImageBuffers();
    SDL_Quit();
    return 1;
  }

  travelAccumulator = 0;
  const Uint32 startTicks = SDL_GetTicks();
  bool quit = false;
  Uint32 frames = 0;
  while (!quit) {
    quit = DrainEvents();
    RenderFrame();
    ++frames;
  }

  FreeImageBuffers();
  const Uint32 elapsedMs = ElapsedMs(startTicks, SDL_GetTicks());
  SDL_Quit();
  std::fputs(FormatStatistics(elapsedMs, frames).data(), stdout);
  return 0;
}
