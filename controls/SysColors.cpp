#include "controls/SysColors.h"

#include <QGuiApplication>
#include <QPalette>

QColor SysColorFromPalette(const QPalette& palette, SysColor index)
{
    switch (index) {
    case COLOR_BTNFACE: return palette.color(QPalette::Button);
    case COLOR_BTNTEXT: return palette.color(QPalette::ButtonText);
    case COLOR_3DLIGHT: return palette.color(QPalette::Midlight);
    case COLOR_BTNHIGHLIGHT: return palette.color(QPalette::Light);
    case COLOR_BTNSHADOW: return palette.color(QPalette::Dark);
    case COLOR_3DDKSHADOW: return palette.color(QPalette::Shadow);
    // There is no desktop colour in the palette; its accent colour is the
    // closest, and it stays readable on black (where the bar labels go).
    case COLOR_BACKGROUND: return palette.color(QPalette::Highlight);
    }
    return {};
}

QColor GetSysColor(SysColor index)
{
    return SysColorFromPalette(QGuiApplication::palette(), index);
}
