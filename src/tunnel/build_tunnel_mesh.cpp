// The tunnel's only OpenGL calls: the vertex stream, strip by strip.
#include <SDL_opengl.h>

#include "tunnel/tunnel_mesh.h"

void BuildTunnelMesh(float a, float b, float c, float d) {
  for (const TunnelStrip& strip : GenerateTunnelStrips(a, b, c, d)) {
    glBegin(GL_QUAD_STRIP);
    for (const TunnelVertex& v : strip) {
      glTexCoord2f(v.s, v.t);
      glVertex3f(v.x, v.y, v.z);
    }
    glEnd();
  }
}
