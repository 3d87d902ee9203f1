#pragma once

// Resource numbers: templates, icons, strings and commands.

// Dialog templates.
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_BRENVIK_FORM = 101;
constexpr int IDD_PORT_SELECTION = 130;

// Menu, accelerators, icon and document strings of the main frame.
constexpr int IDR_MAINFRAME = 128;

// Strings.
constexpr int AFX_IDS_APP_TITLE = 57344;  // "Brenvik"
constexpr int IDS_VERSION = 61204;        // "Version 1.03"

// Commands of our own.
constexpr int ID_STAY_ON_TOP = 32771;
constexpr int ID_PORT_SETUP = 32773;
constexpr int ID_VIEW_BUS_MONITOR = 32774;
constexpr int ID_VIEW_SCAN_RESULTS = 32775;

// Standard commands.
constexpr int ID_FILE_NEW = 57600;
constexpr int ID_FILE_OPEN = 57601;
constexpr int ID_FILE_SAVE = 57603;
constexpr int ID_EDIT_COPY = 57634;
constexpr int ID_EDIT_CUT = 57635;
constexpr int ID_EDIT_PASTE = 57637;
constexpr int ID_EDIT_UNDO = 57643;
constexpr int ID_APP_ABOUT = 57664;
constexpr int ID_APP_EXIT = 57665;
constexpr int ID_HELP_FINDER = 57667;
constexpr int ID_CONTEXT_HELP = 57669;
constexpr int ID_HELP = 57670;
constexpr int ID_DEFAULT_HELP = 57671;
constexpr int ID_NEXT_PANE = 57680;
constexpr int ID_PREV_PANE = 57681;

// Controls of the main form.
constexpr int IDC_MONITOR_LIST = 1002;
constexpr int IDC_PORT_COMBO = 1003;
constexpr int IDC_MONITOR_CLEAR = 1004;
constexpr int IDC_CLOCK = 1005;
constexpr int IDC_PORT_STATUS = 1006;
constexpr int IDC_MONITOR_PAUSE = 1007;
constexpr int IDC_RF_CHANNEL = 1008;
constexpr int IDC_GROUP_NAME = 1009;
constexpr int IDC_PASSWORD_KEY = 1010;
constexpr int IDC_GET = 1011;
constexpr int IDC_SET = 1012;
constexpr int IDC_MONITOR_CAPTION = 1013;
constexpr int IDC_GET_LABEL = 1014;
constexpr int IDC_SET_LABEL = 1015;
constexpr int IDC_RF_CHANNEL_LABEL = 1016;
constexpr int IDC_GROUP_NAME_LABEL = 1017;
constexpr int IDC_PASSWORD_KEY_LABEL = 1018;
constexpr int IDC_GROUP_ID_LABEL = 1019;
constexpr int IDC_GROUP_ID = 1020;
constexpr int IDC_GROUP_FRAME = 1021;
constexpr int IDC_RSSI = 1024;
constexpr int IDC_SCAN_BUTTON = 1026;
constexpr int IDC_SCAN_NOTE = 1027;
constexpr int IDC_GET_RESULT = 1029;

// The About box's version line (the same number as a label of the form).
constexpr int IDC_VERSION_LINE = 1019;
