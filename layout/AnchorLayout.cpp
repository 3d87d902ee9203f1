#include "layout/AnchorLayout.h"

#include "layout/AnchorRules.h"
#include "layout/ControlKind.h"

#include <QAbstractScrollArea>
#include <QScrollBar>
#include <QString>
#include <QWidget>

using namespace anchor_rules;

CAnchorLayout::~CAnchorLayout() = default;

void CAnchorLayout::AnchorControl(QWidget* control, Anchor anchorTopLeft, Anchor anchorBottomRight)
{
    if (!control) {
        LayoutEntry entry;
        entry.anchorTopLeft = anchorTopLeft;
        entry.anchorBottomRight = anchorBottomRight;
        m_entries.push_back(entry);
        return;
    }
    const ControlKind kind = ClassifyWidget(*control);
    // A group box lies under the controls it frames, so it never paints over
    // them nor takes their mouse clicks.
    if (kind.IsGroupBox())
        control->lower();
    LayoutEntry entry = MakeEntry(control, RectInLayoutWindow(*control), GetLayoutRect().size(),
                                  anchorTopLeft, anchorBottomRight);
    entry.bTrackHScroll = kind.windowClass == WindowClass::ListBox;
    entry.bRepaintOnMove = NeedsFullRepaint(*control);
    m_entries.push_back(entry);
}

void CAnchorLayout::AnchorControl(int id, Anchor anchorTopLeft, Anchor anchorBottomRight)
{
    QWidget* window = GetLayoutWindow();
    QWidget* control = window ? window->findChild<QWidget*>(QString::number(id), Qt::FindDirectChildrenOnly)
                              : nullptr;
    AnchorControl(control, anchorTopLeft, anchorBottomRight);
}

std::vector<CAnchorLayout::WindowMove> CAnchorLayout::PlanArrangement()
{
    const QSize reference = GetLayoutRect().size();
    std::vector<WindowMove> moves;
    moves.reserve(m_entries.size());
    for (const LayoutEntry& stored : m_entries) {
        LayoutEntry entry = stored;
        if (!entry.hWnd) {
            PlaceWindowlessEntry(entry);
            continue;
        }
        QWidget& control = *entry.hWnd;
        const QRect current = RectInLayoutWindow(control);
        const QRect next = NewRect(entry, reference);
        if (next == current)
            continue;
        if (entry.bTrackHScroll) {
            const auto* area = qobject_cast<const QAbstractScrollArea*>(&control);
            const QScrollBar* bar = area ? area->horizontalScrollBar() : nullptr;
            entry.bRepaintOnMove = bar && ListBoxNeedsRepaint(bar->maximum(), bar->value(),
                                                              next.width(), current.width());
        }
        moves.push_back({&control, next, PositionFlags(current, next, entry.bRepaintOnMove)});
    }
    return moves;
}

void CAnchorLayout::ArrangeControls()
{
    const std::vector<WindowMove> moves = PlanArrangement();
    if (moves.empty())
        return;
    QWidget* window = GetLayoutWindow();
    const bool updatesWereEnabled = window && window->updatesEnabled();
    if (updatesWereEnabled)
        window->setUpdatesEnabled(false);
    for (const WindowMove& move : moves)
        Apply(move);
    if (updatesWereEnabled)
        window->setUpdatesEnabled(true); // repaints the window once, with all controls in place
}

void CAnchorLayout::Apply(const WindowMove& move) const
{
    QWidget& control = *move.widget;
    QRect target = move.rect;
    QWidget* window = GetLayoutWindow();
    QWidget* parent = control.parentWidget();
    if (window && parent && parent != window)
        target.moveTopLeft(parent->mapFromGlobal(window->mapToGlobal(target.topLeft())));
    if (move.flags & SWP_NOMOVE)
        control.resize(target.size());
    else if (move.flags & SWP_NOSIZE)
        control.move(target.topLeft());
    else
        control.setGeometry(target);
    if (move.flags & SWP_NOCOPYBITS)
        control.update();
}

QRegion CAnchorLayout::ClipControls(const QRegion& erase) const
{
    QWidget* window = GetLayoutWindow();
    std::vector<ClipArea> areas;
    for (const LayoutEntry& entry : m_entries) {
        const QWidget* control = entry.hWnd;
        if (!control || !(window ? control->isVisibleTo(window) : control->isVisible()))
            continue;
        const QRect rect = RectInLayoutWindow(*control);
        const QRegion mask = control->mask();
        areas.push_back({mask.isEmpty() ? QRegion(rect) : mask.translated(rect.topLeft()),
                         IsClippable(*control)});
    }
    return EraseRegion(erase, areas);
}

bool CAnchorLayout::IsClippable(const QWidget& control) const
{
    return anchor_rules::IsClippable(ClassifyWidget(control));
}

bool CAnchorLayout::NeedsFullRepaint(const QWidget& control) const
{
    return anchor_rules::NeedsFullRepaint(ClassifyWidget(control));
}

QRect CAnchorLayout::GetLayoutRect() const
{
    const QWidget* window = GetLayoutWindow();
    return window ? window->rect() : QRect();
}

bool CAnchorLayout::PlaceWindowlessEntry(LayoutEntry&)
{
    return false;
}

QRect CAnchorLayout::RectInLayoutWindow(const QWidget& control) const
{
    const QWidget* window = GetLayoutWindow();
    const QWidget* parent = control.parentWidget();
    if (!window || parent == window)
        return control.geometry();
    return {window->mapFromGlobal(control.mapToGlobal(QPoint(0, 0))), control.size()};
}
