// Preloaded into the demo to time it from outside. At each buffer swap it appends one
// line to $FRAME_PROBE_OUT, in ms since the process started:
// "<presented> <first upload of the frame began> <time spent uploading>" (0 0 without
// uploads). Lines go straight to the file, so the probe's own memory stays flat however
// long the run.
#include <GL/gl.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

double startedAt = 0.0;
double uploadBeganAt = 0.0;  // of the frame being drawn; 0 before its first upload
double uploadTime = 0.0;
std::FILE* notes = nullptr;

double NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

__attribute__((constructor)) void NoteStart() { startedAt = NowMs(); }

__attribute__((destructor)) void CloseNotes() {
  if (notes != nullptr) {
    std::fclose(notes);
  }
}

// Opened at the first swap: preloading also reaches a wrapper process (a timer), which
// must not touch the file.
void WriteFrame(double presentedAt) {
  if (notes == nullptr) {
    const char* path = std::getenv("FRAME_PROBE_OUT");
    notes = path != nullptr ? std::fopen(path, "w") : nullptr;
    if (notes == nullptr) {
      return;
    }
  }
  const double began = uploadBeganAt > 0.0 ? uploadBeganAt - startedAt : 0.0;
  std::fprintf(notes, "%.4f %.4f %.4f\n", presentedAt - startedAt, began, uploadTime);
}

}  // namespace

extern "C" void SDL_GL_SwapBuffers() {
  static const auto next = Next<void (*)()>("SDL_GL_SwapBuffers");
  next();
  WriteFrame(NowMs());
  uploadBeganAt = 0.0;
  uploadTime = 0.0;
}

extern "C" void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width,
                             GLsizei height, GLint border, GLenum format, GLenum type,
                             const void* pixels) {
  static const auto next =
      Next<void (*)(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void*)>(
          "glTexImage2D");
  const double before = NowMs();
  next(target, level, internalFormat, width, height, border, format, type, pixels);
  if (uploadBeganAt == 0.0) {
    uploadBeganAt = before;
  }
  uploadTime += NowMs() - before;
}
