// Preloaded into the demo to time it from outside: notes when the process started, when
// each frame was presented and how long each texture upload took, and writes the notes
// to $FRAME_PROBE_OUT when the process exits. One line a frame, in ms since the start:
// "<presented> <first upload began> <time spent uploading>" (0 0 without uploads).
#include <GL/gl.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

constexpr int kMaxFrames = 1 << 20;  // enough for hours at the frame rates seen here
double presentedAt[kMaxFrames];
double uploadStartedAt[kMaxFrames];
double uploadTime[kMaxFrames];
int frames = 0;
double startedAt = 0.0;

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

__attribute__((destructor)) void WriteNotes() {
  // Preloading reaches every process of the command (a timing wrapper too): only
  // the one that presented frames writes.
  const char* path = std::getenv("FRAME_PROBE_OUT");
  std::FILE* out = path != nullptr && frames > 0 ? std::fopen(path, "w") : nullptr;
  if (out == nullptr) {
    return;
  }
  for (int i = 0; i < frames && i < kMaxFrames; ++i) {
    const double began = uploadStartedAt[i] > 0.0 ? uploadStartedAt[i] - startedAt : 0.0;
    std::fprintf(out, "%.4f %.4f %.4f\n", presentedAt[i] - startedAt, began, uploadTime[i]);
  }
  std::fclose(out);
}

}  // namespace

extern "C" void SDL_GL_SwapBuffers() {
  static const auto next = Next<void (*)()>("SDL_GL_SwapBuffers");
  next();
  if (frames < kMaxFrames) {
    presentedAt[frames] = NowMs();
  }
  ++frames;
}

extern "C" void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width,
                             GLsizei height, GLint border, GLenum format, GLenum type,
                             const void* pixels) {
  static const auto next =
      Next<void (*)(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void*)>(
          "glTexImage2D");
  const double before = NowMs();
  next(target, level, internalFormat, width, height, border, format, type, pixels);
  if (frames < kMaxFrames) {
    if (uploadStartedAt[frames] == 0.0) {
      uploadStartedAt[frames] = before;
    }
    uploadTime[frames] += NowMs() - before;
  }
}
