// The plasma texture: one texture object, uploaded whole at start-up and every frame.
#include <SDL.h>
#include <SDL_opengl.h>

#include "plasma/plasma.h"
#include "plasma/plasma_image.h"

namespace {

GLuint plasmaTexture;  // generated once, bound for the whole run, never deleted
constexpr GLint kRgbComponents = 3;

// Specifies the whole texture image from the RGB image.
void UploadPlasmaImage() {
  glTexImage2D(GL_TEXTURE_2D, 0, kRgbComponents, kPlasmaSize, kPlasmaSize, 0, GL_RGB,
               GL_UNSIGNED_BYTE, rgbImage);
}

}  // namespace

void CreatePlasmaTexture() {
  glGenTextures(1, &plasmaTexture);
  glBindTexture(GL_TEXTURE_2D, plasmaTexture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  UploadPlasmaImage();
}

void CyclePlasmaColours() {
  RecolourPlasma(SDL_GetTicks());
  UploadPlasmaImage();
}
