#pragma once

#include <span>
#include <string_view>

// The main frame's menu and accelerator table (resource IDR_MAINFRAME).

// A menu item; command 0 is a separator.
struct MenuItemResource {
    std::string_view text;
    int command;
};

// An entry of the menu bar: a popup with items, or (no items) a command of
// the bar itself.
struct MenuBarResource {
    std::string_view text;
    int command;
    std::span<const MenuItemResource> items;
};

// A key combination (in QKeySequence's portable text) and its command.
struct AcceleratorResource {
    std::string_view keys;
    int command;
};

std::span<const MenuBarResource> MainMenu();
std::span<const AcceleratorResource> MainAccelerators();
