#pragma once

#include "layout/ControlKind.h"
#include "layout/LayoutEntry.h"

#include <QRect>
#include <QRegion>
#include <QSize>

#include <cstdint>
#include <vector>

#include "platform/WindowsApi.h"

// The arithmetic and the decisions of the anchor layout, free of any window:
// rectangles are in the layout window's client coordinates.
namespace anchor_rules {

inline constexpr std::uint32_t SWP_NOSIZE = 0x0001;
inline constexpr std::uint32_t SWP_NOMOVE = 0x0002;
inline constexpr std::uint32_t SWP_NOZORDER = 0x0004;
inline constexpr std::uint32_t SWP_NOACTIVATE = 0x0010;
inline constexpr std::uint32_t SWP_NOCOPYBITS = 0x0100;
inline constexpr std::uint32_t SWP_NOOWNERZORDER = 0x0200;

// (extent * percent) / 100, truncating toward zero after the multiplication.
int AnchorPoint(int extent, int percent);

// A registered entry for a control at `control` in a reference rectangle of
// size `reference`. ANCHOR_NONE as bottom-right anchor takes the top-left one.
LayoutEntry MakeEntry(QWidget* widget, const QRect& control, const QSize& reference,
                      Anchor anchorTopLeft, Anchor anchorBottomRight);

// Where the entry's control goes in a reference rectangle of size `reference`.
QRect NewRect(const LayoutEntry& entry, const QSize& reference);

// A list box scrolled beyond the horizontal limit it will have after the
// resize must be repainted whole, or its old pixels would be shown shifted.
bool ListBoxNeedsRepaint(int scrollLimit, int scrollPos, int newWidth, int currentWidth);

// Positioning flags for moving a control from `current` to `next`.
std::uint32_t PositionFlags(const QRect& current, const QRect& next, bool repaint);

// Whether a control's area may be left out of the parent's background erase.
bool IsClippable(const ControlKind& kind);

// Whether a control must be repainted whole when it is moved or sized.
bool NeedsFullRepaint(const ControlKind& kind);

// One visible control as the background erase sees it.
struct ClipArea {
    QRegion area;
    bool clippable = false;
};

// The part of `erase` that the background erase may paint: in order, clippable
// areas are taken out and the others put back, so a later control wins.
QRegion EraseRegion(QRegion erase, const std::vector<ClipArea>& areas);

} // namespace anchor_rules
