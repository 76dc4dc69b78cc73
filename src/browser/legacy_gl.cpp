// The part of OpenGL 1.1 and GLU that the demo uses, on WebGL 1, for the browser build.
// WebGL has no matrix stack, no immediate mode, no display lists, no quad strips, no
// fixed-function texturing and no component-count internal formats; this supplies them
// as the demo uses them, under their usual names, and passes everything else straight on:
//   - the projection and modelview matrices, with glLoadIdentity, glRotatef, glTranslatef
//     and gluPerspective multiplying onto the current one as OpenGL does;
//   - glBegin/glTexCoord2f/glVertex3f/glEnd inside glNewList/glEndList, kept in one vertex
//     buffer a list; a quad strip is the triangle strip of the same vertices, and a list's
//     strips are joined by repeated vertices, so glCallList is one draw call;
//   - the texture's colour as the fragment's (the modulate default with the white colour);
//   - internal format 3 as GL_RGB, and a whole-image upload of the same size again as an
//     update of the texture in place;
//   - everything the context holds made again once the browser gives back a context it took
//     away (RemakeLostGraphics): for that it keeps the state the demo set, each list's
//     vertices, and the one texture's parameters and last image.
#include "legacy_gl.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <emscripten.h>
#include <webgl/webgl1.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <utility>
#include <vector>

namespace {

using Matrix = std::array<float, 16>;  // column-major, as OpenGL keeps it

constexpr Matrix kIdentity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
constexpr int kMaxLists = 8;  // names 1 ... 7; the demo uses 1
constexpr int kFloatsPerVertex = 5;  // s, t, x, y, z
constexpr int kBytesPerTexel = 3;  // the demo's images are GL_RGB, GL_UNSIGNED_BYTE

// A compiled display list: its triangle strip, kept, and in a vertex buffer.
struct List {
  GLuint buffer = 0;
  std::vector<float> strip;
};

// Everything the layer keeps, in one place.
struct State {
  Matrix projection = kIdentity;
  Matrix modelview = kIdentity;
  Matrix* current = &modelview;
  std::array<List, kMaxLists> lists{};
  GLuint compiling = 0;           // the list between glNewList and glEndList, or 0
  std::vector<float> strip;       // the list's vertices so far
  std::size_t primitiveStart = 0;  // where the current glBegin's vertices start
  std::array<float, 2> texCoord{};
  GLuint program = 0;
  GLint transform = -1;
  GLsizei uploadedSize = 0;  // width of the texture image specified so far, or 0
  // What the demo set in the context, to set again in a new one.
  std::array<GLint, 4> viewport{};
  std::array<GLfloat, 4> clearColour{};
  GLfloat clearDepth = 1.0f;
  GLenum depthFunction = GL_LESS;
  std::vector<GLenum> enabled;
  GLuint texture = 0;  // the texture bound, the one the demo uses
  std::vector<std::pair<GLenum, GLint>> textureParameters;
  std::vector<std::uint8_t> image;  // the texture's last image, imageSize x imageSize texels
  GLsizei imageSize = 0;
} gl;

constexpr char kVertexShader[] = R"(
attribute vec2 texCoord;
attribute vec3 position;
uniform mat4 transform;
varying highp vec2 uv;
void main() {
  uv = texCoord;
  gl_Position = transform * vec4(position, 1.0);
})";

// Texture coordinates reach 1.0156 and address 512 texels: medium precision is too coarse.
constexpr char kFragmentShader[] = R"(
precision highp float;
uniform sampler2D plasma;
varying highp vec2 uv;
void main() {
  gl_FragColor = texture2D(plasma, uv);
})";

// a := a * b.
void MultiplyOnto(Matrix& a, const Matrix& b) {
  Matrix product{};
  for (int column = 0; column < 4; ++column) {
    for (int row = 0; row < 4; ++row) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) {
        sum += a[4 * k + row] * b[4 * column + k];
      }
      product[4 * column + row] = sum;
    }
  }
  a = product;
}

GLuint CompileShader(GLenum kind, const char* source) {
  const GLuint shader = emscripten_glCreateShader(kind);
  emscripten_glShaderSource(shader, 1, &source, nullptr);
  emscripten_glCompileShader(shader);
  return shader;
}

