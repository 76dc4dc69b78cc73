#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tunnel/tunnel_mesh.h"

namespace {

constexpr double kTubeRadius = 0.3f;  // 0.30000001192092896, as the mesh sees it

// The tunnel exactly as the demo builds it.
const std::vector<TunnelStrip>& DemoTunnel() {
  static const std::vector<TunnelStrip> strips = GenerateTunnelStrips(0.3f, 5.0f, 64.0f, 128.0f);
  return strips;
}


TEST(TunnelMesh, HasOneHundredTwentyEightStripsOf260Vertices) {
  const auto& strips = DemoTunnel();
  ASSERT_EQ(strips.size(), 128u);
  for (const TunnelStrip& strip : strips) {
    EXPECT_EQ(strip.size(), 260u);
  }
}

TEST(TunnelMesh, FirstTwoVertices) {
  const TunnelStrip& strip = DemoTunnel().front();
  const TunnelVertex& first = strip[0];
  EXPECT_EQ(first.s, 0.0f);
  EXPECT_EQ(first.t, 0.0f);
  EXPECT_EQ(first.x, 5.3f);
  EXPECT_EQ(first.y, 0.0f);
  EXPECT_EQ(first.z, 0.0f);

  const double ringStep = static_cast<float>(6.28318 / 128.0);
  const TunnelVertex& second = strip[1];
  EXPECT_EQ(second.s, 0.0f);
  EXPECT_EQ(second.t, static_cast<float>(ringStep / 6.28318));
  EXPECT_NEAR(second.t, 0.0078125, 1e-9);
  // The ring distance b + a, with a as the mesh sees it.
  EXPECT_EQ(second.x, static_cast<float>((5.0 + kTubeRadius) * std::cos(ringStep)));
  EXPECT_EQ(second.y, static_cast<float>((5.0 + kTubeRadius) * std::sin(ringStep)));
  EXPECT_EQ(second.z, 0.0f);
}

TEST(TunnelMesh, EveryVertexLiesOnTheTube) {
  for (const TunnelStrip& strip : DemoTunnel()) {
    for (const TunnelVertex& v : strip) {
      const double fromAxis = std::hypot(double{v.x}, double{v.y});
      const double fromCentreLine = std::hypot(fromAxis - 5.0, double{v.z});
      ASSERT_NEAR(fromCentreLine, kTubeRadius, 3e-7);
      ASSERT_LE(std::abs(v.z), kTubeRadius);
    }
  }
}

TEST(TunnelMesh, EveryBandReachesBothEdgesOfTheTubeAtSteps17And49) {
  for (const TunnelStrip& strip : DemoTunnel()) {
    // Step k (counted from 1) starts at vertex 4 (k - 1), at a quarter and three quarters of a turn.
    EXPECT_EQ(strip[4 * 16].z, static_cast<float>(kTubeRadius));
    EXPECT_EQ(strip[4 * 48].z, static_cast<float>(-kTubeRadius));
    const auto [low, high] = std::minmax_element(
        strip.begin(), strip.end(),
        [](const TunnelVertex& a, const TunnelVertex& b) { return a.z < b.z; });
    EXPECT_EQ(low->z, static_cast<float>(-kTubeRadius));
    EXPECT_EQ(high->z, static_cast<float>(kTubeRadius));
  }
}

TEST(TunnelMesh, VerticesComeInNearFarPairsPerStep) {
  for (const TunnelStrip& strip : DemoTunnel()) {
    for (std::size_t i = 0; i < strip.size(); i += 2) {
      EXPECT_EQ(strip[i].t, strip[0].t);        // near edge
      EXPECT_EQ(strip[i + 1].t, strip[1].t);    // far edge
      EXPECT_EQ(strip[i].s, strip[i + 1].s);    // same tube angle on both edges
      EXPECT_EQ(strip[i].z, strip[i + 1].z);
    }
    // Each step repeats the previous step's far tube angle as its near one.
    for (std::size_t i = 4; i < strip.size(); i += 4) {
      EXPECT_EQ(strip[i].s, strip[i - 2].s);
    }
  }
}

TEST(TunnelMesh, BandsCoverOneTurnWithoutOverlap) {
  const auto& strips = DemoTunnel();
  for (std::size_t band = 1; band < strips.size(); ++band) {
    EXPECT_LT(strips[band - 1][0].t, strips[band][0].t);
    EXPECT_NEAR(strips[band - 1][1].t, strips[band][0].t, 1e-7);
  }
  const TunnelStrip& last = strips.back();
  EXPECT_NEAR(last[0].t, 0.9921883, 1e-7);
  EXPECT_NEAR(last[1].t, 1.0000007, 1e-7);
}

TEST(TunnelMesh, SixtyFifthStepOverlapsTheFirst) {
  const TunnelStrip& strip = DemoTunnel().front();
  EXPECT_NEAR(strip[256].s, 6.283175 / 6.28318, 1e-6);  // the 65th step starts just short of 1
  EXPECT_NEAR(strip[258].s, 1.0156, 1e-4);              // and ends past it
}

TEST(TunnelMesh, StepCountsFollowTheDivisors) {
  // A quarter turn round the tube, an eighth round the ring: after 8 bands and 4 steps
  // the single-precision angles have passed the full turn.
  const auto coarse = GenerateTunnelStrips(1.0f, 3.0f, 4.0f, 8.0f);
  ASSERT_EQ(coarse.size(), 8u);
  for (const TunnelStrip& strip : coarse) {
    EXPECT_EQ(strip.size(), 16u);
  }
}

}  // namespace
