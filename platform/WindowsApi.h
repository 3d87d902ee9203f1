#pragma once

// On Windows: <windows.h>, without the macros by which it takes over names
// this program gives its own functions and constants (GetWindowText would
// become GetWindowTextW, WS_CHILD a number where style::WS_CHILD is meant).
// A header that declares or uses such a name includes this one first, so
// every file sees the names as written, whatever it includes after it
// (<windows.h> is not read again). The constants keep the system's values.
// Elsewhere it is empty.
#ifdef _WIN32
#include "serial/WindowsHeader.h"

#undef GetWindowText
#undef SetWindowText
#undef RegisterWindowMessage
#undef PostAppMessage
#undef WinHelp

#undef WS_POPUP
#undef WS_CHILD
#undef WS_VISIBLE
#undef WS_DISABLED
#undef WS_CAPTION
#undef WS_BORDER
#undef WS_VSCROLL
#undef WS_SYSMENU
#undef WS_GROUP
#undef WS_TABSTOP
#undef DS_SETFONT
#undef DS_MODALFRAME
#undef BS_TYPEMASK
#undef BS_PUSHBUTTON
#undef BS_DEFPUSHBUTTON
#undef BS_GROUPBOX
#undef BS_OWNERDRAW
#undef BS_LEFT
#undef BS_RIGHT
#undef BS_CENTER
#undef BS_TOP
#undef BS_BOTTOM
#undef BS_VCENTER
#undef BS_MULTILINE
#undef ES_CENTER
#undef ES_RIGHT
#undef ES_MULTILINE
#undef ES_AUTOHSCROLL
#undef ES_WANTRETURN
#undef ES_NUMBER
#undef SS_TYPEMASK
#undef SS_LEFT
#undef SS_CENTER
#undef SS_RIGHT
#undef SS_ICON
#undef SS_SIMPLE
#undef SS_BITMAP
#undef SS_ENHMETAFILE
#undef SS_ETCHEDHORZ
#undef SS_ETCHEDVERT
#undef SS_CENTERIMAGE
#undef SS_SUNKEN
#undef LBS_NOINTEGRALHEIGHT
#undef CBS_DROPDOWN
#undef CBS_DROPDOWNLIST
#undef IDOK
#undef IDCANCEL
#undef ODS_SELECTED
#undef ODS_DISABLED
#undef ODS_FOCUS
#undef ODS_DEFAULT
#undef COLOR_BACKGROUND
#undef COLOR_BTNFACE
#undef COLOR_BTNSHADOW
#undef COLOR_BTNTEXT
#undef COLOR_BTNHIGHLIGHT
#undef COLOR_3DDKSHADOW
#undef COLOR_3DLIGHT
#undef SWP_NOSIZE
#undef SWP_NOMOVE
#undef SWP_NOZORDER
#undef SWP_NOACTIVATE
#undef SWP_NOCOPYBITS
#undef SWP_NOOWNERZORDER
#undef SW_HIDE
#undef SW_SHOWNORMAL
#undef SW_SHOWMINIMIZED
#undef SW_SHOWMAXIMIZED
#undef SW_SHOW
#undef SW_MINIMIZE
#undef SW_SHOWMINNOACTIVE
#undef SW_FORCEMINIMIZE
#undef WPF_RESTORETOMAXIMIZED
#undef HELP_CONTEXT
#undef HELP_QUIT
#undef HELP_FINDER
#endif