// The one program that draws every list: position through the matrices, texture colour.
void MakeProgram() {
  gl.program = emscripten_glCreateProgram();
  emscripten_glAttachShader(gl.program, CompileShader(GL_VERTEX_SHADER, kVertexShader));
  emscripten_glAttachShader(gl.program, CompileShader(GL_FRAGMENT_SHADER, kFragmentShader));
  emscripten_glBindAttribLocation(gl.program, 0, "texCoord");
  emscripten_glBindAttribLocation(gl.program, 1, "position");
  emscripten_glLinkProgram(gl.program);
  gl.transform = emscripten_glGetUniformLocation(gl.program, "transform");
}

// Puts a list's strip into a new vertex buffer.
void UploadList(List& list) {
  emscripten_glGenBuffers(1, &list.buffer);
  emscripten_glBindBuffer(GL_ARRAY_BUFFER, list.buffer);
  emscripten_glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(list.strip.size() * sizeof(float)),
                          list.strip.data(), GL_STATIC_DRAW);
}

// Puts a new texture object behind a name the demo holds: the old one went with the lost
// context, and the demo goes on binding its name.
EM_JS(void, MakeTextureObjectAgain, (GLuint name), {
  var texture = GLctx.createTexture();
  texture.name = name;
  GL.textures[name] = texture;
});

// Appends the vertex at floats [from, from + 5) of the list being compiled again.
void RepeatVertex(std::size_t from) {
  for (int i = 0; i < kFloatsPerVertex; ++i) {
    gl.strip.push_back(gl.strip[from + i]);
  }
}

}  // namespace

extern "C" {

void glMatrixMode(GLenum mode) {
  gl.current = mode == GL_PROJECTION ? &gl.projection : &gl.modelview;
}

void glLoadIdentity() { *gl.current = kIdentity; }

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
  MultiplyOnto(*gl.current, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1});
}

void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
  const float length = std::sqrt(x * x + y * y + z * z);
  x /= length;
  y /= length;
  z /= length;
  const float radians = angle * std::numbers::pi_v<float> / 180.0f;
  const float c = std::cos(radians);
  const float s = std::sin(radians);
  const float d = 1.0f - c;
  MultiplyOnto(*gl.current, {x * x * d + c, y * x * d + z * s, x * z * d - y * s, 0,
                             x * y * d - z * s, y * y * d + c, y * z * d + x * s, 0,
                             x * z * d + y * s, y * z * d - x * s, z * z * d + c, 0,
                             0, 0, 0, 1});
}

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
  const double f = 1.0 / std::tan(fovy * std::numbers::pi / 360.0);
  const double depth = zNear - zFar;
  MultiplyOnto(*gl.current, {static_cast<float>(f / aspect), 0, 0, 0,
                             0, static_cast<float>(f), 0, 0,
                             0, 0, static_cast<float>((zFar + zNear) / depth), -1,
                             0, 0, static_cast<float>(2.0 * zFar * zNear / depth), 0});
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
  gl.viewport = {x, y, width, height};
  emscripten_glViewport(x, y, width, height);
}

void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha) {
  gl.clearColour = {red, green, blue, alpha};
  emscripten_glClearColor(red, green, blue, alpha);
}

void glClearDepth(GLclampd depth) {
  gl.clearDepth = static_cast<GLfloat>(depth);
  emscripten_glClearDepthf(gl.clearDepth);
}

void glDepthFunc(GLenum function) {
  gl.depthFunction = function;
  emscripten_glDepthFunc(function);
}

// Smooth shading is all WebGL has.
void glShadeModel(GLenum) {}

// Texturing is always on in the layer's program; other capabilities pass on.
void glEnable(GLenum capability) {
  if (capability != GL_TEXTURE_2D) {
    gl.enabled.push_back(capability);
    emscripten_glEnable(capability);
  }
}

void glBindTexture(GLenum target, GLuint texture) {
  gl.texture = texture;
  emscripten_glBindTexture(target, texture);
}

