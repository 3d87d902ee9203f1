#include "res/MainMenu.h"

#include "res/Resource.h"

namespace {

constexpr MenuItemResource kFileItems[] = {
    {"Stay On Top", ID_STAY_ON_TOP},
    {"", 0},
    {"E&xit", ID_APP_EXIT},
};

// Windows beside the form.
constexpr MenuItemResource kViewItems[] = {
    {"Trakbus &Monitor", ID_VIEW_BUS_MONITOR},
    {"Scan &Results", ID_VIEW_SCAN_RESULTS},
};

constexpr MenuItemResource kHelpItems[] = {
    {"&Help Topics", ID_HELP_FINDER},
    {"&About Brenvik...", ID_APP_ABOUT},
};

constexpr MenuBarResource kMenuBar[] = {
    {"&File", 0, kFileItems},
    {"&View", 0, kViewItems},
    {"&PortSetup", ID_PORT_SETUP, {}},
    {"&Help", 0, kHelpItems},
};

constexpr AcceleratorResource kAccelerators[] = {
    {"Ctrl+N", ID_FILE_NEW},
    {"Ctrl+O", ID_FILE_OPEN},
    {"Ctrl+S", ID_FILE_SAVE},
    {"Ctrl+Z", ID_EDIT_UNDO},
    {"Alt+Backspace", ID_EDIT_UNDO},
    {"Ctrl+X", ID_EDIT_CUT},
    {"Shift+Del", ID_EDIT_CUT},
    {"Ctrl+C", ID_EDIT_COPY},
    {"Ctrl+Ins", ID_EDIT_COPY},
    {"Ctrl+V", ID_EDIT_PASTE},
    {"Shift+Ins", ID_EDIT_PASTE},
    {"F6", ID_NEXT_PANE},
    {"Shift+F6", ID_PREV_PANE},
    {"F1", ID_HELP},
    {"Ctrl+M", ID_VIEW_BUS_MONITOR},
    {"Ctrl+R", ID_VIEW_SCAN_RESULTS},
};

} // namespace

std::span<const MenuBarResource> MainMenu()
{
    return kMenuBar;
}

std::span<const AcceleratorResource> MainAccelerators()
{
    return kAccelerators;
}
