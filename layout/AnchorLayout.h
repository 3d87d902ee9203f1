#pragma once

#include "layout/Anchor.h"
#include "layout/LayoutEntry.h"

#include <QRect>
#include <QRegion>

#include <cstdint>
#include <vector>

class QWidget;

// Keeps the child controls of one window in place while the window changes
// size. Each control is registered once with an anchor for its top-left and one
// for its bottom-right corner; every layout pass puts each corner back at the
// distance from its anchor point that it had at registration.
//
// A derived class names the window it lays out (GetLayoutWindow) and may
// change the reference rectangle (GetLayoutRect).
class CAnchorLayout {
public:
    // A control's new place as a layout pass decided it, in the coordinates of
    // the layout window, with the positioning flags of anchor_rules.
    struct WindowMove {
        QWidget* widget = nullptr;
        QRect rect;
        std::uint32_t flags = 0;
    };

    CAnchorLayout() = default;
    CAnchorLayout(const CAnchorLayout&) = delete;
    CAnchorLayout& operator=(const CAnchorLayout&) = delete;
    virtual ~CAnchorLayout();

    // Registers `control`, which may be null (then every pass skips the entry).
    // The current reference rectangle is the design size the margins are taken in.
    void AnchorControl(QWidget* control, Anchor anchorTopLeft, Anchor anchorBottomRight = ANCHOR_NONE);

    // Registers the direct child of the layout window whose object name is the
    // decimal dialog identifier `id` ("1024"); an unknown identifier gives an
    // entry that is skipped.
    void AnchorControl(int id, Anchor anchorTopLeft, Anchor anchorBottomRight = ANCHOR_NONE);

    // The layout pass: computes every control's rectangle first, then applies
    // them all with the layout window's updates suspended, so they move at once.
    void ArrangeControls();

    // The moves a pass would make now; controls already in place are left out.
    std::vector<WindowMove> PlanArrangement();

    // The part of `erase` (layout window coordinates) that the background erase
    // may paint without painting over controls that paint their own background.
    QRegion ClipControls(const QRegion& erase) const;

    const std::vector<LayoutEntry>& Entries() const { return m_entries; }

protected:
    virtual bool IsClippable(const QWidget& control) const;
    virtual bool NeedsFullRepaint(const QWidget& control) const;
    // The rectangle whose width and height the anchors scale; by default the
    // layout window's client rectangle.
    virtual QRect GetLayoutRect() const;
    // Asked during a pass for an entry without a control; the engine itself
    // never moves such an entry, whatever the answer.
    virtual bool PlaceWindowlessEntry(LayoutEntry& entry);
    virtual QWidget* GetLayoutWindow() const = 0;

private:
    QRect RectInLayoutWindow(const QWidget& control) const;
    void Apply(const WindowMove& move) const;

    std::vector<LayoutEntry> m_entries;
};
