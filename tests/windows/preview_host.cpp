// A window for the screen saver's preview, as the Screen Saver settings hand one over.
// Usage: preview-host WIDTH HEIGHT SHOWN_MS KEPT_MS. Prints the window's handle; after
// SHOWN_MS, the client size of each window that covers it ("covered by WIDTHxHEIGHT"),
// destroys it and says so ("destroyed"), and ends KEPT_MS later: a saver that ends in
// between has seen its window go, not its host's process.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

// Says the client size of one window that the host holds.
BOOL CALLBACK SayCoverSize(HWND child, LPARAM) {
  RECT area;
  GetClientRect(child, &area);
  std::printf("covered by %ldx%ld\n", area.right, area.bottom);
  return TRUE;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: preview-host WIDTH HEIGHT SHOWN_MS KEPT_MS\n");
    return 2;
  }
  WNDCLASSW host{};
  host.lpfnWndProc = DefWindowProcW;
  host.hInstance = GetModuleHandleW(nullptr);
  host.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  host.lpszClassName = L"PreviewHost";
  RegisterClassW(&host);
  RECT frame{0, 0, std::atoi(argv[1]), std::atoi(argv[2])};
  AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
  const HWND window = CreateWindowW(L"PreviewHost", L"Preview host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                    0, 0, frame.right - frame.left, frame.bottom - frame.top,
                                    nullptr, nullptr, host.hInstance, nullptr);
  std::printf("%llu\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
  std::fflush(stdout);
  SetTimer(window, 1, static_cast<UINT>(std::atoi(argv[3])), nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_TIMER) {
      EnumChildWindows(window, SayCoverSize, 0);
      DestroyWindow(window);
      std::printf("destroyed\n");
      std::fflush(stdout);
      break;
    }
    DispatchMessageW(&message);
  }
  Sleep(static_cast<DWORD>(std::atoi(argv[4])));
  return 0;
}
