// The demo as a Windows screen saver (.scr): over the whole desktop for "/s", ending at the
// first key, button or real move of the mouse; in the settings' little screen for
// "/p HWND", ending when that window goes; the settings dialog for "/c" or no argument.
// The looks are the ones chosen in the settings. The saver is linked without SDL's start-up
// library, so its main is the program's own.
#include <windows.h>

#include <SDL.h>
#include <SDL_syswm.h>

#include <cstdio>
#include <string>

#include "app/run.h"
#include "app/run_options.h"
#include "saver/saver_arguments.h"
#include "saver/windows_settings.h"

#undef main

namespace {

constexpr wchar_t kPreviewClass[] = L"PlasmaTunnelPreview";

// Hands SDL a setting through the environment, where it reads them when it starts.
void SetSdlVariable(const std::string& name, const std::string& value) {
  _putenv((name + "=" + value).c_str());
}

// Keeps the saver's window above every other and hides the mouse over it.
void TakeTheDesktop() {
  SDL_ShowCursor(SDL_DISABLE);
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWMInfo(&info) > 0) {
    SetWindowPos(info.window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  }
}

// "/s": a frameless window over the whole desktop, every monitor, at its own resolution.
int ShowOverDesktop() {
  SetSdlVariable("SDL_VIDEO_WINDOW_POS", std::to_string(GetSystemMetrics(SM_XVIRTUALSCREEN)) +
                                             "," +
                                             std::to_string(GetSystemMetrics(SM_YVIRTUALSCREEN)));
  if (!StartVideo()) {
    return 1;
  }
  runOptions = ReadSaverSettings();
  RunWindow window = DemoWindow(false);
  window.width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  window.height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  window.extraVideoFlags = SDL_NOFRAME;
  if (!OpenRun(window)) {
    return 1;
  }
  TakeTheDesktop();
  while (!RunFrame(Ending::kAnyInput)) {
  }
  return EndRun();
}

// A window of this process covering the host's client area: SDL draws only into windows
// whose messages it can take, which another process's window is not.
HWND CoverHostWindow(HWND host, const RECT& area) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW preview{};
  preview.lpfnWndProc = DefWindowProcW;
  preview.hInstance = instance;
  preview.lpszClassName = kPreviewClass;
  RegisterClassW(&preview);
  return CreateWindowExW(0, kPreviewClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, area.right,
                         area.bottom, host, nullptr, instance, nullptr);
}

// "/p HWND": drawn in the host window until it goes away.
int ShowInPreview(HWND host) {
  RECT area;
  if (!GetClientRect(host, &area)) {
    std::fprintf(stderr, "GetClientRect(): no window %p to preview in\n", static_cast<void*>(host));
    return 1;
  }
  const HWND cover = CoverHostWindow(host, area);
  if (cover == nullptr) {
    std::fprintf(stderr, "CreateWindowExW(): error %lu\n", GetLastError());
    return 1;
  }
  SetSdlVariable("SDL_WINDOWID", std::to_string(reinterpret_cast<UINT_PTR>(cover)));
  if (!StartVideo()) {
    return 1;
  }
  runOptions = ReadSaverSettings();
  if (!OpenRun(RunWindow{area.right, area.bottom, 0, nullptr})) {
    return 1;
  }
  while (!RunFrame(Ending::kEscape) && IsWindow(host)) {
  }
  return EndRun();
}

HWND AsWindow(std::uint64_t number) {
  return reinterpret_cast<HWND>(static_cast<UINT_PTR>(number));
}

}  // namespace

int main(int argc, char* argv[]) {
  const WindowsSaverRequest request = ReadWindowsSaverRequest(argc, argv);
  switch (request.mode) {
    case WindowsSaverRequest::kShow:
      return ShowOverDesktop();
    case WindowsSaverRequest::kPreview:
      return ShowInPreview(AsWindow(request.window));
    case WindowsSaverRequest::kSettings:
      ShowSaverSettings(AsWindow(request.window));
      return 0;
    case WindowsSaverRequest::kMalformed:
      break;
  }
  std::fprintf(stderr, "usage: plasma-tunnel.scr [/s | /p HWND | /c[:HWND]]\n");
  return 1;
}
