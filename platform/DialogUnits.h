#pragma once

#include <QRect>

#include "platform/WindowsApi.h"

class QFont;

#ifndef _WIN32 // there it is the system's own
// number * numerator / denominator with a 64-bit intermediate, rounded half
// away from zero; -1 when the denominator is 0.
int MulDiv(int number, int numerator, int denominator);
#endif

// Pixels per 4 horizontal / 8 vertical dialog units.
struct DialogBaseUnits {
    int cx;
    int cy;
};

// The base units of a font, measured as the dialog manager does: the average
// width of "A".."Z" "a".."z" rounded to whole pixels, and the text height.
DialogBaseUnits MeasureDialogBaseUnits(const QFont& font);

// A rectangle in dialog units in pixels: each of x, y, width and height is
// converted on its own, so a control's size does not depend on its position.
QRect MapDialogRect(const QRect& units, DialogBaseUnits base);
QSize MapDialogSize(const QSize& units, DialogBaseUnits base);
