// The settings dialog's resource numbers, shared by the resource script and the code.
#pragma once

#define PLASMA_SETTINGS_DIALOG 100
#define PLASMA_STILL_COLOURS 101
#define PLASMA_PLAIN_BANDS 102
#define PLASMA_FROM_OUTSIDE 103
