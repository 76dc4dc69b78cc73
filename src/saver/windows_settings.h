// The Windows saver's settings: the three looks and the warning, kept per user.
#pragma once

#include <windows.h>

#include "app/run_options.h"

// The looks this user chose last, or the demo's own where nothing was chosen.
RunOptions ReadSaverSettings();

// Shows the settings dialog, owned by the given window where there is one, and keeps what
// is chosen when the user says OK.
void ShowSaverSettings(HWND owner);
