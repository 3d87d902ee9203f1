#pragma once

#include <QString>

#include "platform/WindowsApi.h"

// Show states of a placement.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWMINNOACTIVE = 7;
constexpr int SW_FORCEMINIMIZE = 11;

// Placement flags.
constexpr int WPF_RESTORETOMAXIMIZED = 2;
// The bit of the stored flags that carries the stay-on-top switch.
constexpr int kStayOnTopFlag = 0x8000;

// A window placement as it is stored: the flags, the show state, the minimized
// and maximized positions and the restored rectangle (right and bottom
// exclusive). length 0 means "none loaded".
struct WindowPlacement {
    int length = 0;
    int flags = 0;
    int showCmd = SW_SHOWNORMAL;
    int minX = -1, minY = -1;
    int maxX = -1, maxY = -1;
    int left = 0, top = 0, right = 0, bottom = 0;

    static constexpr int kStoredLength = 44;
};

// "%i:%i:%i:%i:%i:%i:%i:%i:%i:%i" of the ten fields in stored order.
QString FormatPlacement(const WindowPlacement& placement);
// Parses the ten fields with "%i" semantics; false (and the placement left as
// parsed so far) unless all ten were converted.
bool ParsePlacement(const QString& text, WindowPlacement& placement);

// Whether a show state asks for a minimized window.
bool IsMinimizedShow(int showCmd);
