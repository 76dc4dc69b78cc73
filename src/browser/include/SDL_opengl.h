// The browser's SDL_opengl.h declares OpenGL but not GLU, which SDL 1.2's brings along on
// every other platform: this one adds it, for gluPerspective, which legacy_gl.cpp supplies.
#pragma once

#include_next <SDL_opengl.h>

#include <GL/glu.h>
