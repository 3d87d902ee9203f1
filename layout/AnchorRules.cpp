#include "layout/AnchorRules.h"

namespace anchor_rules {

namespace {

constexpr std::uint32_t kPlainMoveFlags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;

int Right(const QRect& r) { return r.x() + r.width(); }
int Bottom(const QRect& r) { return r.y() + r.height(); }

} // namespace

int AnchorPoint(int extent, int percent)
{
    // The product is formed in 64 bits so that no anchor overflows it.
    return static_cast<int>(static_cast<long long>(extent) * percent / 100);
}

LayoutEntry MakeEntry(QWidget* widget, const QRect& control, const QSize& reference,
                      Anchor anchorTopLeft, Anchor anchorBottomRight)
{
    if (anchorBottomRight == ANCHOR_NONE)
        anchorBottomRight = anchorTopLeft;
    LayoutEntry entry;
    entry.hWnd = widget;
    entry.anchorTopLeft = anchorTopLeft;
    entry.anchorBottomRight = anchorBottomRight;
    const int w = reference.width();
    const int h = reference.height();
    entry.marginTopLeft = {control.x() - AnchorPoint(w, anchorTopLeft.x),
                           control.y() - AnchorPoint(h, anchorTopLeft.y)};
    entry.marginBottomRight = {Right(control) - AnchorPoint(w, anchorBottomRight.x),
                               Bottom(control) - AnchorPoint(h, anchorBottomRight.y)};
    return entry;
}

QRect NewRect(const LayoutEntry& entry, const QSize& reference)
{
    const int w = reference.width();
    const int h = reference.height();
    const int left = AnchorPoint(w, entry.anchorTopLeft.x) + entry.marginTopLeft.x();
    const int top = AnchorPoint(h, entry.anchorTopLeft.y) + entry.marginTopLeft.y();
    const int right = AnchorPoint(w, entry.anchorBottomRight.x) + entry.marginBottomRight.x();
    const int bottom = AnchorPoint(h, entry.anchorBottomRight.y) + entry.marginBottomRight.y();
    return {left, top, right - left, bottom - top};
}

bool ListBoxNeedsRepaint(int scrollLimit, int scrollPos, int newWidth, int currentWidth)
{
    return scrollLimit > 0 && scrollPos > scrollLimit - (newWidth - currentWidth);
}

std::uint32_t PositionFlags(const QRect& current, const QRect& next, bool repaint)
{
    std::uint32_t flags = kPlainMoveFlags | (repaint ? SWP_NOCOPYBITS : 0);
    if (next.topLeft() == current.topLeft())
        flags |= SWP_NOMOVE;
    if (next.size() == current.size())
        flags |= SWP_NOSIZE;
    return flags;
}

bool IsClippable(const ControlKind& kind)
{
    if (kind.IsGroupBox())
        return false;
    if (kind.windowClass != WindowClass::Static)
        return true;
    switch (kind.Type()) {
    case 4: case 5: case 6: // filled rectangles
    case SS_BITMAP:
    case SS_ETCHEDHORZ:
    case SS_ETCHEDVERT:
        return true;
    case SS_ICON:
    case SS_ENHMETAFILE:
        return (kind.style & SS_CENTERIMAGE) == 0;
    default: // text and the rest paint the parent's background themselves
        return false;
    }
}

bool NeedsFullRepaint(const ControlKind& kind)
{
    if (kind.windowClass != WindowClass::Static)
        return false;
    switch (kind.Type()) {
    case SS_LEFT:
    case SS_CENTER:
    case SS_RIGHT:
    case SS_BITMAP:
    case SS_ENHMETAFILE:
        return true;
    case SS_ICON:
    case SS_SIMPLE:
    case SS_ETCHEDHORZ:
    case SS_ETCHEDVERT:
        return false;
    default:
        return (kind.style & SS_CENTERIMAGE) != 0;
    }
}

QRegion EraseRegion(QRegion erase, const std::vector<ClipArea>& areas)
{
    const QRegion bound = erase;
    for (const ClipArea& a : areas)
        erase = a.clippable ? erase.subtracted(a.area) : erase.united(a.area);
    // Putting an area back never reaches beyond what was to be erased at all.
    return erase.intersected(bound);
}

} // namespace anchor_rules
