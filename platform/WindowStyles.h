#pragma once

#include <cstdint>

#include "platform/WindowsApi.h"

// Style bits of dialog templates, with the values the templates were written in.
namespace style {
constexpr std::uint32_t WS_POPUP = 0x80000000;
constexpr std::uint32_t WS_CHILD = 0x40000000;
constexpr std::uint32_t WS_VISIBLE = 0x10000000;
constexpr std::uint32_t WS_DISABLED = 0x08000000;
constexpr std::uint32_t WS_CAPTION = 0x00C00000;
constexpr std::uint32_t WS_BORDER = 0x00800000;
constexpr std::uint32_t WS_VSCROLL = 0x00200000;
constexpr std::uint32_t WS_SYSMENU = 0x00080000;
constexpr std::uint32_t WS_GROUP = 0x00020000;
constexpr std::uint32_t WS_TABSTOP = 0x00010000;

constexpr std::uint32_t DS_SETFONT = 0x40;
constexpr std::uint32_t DS_MODALFRAME = 0x80;

constexpr std::uint32_t BS_TYPEMASK = 0x0F;
constexpr std::uint32_t BS_PUSHBUTTON = 0x00;
constexpr std::uint32_t BS_DEFPUSHBUTTON = 0x01;
constexpr std::uint32_t BS_GROUPBOX = 0x07;
constexpr std::uint32_t BS_OWNERDRAW = 0x0B;
constexpr std::uint32_t BS_CENTER = 0x300;
constexpr std::uint32_t BS_VCENTER = 0xC00;

constexpr std::uint32_t ES_CENTER = 0x0001;
constexpr std::uint32_t ES_RIGHT = 0x0002;
constexpr std::uint32_t ES_MULTILINE = 0x0004;
constexpr std::uint32_t ES_AUTOHSCROLL = 0x0080;
constexpr std::uint32_t ES_WANTRETURN = 0x1000;
constexpr std::uint32_t ES_NUMBER = 0x2000;

constexpr std::uint32_t SS_TYPEMASK = 0x1F;
constexpr std::uint32_t SS_LEFT = 0x00;
constexpr std::uint32_t SS_CENTER = 0x01;
constexpr std::uint32_t SS_RIGHT = 0x02;
constexpr std::uint32_t SS_ICON = 0x03;
constexpr std::uint32_t SS_CENTERIMAGE = 0x0200;
constexpr std::uint32_t SS_SUNKEN = 0x1000;

constexpr std::uint32_t LBS_NOINTEGRALHEIGHT = 0x0100;

constexpr std::uint32_t CBS_TYPEMASK = 0x03;
constexpr std::uint32_t CBS_DROPDOWN = 0x02;
constexpr std::uint32_t CBS_DROPDOWNLIST = 0x03;
} // namespace style

// Identifiers of the standard dialog buttons.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
// The identifier of controls nobody addresses.
constexpr int IDC_STATIC = -1;
