// The torus the camera flies through: its vertex stream, and its emission into OpenGL.
#pragma once

#include <vector>

// A full turn in every angle and texture coordinate of the mesh. Deliberately this
// decimal, a little short of 2 pi: the step counts depend on it.
constexpr double kFullTurn = 6.28318;

// One vertex of a quad strip, with the texture coordinate that precedes it.
struct TunnelVertex {
  float s, t;     // round the tube, round the ring
  float x, y, z;  // the ring lies round the z axis
};

// One band round the ring, as a quad strip.
using TunnelStrip = std::vector<TunnelVertex>;

// The tube of radius a bent round a ring of radius b, with a full turn round the
// tube divided by c and round the ring divided by d, band by band.
std::vector<TunnelStrip> GenerateTunnelStrips(float a, float b, float c, float d);

// Emits the tunnel as textured quad strips; meant to run inside a display-list compilation.
void BuildTunnelMesh(float a, float b, float c, float d);