void glTexParameteri(GLenum target, GLenum name, GLint value) {
  gl.textureParameters.emplace_back(name, value);
  emscripten_glTexParameteri(target, name, value);
}

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width,
                  GLsizei height, GLint border, GLenum format, GLenum type, const void* pixels) {
  if (level == 0 && width == height && pixels != nullptr) {
    const auto* bytes = static_cast<const std::uint8_t*>(pixels);
    gl.image.assign(bytes, bytes + static_cast<std::size_t>(width) * height * kBytesPerTexel);
    gl.imageSize = width;
  }
  if (level == 0 && width == gl.uploadedSize && height == gl.uploadedSize) {
    emscripten_glTexSubImage2D(target, 0, 0, 0, width, height, format, type, pixels);
    return;
  }
  const GLint internal = internalFormat == 3 ? GL_RGB : internalFormat;
  emscripten_glTexImage2D(target, level, internal, width, height, border, format, type, pixels);
  gl.uploadedSize = width == height ? width : 0;
}

void glNewList(GLuint list, GLenum) {
  gl.compiling = list;
  gl.strip.clear();
}

void glBegin(GLenum) {
  // A quad strip's vertices, in their order, are a triangle strip of the same quads; a
  // strip after the first is joined on by repeating the last vertex so far and, once it
  // has come, its own first one, which makes triangles of no area.
  if (!gl.strip.empty()) {
    RepeatVertex(gl.strip.size() - kFloatsPerVertex);
  }
  gl.primitiveStart = gl.strip.size();
}

void glTexCoord2f(GLfloat s, GLfloat t) { gl.texCoord = {s, t}; }

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
  const bool joining = gl.primitiveStart > 0 && gl.strip.size() == gl.primitiveStart;
  gl.strip.insert(gl.strip.end(), {gl.texCoord[0], gl.texCoord[1], x, y, z});
  if (joining) {
    RepeatVertex(gl.primitiveStart);
  }
}

// A strip ends where the next glBegin or glEndList takes over.
void glEnd() {}

void glEndList() {
  List& list = gl.lists[gl.compiling % kMaxLists];
  list.strip = std::move(gl.strip);
  gl.strip = {};
  UploadList(list);
  gl.compiling = 0;
  if (gl.program == 0) {
    MakeProgram();
  }
}

void glCallList(GLuint name) {
  const List& list = gl.lists[name % kMaxLists];
  Matrix transform = gl.projection;
  MultiplyOnto(transform, gl.modelview);
  emscripten_glUseProgram(gl.program);
  emscripten_glUniformMatrix4fv(gl.transform, 1, GL_FALSE, transform.data());
  emscripten_glBindBuffer(GL_ARRAY_BUFFER, list.buffer);
  constexpr GLsizei stride = kFloatsPerVertex * sizeof(float);
  emscripten_glEnableVertexAttribArray(0);
  emscripten_glEnableVertexAttribArray(1);
  emscripten_glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, stride, nullptr);
  emscripten_glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride,
                                   reinterpret_cast<const void*>(2 * sizeof(float)));
  emscripten_glDrawArrays(GL_TRIANGLE_STRIP, 0,
                          static_cast<GLsizei>(list.strip.size() / kFloatsPerVertex));
}

}  // extern "C"

void RemakeLostGraphics() {
  emscripten_glViewport(gl.viewport[0], gl.viewport[1], gl.viewport[2], gl.viewport[3]);
  emscripten_glClearColor(gl.clearColour[0], gl.clearColour[1], gl.clearColour[2],
                          gl.clearColour[3]);
  emscripten_glClearDepthf(gl.clearDepth);
  emscripten_glDepthFunc(gl.depthFunction);
  for (const GLenum capability : gl.enabled) {
    emscripten_glEnable(capability);
  }
  if (gl.program != 0) {
    MakeProgram();
  }
  for (List& list : gl.lists) {
    if (!list.strip.empty()) {
      UploadList(list);
    }
  }
  if (gl.texture != 0) {
    MakeTextureObjectAgain(gl.texture);
    emscripten_glBindTexture(GL_TEXTURE_2D, gl.texture);
    for (const auto& [name, value] : gl.textureParameters) {
      emscripten_glTexParameteri(GL_TEXTURE_2D, name, value);
    }
    if (!gl.image.empty()) {
      emscripten_glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, gl.imageSize, gl.imageSize, 0, GL_RGB,
                              GL_UNSIGNED_BYTE, gl.image.data());
    }
    gl.uploadedSize = gl.imageSize;
  }
}
