// One frame: colours, camera, the tunnel, the swap.
#pragma once

#include <cstdint>

// The display list that holds the tunnel; its name is fixed, never generated.
constexpr unsigned kTunnelList = 1;
// The radius of the tunnel's ring: the mesh is built round it, the inside camera rides it.
constexpr float kRingRadius = 5.0f;

// How far the inside camera has travelled round the ring; reset before the main loop.
extern std::uint32_t travelAccumulator;

// Draws and presents one complete frame.
void RenderFrame();
