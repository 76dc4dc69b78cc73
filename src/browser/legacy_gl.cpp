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
//     update of the texture in place.
#include <GL/gl.h>
#include <GL/glu.h>
#include <webgl/webgl1.h>

#include <array>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

using Matrix = std::array<float, 16>;  // column-major, as OpenGL keeps it

constexpr Matrix kIdentity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
constexpr int kMaxLists = 8;  // names 1 ... 7; the demo uses 1
constexpr int kFloatsPerVertex = 5;  // s, t, x, y, z

// A compiled display list: its triangle strip in a vertex buffer.
struct List {
  GLuint buffer = 0;
  GLsizei vertices = 0;
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

void glClearDepth(GLclampd depth) { emscripten_glClearDepthf(static_cast<GLfloat>(depth)); }

// Smooth shading is all WebGL has.
void glShadeModel(GLenum) {}

// Texturing is always on in the layer's program; other capabilities pass on.
void glEnable(GLenum capability) {
  if (capability != GL_TEXTURE_2D) {
    emscripten_glEnable(capability);
  }
}

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width,
                  GLsizei height, GLint border, GLenum format, GLenum type, const void* pixels) {
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
  emscripten_glGenBuffers(1, &list.buffer);
  emscripten_glBindBuffer(GL_ARRAY_BUFFER, list.buffer);
  emscripten_glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(gl.strip.size() * sizeof(float)),
                          gl.strip.data(), GL_STATIC_DRAW);
  list.vertices = static_cast<GLsizei>(gl.strip.size() / kFloatsPerVertex);
  gl.strip = {};
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
  emscripten_glDrawArrays(GL_TRIANGLE_STRIP, 0, list.vertices);
}

}  // extern "C"
