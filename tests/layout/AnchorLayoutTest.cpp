#include "layout/AnchorLayout.h"
#include "layout/AnchorRules.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <memory>

using namespace anchor_rules;

namespace {

// Lays out the children of a plain window, named by dialog identifier the
// way the template builder names them.
class WindowLayout : public CAnchorLayout {
public:
    WindowLayout() { window.resize(400, 200); }

    template <class Widget>
    Widget* Add(int id, QRect geometry)
    {
        auto* w = new Widget(&window);
        w->setObjectName(QString::number(id));
        w->setGeometry(geometry);
        return w;
    }

    QWidget window;

protected:
    QWidget* GetLayoutWindow() const override { return const_cast<QWidget*>(&window); }
};

} // namespace

TEST(AnchorLayout, RegistersByDialogIdentifierAndMovesEveryControlInOnePass)
{
    WindowLayout layout;
    auto* button = layout.Add<QPushButton>(1026, {300, 10, 80, 20});
    auto* bars = layout.Add<QWidget>(1024, {10, 50, 200, 80});
    layout.AnchorControl(1026, ANCHOR_TOP_RIGHT);
    layout.AnchorControl(1024, ANCHOR_TOP_LEFT, ANCHOR_MIDDLE_RIGHT);

    layout.window.resize(600, 300);
    layout.ArrangeControls();
    EXPECT_EQ(button->geometry(), QRect(500, 10, 80, 20));
    EXPECT_EQ(bars->geometry(), QRect(10, 50, 400, 130));
    EXPECT_TRUE(layout.window.updatesEnabled());
}

TEST(AnchorLayout, PassSkipsControlsInPlaceAndFlagsMoveOnlyAndSizeOnly)
{
    WindowLayout layout;
    auto* moving = layout.Add<QPushButton>(1, {300, 10, 80, 20});
    auto* growing = layout.Add<QWidget>(2, {10, 50, 200, 80});
    layout.Add<QWidget>(3, {10, 10, 50, 20});
    layout.AnchorControl(1, ANCHOR_TOP_RIGHT);
    layout.AnchorControl(2, ANCHOR_TOP_LEFT, ANCHOR_BOTTOM_RIGHT);
    layout.AnchorControl(3, ANCHOR_TOP_LEFT);

    EXPECT_TRUE(layout.PlanArrangement().empty());

    layout.window.resize(450, 250);
    const auto moves = layout.PlanArrangement();
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[0].widget, moving);
    EXPECT_EQ(moves[0].flags, 0x214u | SWP_NOSIZE);
    EXPECT_EQ(moves[1].widget, growing);
    EXPECT_EQ(moves[1].flags, 0x214u | SWP_NOMOVE);
    EXPECT_EQ(moves[1].rect, QRect(10, 50, 250, 130));
}

TEST(AnchorLayout, UnknownIdentifierAndDeletedControlAreSkipped)
{
    WindowLayout layout;
    auto* gone = layout.Add<QWidget>(5, {10, 10, 20, 20});
    layout.AnchorControl(4242, ANCHOR_TOP_RIGHT);
    layout.AnchorControl(5, ANCHOR_TOP_RIGHT);
    ASSERT_EQ(layout.Entries().size(), 2u);
    EXPECT_EQ(layout.Entries()[0].hWnd, nullptr);

    delete gone;
    layout.window.resize(800, 400);
    EXPECT_TRUE(layout.PlanArrangement().empty());
    layout.ArrangeControls();
    EXPECT_EQ(layout.ClipControls(QRegion(0, 0, 800, 400)), QRegion(0, 0, 800, 400));
}

