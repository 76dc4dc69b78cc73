// Windows starts the demo as a windowed program, so that double-clicked it shows no
// console window beside its own. Before main runs, this gives standard output and standard
// error somewhere to go:
//   - started from a console (cmd, PowerShell), the streams that are not redirected to a
//     file or a pipe are written to that console;
//   - started without one (Explorer, the Start menu), with standard error going nowhere,
//     what the demo writes there (a start-up failure's one line) is kept and shown in a
//     message box as the program ends.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr char kMessageBoxTitle[] = "Plasma Tunnel";
// A failure is one line; the pipe holds far more, so writing to it never waits.
constexpr DWORD kKeptErrorBytes = 64 * 1024;
constexpr int kStandardErrorDescriptor = 2;

HANDLE keptErrors = nullptr;  // the reading end of the pipe behind stderr, if any

// True when the process was given a file, pipe or console for this stream.
bool GoesSomewhere(DWORD stream) {
  const HANDLE handle = GetStdHandle(stream);
  return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
         GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// Points a stream that goes nowhere at the console the process is attached to.
void WriteToConsole(DWORD stream, std::FILE* file) {
  if (!GoesSomewhere(stream)) {
    std::freopen("CONOUT$", "w", file);
  }
}

// Shows whatever was written to standard error, if anything, in a message box.
void ShowKeptErrors() {
  DWORD available = 0;
  if (!PeekNamedPipe(keptErrors, nullptr, 0, nullptr, &available, nullptr) || available == 0) {
    return;
  }
  std::string text(available, '\0');
  DWORD read = 0;
  if (ReadFile(keptErrors, text.data(), available, &read, nullptr)) {
    text.resize(read);
    MessageBoxA(nullptr, text.c_str(), kMessageBoxTitle, MB_OK | MB_ICONERROR);
  }
}

// Puts a pipe behind standard error and shows what it holds when the program ends. A
// windowed program's C library gives a stream that goes nowhere no descriptor at all, and
// Wine's will not reopen such a stream; so the pipe becomes descriptor 2 and the stream
// is pointed at it.
void KeepErrorsForMessageBox() {
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&keptErrors, &writeEnd, nullptr, kKeptErrorBytes)) {
    return;
  }
  const int descriptor = _open_osfhandle(reinterpret_cast<std::intptr_t>(writeEnd), _O_TEXT);
  _dup2(descriptor, kStandardErrorDescriptor);
  _close(descriptor);
  stderr->_file = kStandardErrorDescriptor;
  std::atexit(ShowKeptErrors);
}

// Gives standard output and error their places; true once done.
bool PrepareStandardStreams() {
  if (AttachConsole(ATTACH_PARENT_PROCESS)) {
    WriteToConsole(STD_OUTPUT_HANDLE, stdout);
    WriteToConsole(STD_ERROR_HANDLE, stderr);
  } else if (!GoesSomewhere(STD_ERROR_HANDLE)) {
    KeepErrorsForMessageBox();
  }
  return true;
}

// Before main: SDL's start-up library calls it only once the process is running.
const bool standardStreamsReady = PrepareStandardStreams();

}  // namespace
