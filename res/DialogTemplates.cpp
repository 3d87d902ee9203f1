#include "res/DialogTemplates.h"

#include "platform/WindowStyles.h"
#include "res/Resource.h"

using namespace style;

namespace {

constexpr std::uint32_t kChild = WS_CHILD | WS_VISIBLE;
constexpr std::uint32_t kPush = kChild | WS_TABSTOP | BS_PUSHBUTTON;
constexpr std::uint32_t kEdit = kChild | WS_BORDER | WS_TABSTOP | ES_CENTER | ES_MULTILINE | ES_AUTOHSCROLL
    | ES_WANTRETURN;
constexpr std::uint32_t kNumberEdit = kEdit | ES_NUMBER;

// The group setup form: a child form with a thin border, no caption.
constexpr DialogItemTemplate kFormItems[] = {
    {IDC_MONITOR_LIST, "LISTBOX", "", 11, 141, 232, 13, kChild | WS_VSCROLL | WS_BORDER | WS_TABSTOP | LBS_NOINTEGRALHEIGHT},
    {IDC_MONITOR_CLEAR, "BUTTON", "Clear", 35, 152, 42, 12, kPush},
    {IDC_CLOCK, "MFCClockCtrl", "", 17, 153, 221, 11, kChild},
    {IDC_PORT_STATUS, "STATIC", "", 185, 122, 66, 12, kChild | SS_CENTER | SS_SUNKEN},
    {IDC_MONITOR_PAUSE, "BUTTON", "", 168, 152, 42, 12, kPush | BS_CENTER | BS_VCENTER},
    {IDC_RF_CHANNEL, "EDIT", "", 87, 60, 25, 12, kNumberEdit},
    {IDC_GROUP_NAME, "EDIT", "", 103, 41, 54, 12, kEdit},
    {IDC_PASSWORD_KEY, "EDIT", "", 228, 60, 25, 12, kNumberEdit},
    {IDC_GET, "BUTTON", "Get ", 40, 18, 37, 12, kPush},
    {IDC_SET, "BUTTON", "Set", 192, 18, 37, 12, kPush},
    {IDC_MONITOR_CAPTION, "STATIC", "Trakbus Monitor", 79, 156, 97, 8, kChild | SS_CENTER},
    {IDC_GET_LABEL, "STATIC", "Read Current Settings", 13, 7, 97, 8, kChild | SS_CENTER},
    {IDC_SET_LABEL, "STATIC", "Write New Settings", 165, 7, 99, 8, kChild | SS_CENTER},
    {IDC_RF_CHANNEL_LABEL, "STATIC", "RF Channel (11-26)", 26, 62, 58, 8, kChild | SS_RIGHT},
    {IDC_GROUP_NAME_LABEL, "STATIC", "Group Name(8 char Max)", 17, 42, 83, 8, kChild | SS_RIGHT},
    {IDC_PASSWORD_KEY_LABEL, "STATIC", "Password Key( 0 - 9999)", 139, 62, 86, 8, kChild | SS_RIGHT},
    {IDC_GROUP_ID_LABEL, "STATIC", "Group ID ( 0 - 127)", 165, 42, 59, 8, kChild | SS_RIGHT},
    {IDC_GROUP_ID, "EDIT", "", 228, 41, 25, 12, kNumberEdit | WS_DISABLED},
    {IDC_GROUP_FRAME, "BUTTON", "Group Settings", 10, 32, 248, 43, kChild | BS_GROUPBOX | BS_CENTER},
    {IDC_RSSI, "MFCRssiCtrl", "", 10, 78, 170, 57, kChild},
    {IDC_SCAN_BUTTON, "BUTTON", "Start Chan Scan", 186, 77, 59, 14, kChild | WS_TABSTOP | BS_OWNERDRAW},
    {IDC_SCAN_NOTE, "STATIC", "", 200, 93, 64, 8, kChild | SS_LEFT},
    {IDC_GET_RESULT, "STATIC", "", 79, 18, 95, 10, kChild | SS_LEFT},
};

constexpr DialogItemTemplate kPortSelectionItems[] = {
    {IDOK, "BUTTON", "OK", 40, 43, 50, 14, 0x50010001},
    {IDC_PORT_COMBO, "COMBOBOX", "", 42, 21, 48, 172, 0x50230002},
    {IDC_STATIC, "STATIC", "COM Port", 42, 10, 48, 8, 0x50020201},
};

constexpr DialogItemTemplate kAboutItems[] = {
    {IDC_STATIC, "STATIC", "128", 11, 17, 20, 20, kChild | SS_ICON},
    {IDC_VERSION_LINE, "STATIC", "", 43, 13, 120, 8, kChild | WS_GROUP | SS_LEFT},
    {IDOK, "BUTTON", "OK", 178, 7, 50, 14, kChild | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON},
};

constexpr std::uint32_t kModal = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;

constexpr DialogTemplate kTemplates[] = {
    {IDD_ABOUTBOX, "About Brenvik", kModal, 0, 0, 235, 55, "MS Sans Serif", 8, kAboutItems},
    {IDD_BRENVIK_FORM, "", WS_CHILD | WS_BORDER | DS_SETFONT, 0, 0, 267, 167, "MS Sans Serif", 8, kFormItems},
    {IDD_PORT_SELECTION, "Port Selection", kModal, 0, 0, 130, 66, "MS Sans Serif", 8, kPortSelectionItems},
};

} // namespace

const DialogTemplate* FindDialogTemplate(int id)
{
    for (const DialogTemplate& dialog : kTemplates) {
        if (dialog.id == id)
            return &dialog;
    }
    return nullptr;
}
