#pragma once

#include "layout/Anchor.h"

#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <cstdint>

// One anchored control. The margins are the distances of the control's corners
// from their anchor points, fixed when the control is registered.
struct LayoutEntry {
    // Null for an identifier the layout window does not have, or once the
    // control is deleted; such an entry is skipped everywhere.
    QPointer<QWidget> hWnd;
    std::uint32_t nHookId = 0;
    bool bTrackHScroll = false;
    bool bRepaintOnMove = false;
    Anchor anchorTopLeft;
    QPoint marginTopLeft;
    Anchor anchorBottomRight;
    QPoint marginBottomRight;
};
