// The per-frame pipeline, top to bottom: recolour, clear, camera, replay, present.
#include "app/render_frame.h"

#include <SDL.h>
#include <SDL_opengl.h>

#include "app/camera.h"
#include "app/run_options.h"
#include "plasma/plasma.h"

std::uint32_t travelAccumulator = 0;

namespace {

constexpr float kOutsideDistance = 12.0f;  // from the ring's centre; the ring's radius is 5

// Stands back from the ring and lets it tumble with the clock.
void PlaceOutsideCamera(double ticks) {
  glTranslatef(0.0f, 0.0f, -kOutsideDistance);
  glRotatef(static_cast<float>(TumbleDegrees(ticks)), 1.0f, 0.0f, 0.0f);
  glRotatef(static_cast<float>(SpinDegrees(ticks)), 0.0f, 0.0f, 1.0f);
}

// Looks along the tube from its centre line, rolling, one travel step further on.
void PlaceInsideCamera(double ticks) {
  glRotatef(90.0f, 0.0f, 1.0f, 0.0f);  // the ring's tangent becomes the line of sight
  glRotatef(static_cast<float>(RollDegrees(ticks)), 1.0f, 0.0f, 0.0f);
  glTranslatef(0.0f, -kRingRadius, 0.0f);  // the eye on the tube's centre line
  travelAccumulator = AdvanceTravel(travelAccumulator, ticks);
  glRotatef(static_cast<float>(TravelDegrees(travelAccumulator)), 0.0f, 0.0f, 1.0f);
}

}  // namespace

void RenderFrame() {
  if (!runOptions.noMovingPlasma) {
    CyclePlasmaColours();
  }
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  const double ticks = SDL_GetTicks();
  if (runOptions.outOfTunnel) {
    PlaceOutsideCamera(ticks);
  } else {
    PlaceInsideCamera(ticks);
  }
  glCallList(kTunnelList);
  glFlush();
  SDL_GL_SwapBuffers();
}
