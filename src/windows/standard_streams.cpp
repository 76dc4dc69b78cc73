// Windows starts the demo as a windowed program, so that double-clicked it shows no
// console window beside its own. Before main runs, this gives standard output and standard
// error somewhere to go:
//   - started from a console (cmd, PowerShell), the streams that are not redirected to a
//     file or a pipe are written to that console;
//   - started without one (Explorer, the Start menu), with standard error going nowhere,
//     the program runs itself again with standard error into a pipe, waits for that run and
//     ends with its status; what the run wrote there (a start-up failure's one line) is
//     shown in a message box.
// A stream that the C library started with nowhere to go has no descriptor, and Wine's C
// library will not reopen it; so it is never reopened but given to a new run from the start.
// Only documented interfaces of Windows and of its C libraries, old (MSVCRT) and new (UCRT).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

constexpr char kMessageBoxTitle[] = "Plasma Tunnel";
// A failure is one line; the pipe holds far more, so writing to it never waits.
constexpr DWORD kKeptErrorBytes = 64 * 1024;

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

// Everything written into the pipe until its last writer has closed it.
std::string ReadUntilClosed(HANDLE readEnd) {
  std::string text;
  char chunk[256];
  DWORD read = 0;
  while (ReadFile(readEnd, chunk, sizeof chunk, &read, nullptr) && read > 0) {
    text.append(chunk, read);
  }
  return text;
}

// Runs this program again, same command line, with standard error into a pipe; shows what
// that run wrote there, if anything, and gives its exit status. Nothing, having run
// nothing, where no such run can be started.
std::optional<DWORD> RunAgainKeepingErrors() {
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inheritable, kKeptErrorBytes)) {
    return std::nullopt;
  }
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = writeEnd;
  PROCESS_INFORMATION run{};
  const bool started = CreateProcessW(nullptr, GetCommandLineW(), nullptr, nullptr, TRUE, 0,
                                      nullptr, nullptr, &startup, &run);
  CloseHandle(writeEnd);
  if (!started) {
    CloseHandle(readEnd);
    return std::nullopt;
  }
  const std::string errors = ReadUntilClosed(readEnd);
  CloseHandle(readEnd);
  WaitForSingleObject(run.hProcess, INFINITE);
  DWORD status = EXIT_FAILURE;
  GetExitCodeProcess(run.hProcess, &status);
  CloseHandle(run.hProcess);
  CloseHandle(run.hThread);
  if (!errors.empty()) {
    MessageBoxA(nullptr, errors.c_str(), kMessageBoxTitle, MB_OK | MB_ICONERROR);
  }
  return status;
}

// Gives standard output and error their places; true once done.
bool PrepareStandardStreams() {
  if (AttachConsole(ATTACH_PARENT_PROCESS)) {
    WriteToConsole(STD_OUTPUT_HANDLE, stdout);
    WriteToConsole(STD_ERROR_HANDLE, stderr);
  } else if (!GoesSomewhere(STD_ERROR_HANDLE)) {
    if (const std::optional<DWORD> status = RunAgainKeepingErrors()) {
      std::exit(static_cast<int>(*status));
    }
  }
  return true;
}

// Before main: SDL's start-up library calls it only once the process is running.
const bool standardStreamsReady = PrepareStandardStreams();

}  // namespace
