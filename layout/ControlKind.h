#pragma once

#include <cstdint>

#include "platform/WindowsApi.h"

class QWidget;

// The window classes the layout rules tell apart, with the style bits that
// matter to them. Our widgets are mapped onto these by ClassifyWidget.
enum class WindowClass { Static, Button, Edit, ListBox, Other };

inline constexpr std::uint32_t kStyleTypeMask = 0x1F;
inline constexpr std::uint32_t SS_LEFT = 0;
inline constexpr std::uint32_t SS_CENTER = 1;
inline constexpr std::uint32_t SS_RIGHT = 2;
inline constexpr std::uint32_t SS_ICON = 3;
inline constexpr std::uint32_t SS_SIMPLE = 11;
inline constexpr std::uint32_t SS_BITMAP = 14;
inline constexpr std::uint32_t SS_ENHMETAFILE = 15;
inline constexpr std::uint32_t SS_ETCHEDHORZ = 16;
inline constexpr std::uint32_t SS_ETCHEDVERT = 17;
inline constexpr std::uint32_t SS_CENTERIMAGE = 0x200;
inline constexpr std::uint32_t BS_PUSHBUTTON = 0;
inline constexpr std::uint32_t BS_GROUPBOX = 7;

struct ControlKind {
    WindowClass windowClass = WindowClass::Other;
    std::uint32_t style = 0;

    std::uint32_t Type() const { return style & kStyleTypeMask; }
    bool IsGroupBox() const { return windowClass == WindowClass::Button && Type() == BS_GROUPBOX; }
};

// Labels are static text (or a bitmap when they show a picture), group boxes
// and push buttons are buttons, line and text edits are edits, list views are
// list boxes; everything else, our own controls included, is Other.
ControlKind ClassifyWidget(const QWidget& widget);
