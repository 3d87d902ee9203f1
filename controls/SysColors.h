#pragma once

#include <QColor>

#include "platform/WindowsApi.h"

class QPalette;

// The system colours the controls and the form use, taken from the platform
// palette. The indices are the platform's numbers for them.
enum SysColor : int {
    COLOR_BACKGROUND = 1,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_BTNTEXT = 18,
    COLOR_BTNHIGHLIGHT = 20,
    COLOR_3DDKSHADOW = 21,
    COLOR_3DLIGHT = 22,
};

// The colour of `index` in `palette`.
QColor SysColorFromPalette(const QPalette& palette, SysColor index);

// The colour of `index` in the application's current palette.
QColor GetSysColor(SysColor index);