TEST(AnchorLayout, TextLabelRepaintsWholeAndGroupBoxGoesUnderItsControls)
{
    WindowLayout layout;
    auto* edit = layout.Add<QLineEdit>(1008, {20, 40, 50, 20});
    auto* label = layout.Add<QLabel>(1016, {80, 40, 60, 12});
    auto* group = layout.Add<QGroupBox>(1021, {10, 30, 200, 60});
    layout.AnchorControl(1008, ANCHOR_TOP_CENTER, ANCHOR_TOP_CENTER);
    layout.AnchorControl(1016, ANCHOR_TOP_CENTER, ANCHOR_TOP_CENTER);
    layout.AnchorControl(1021, ANCHOR_TOP_CENTER, ANCHOR_TOP_CENTER);

    EXPECT_FALSE(layout.Entries()[0].bRepaintOnMove);
    EXPECT_TRUE(layout.Entries()[1].bRepaintOnMove);
    EXPECT_FALSE(layout.Entries()[2].bRepaintOnMove);
    EXPECT_EQ(layout.window.children().first(), group);

    layout.window.resize(500, 200);
    const auto moves = layout.PlanArrangement();
    ASSERT_EQ(moves.size(), 3u);
    EXPECT_EQ(moves[0].flags & SWP_NOCOPYBITS, 0u);
    EXPECT_EQ(moves[1].flags & SWP_NOCOPYBITS, SWP_NOCOPYBITS);
    (void)edit;
    (void)label;
}

TEST(AnchorLayout, ListBoxScrolledToItsLimitRepaintsWhenWideningOnly)
{
    WindowLayout layout;
    auto* list = layout.Add<QListWidget>(1002, {10, 100, 300, 50});
    layout.AnchorControl(1002, ANCHOR_MIDDLE_LEFT, ANCHOR_BOTTOM_RIGHT);
    ASSERT_TRUE(layout.Entries()[0].bTrackHScroll);
    EXPECT_FALSE(layout.Entries()[0].bRepaintOnMove);
    list->horizontalScrollBar()->setRange(0, 100);
    list->horizontalScrollBar()->setValue(100);

    layout.window.resize(450, 200);
    auto moves = layout.PlanArrangement();
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0].flags & SWP_NOCOPYBITS, SWP_NOCOPYBITS);

    layout.window.resize(350, 200);
    moves = layout.PlanArrangement();
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0].flags & SWP_NOCOPYBITS, 0u);
    EXPECT_FALSE(layout.Entries()[0].bRepaintOnMove);
}

TEST(AnchorLayout, ClipControlsKeepsTheBackgroundUnderLabelsAndGroupBoxesOnly)
{
    WindowLayout layout;
    layout.Add<QGroupBox>(1, {10, 10, 200, 100});
    layout.Add<QLineEdit>(2, {20, 30, 50, 20});
    layout.Add<QLabel>(3, {80, 30, 50, 20});
    auto* hidden = layout.Add<QPushButton>(4, {150, 30, 40, 20});
    auto* shaped = layout.Add<QWidget>(5, {250, 10, 40, 40});
    hidden->hide();
    shaped->setMask(QRegion(0, 0, 10, 10));
    for (int id = 1; id <= 5; ++id)
        layout.AnchorControl(id, ANCHOR_TOP_LEFT);

    const QRegion erase = layout.ClipControls(QRegion(0, 0, 400, 200));
    EXPECT_TRUE(erase.contains(QPoint(15, 15)));   // group box
    EXPECT_FALSE(erase.contains(QPoint(25, 35)));  // edit
    EXPECT_TRUE(erase.contains(QPoint(85, 35)));   // label
    EXPECT_TRUE(erase.contains(QPoint(155, 35)));  // hidden button takes no part
    EXPECT_FALSE(erase.contains(QPoint(255, 15))); // inside the control's mask
    EXPECT_TRUE(erase.contains(QPoint(275, 35)));  // outside it
}

TEST(AnchorLayout, ControlInsideAChildIsPlacedInLayoutWindowCoordinates)
{
    WindowLayout layout;
    auto* panel = layout.Add<QWidget>(1, {50, 50, 300, 100});
    auto* inner = new QWidget(panel);
    inner->setGeometry(10, 10, 40, 20);
    layout.AnchorControl(inner, ANCHOR_TOP_RIGHT);
    layout.window.resize(500, 200);
    layout.ArrangeControls();
    EXPECT_EQ(inner->geometry(), QRect(110, 10, 40, 20));
}
