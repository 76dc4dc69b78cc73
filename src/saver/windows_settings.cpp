// The saver's settings dialog and where it keeps what is chosen: the current user's part
// of the registry, under the program's own key.
#include "saver/windows_settings.h"

#include "saver/settings_dialog.h"

namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\Plasma Tunnel\\Screen Saver";

// One look: its check box and the value that keeps it.
struct Look {
  int control;
  const wchar_t* value;
  bool RunOptions::*option;
};

constexpr Look kLooks[] = {
    {PLASMA_STILL_COLOURS, L"NoMovingPlasma", &RunOptions::noMovingPlasma},
    {PLASMA_PLAIN_BANDS, L"StupidPlasma", &RunOptions::stupidPlasma},
    {PLASMA_FROM_OUTSIDE, L"OutOfTunnel", &RunOptions::outOfTunnel},
};

// Writes the chosen looks under the key, making it where it is missing.
void WriteSaverSettings(const RunOptions& options) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      &key, nullptr) != ERROR_SUCCESS) {
    return;
  }
  for (const Look& look : kLooks) {
    const DWORD chosen = options.*look.option ? 1 : 0;
    RegSetValueExW(key, look.value, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&chosen),
                   sizeof chosen);
  }
  RegCloseKey(key);
}

// The dialog's procedure, as Windows calls it for each of the dialog's messages.
INT_PTR CALLBACK SettingsDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    const RunOptions options = ReadSaverSettings();
    for (const Look& look : kLooks) {
      CheckDlgButton(dialog, look.control, options.*look.option ? BST_CHECKED : BST_UNCHECKED);
    }
    return TRUE;
  }
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    if (LOWORD(wParam) == IDOK) {
      RunOptions options;
      for (const Look& look : kLooks) {
        options.*look.option = IsDlgButtonChecked(dialog, look.control) == BST_CHECKED;
      }
      WriteSaverSettings(options);
    }
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

}  // namespace

RunOptions ReadSaverSettings() {
  RunOptions options;
  for (const Look& look : kLooks) {
    DWORD chosen = 0;
    DWORD size = sizeof chosen;
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, look.value, RRF_RT_REG_DWORD, nullptr,
                     &chosen, &size) == ERROR_SUCCESS) {
      options.*look.option = chosen != 0;
    }
  }
  return options;
}

void ShowSaverSettings(HWND owner) {
  DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(PLASMA_SETTINGS_DIALOG),
                  IsWindow(owner) ? owner : nullptr,
                  SettingsDialogMessage, 0);
}
