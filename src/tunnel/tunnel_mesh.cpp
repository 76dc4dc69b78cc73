// Tunnel geometry. Step sizes and angles are rounded to single precision where
// noted: that rounding decides how many steps and bands there are.
#include "tunnel/tunnel_mesh.h"

#include <cmath>

namespace {

// The ring angle's sine and cosine and its texture coordinate, for one band edge.
struct RingEdge {
  double sinPhi, cosPhi;
  float t;
};

// The edge of a band at ring angle phi.
RingEdge MakeRingEdge(double phi) {
  return {std::sin(phi), std::cos(phi), static_cast<float>(phi / kFullTurn)};
}

// The surface point at tube angle theta on a ring edge.
TunnelVertex MakeVertex(float a, float b, float theta, float z, const RingEdge& edge) {
  const double ringDistance = b + a * std::cos(static_cast<double>(theta));
  return {static_cast<float>(theta / kFullTurn), edge.t,
          static_cast<float>(ringDistance * edge.cosPhi),
          static_cast<float>(ringDistance * edge.sinPhi), z};
}

}  // namespace

std::vector<TunnelStrip> GenerateTunnelStrips(float a, float b, float c, float d) {
  const float ringStep = static_cast<float>(kFullTurn / d);
  const float tubeStep = static_cast<float>(kFullTurn / c);
  std::vector<TunnelStrip> strips;
  double phi = 0.0;
  do {
    const double farPhi = phi + ringStep;
    const RingEdge nearEdge = MakeRingEdge(phi);
    const RingEdge farEdge = MakeRingEdge(farPhi);
    TunnelStrip& strip = strips.emplace_back();
    float theta = 0.0f;
    do {
      const float nextTheta = static_cast<float>(theta + tubeStep);
      const float z = static_cast<float>(a * std::sin(static_cast<double>(theta)));
      const float nextZ = static_cast<float>(a * std::sin(static_cast<double>(nextTheta)));
      strip.push_back(MakeVertex(a, b, theta, z, nearEdge));
      strip.push_back(MakeVertex(a, b, theta, z, farEdge));
      strip.push_back(MakeVertex(a, b, nextTheta, nextZ, nearEdge));
      strip.push_back(MakeVertex(a, b, nextTheta, nextZ, farEdge));
      theta = nextTheta;
    } while (theta <= kFullTurn);
    phi = static_cast<float>(farPhi);
  } while (phi <= kFullTurn);
  return strips;
}
