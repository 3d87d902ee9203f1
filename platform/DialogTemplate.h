#pragma once

#include <cstdint>
#include <span>
#include <string_view>

// One control of a dialog template. Position and size are in dialog units.
struct DialogItemTemplate {
    int id;
    std::string_view className; // "BUTTON", "EDIT", "STATIC", "LISTBOX", "COMBOBOX" or a custom class
    std::string_view text;
    int x, y, cx, cy;
    std::uint32_t style;
};

// A dialog or form template: frame style, caption, size in dialog units, the
// font the dialog units are measured from, and the controls in tab order.
struct DialogTemplate {
    int id;
    std::string_view caption;
    std::uint32_t style;
    int x, y, cx, cy;
    std::string_view fontName;
    int pointSize;
    std::span<const DialogItemTemplate> items;
};
