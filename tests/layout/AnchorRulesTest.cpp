#include "layout/AnchorRules.h"

#include <gtest/gtest.h>

using namespace anchor_rules;

namespace {

constexpr std::uint32_t kPlain = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;

// A rectangle given by its edges, right and bottom exclusive.
QRect Edges(int left, int top, int right, int bottom)
{
    return {left, top, right - left, bottom - top};
}

} // namespace

TEST(AnchorRules, TopRightControlKeepsItsDistanceFromTheRightEdge)
{
    const LayoutEntry entry = MakeEntry(nullptr, Edges(300, 10, 380, 30), {400, 200},
                                        ANCHOR_TOP_RIGHT, ANCHOR_TOP_RIGHT);
    EXPECT_EQ(entry.marginTopLeft, QPoint(-100, 10));
    EXPECT_EQ(entry.marginBottomRight, QPoint(-20, 30));
    EXPECT_EQ(NewRect(entry, {600, 200}), Edges(500, 10, 580, 30));
    EXPECT_EQ(NewRect(entry, {350, 200}), Edges(250, 10, 330, 30));
}

TEST(AnchorRules, AnchorPointTruncatesAfterTheMultiplication)
{
    EXPECT_EQ(AnchorPoint(301, 50), 150);
    EXPECT_EQ(AnchorPoint(-301, 50), -150); // toward zero, not down
    EXPECT_EQ(AnchorPoint(301, -1), -3);
    EXPECT_EQ(AnchorPoint(199, 33), 65);    // 6567 / 100, where 33 / 100 first would give 0
    EXPECT_EQ(AnchorPoint(2'000'000'000, 100), 2'000'000'000);
}

TEST(AnchorRules, CentredControlFollowsTheCentreWithoutStretching)
{
    const LayoutEntry entry = MakeEntry(nullptr, Edges(100, 20, 200, 40), {301, 100},
                                        ANCHOR_TOP_CENTER, ANCHOR_TOP_CENTER);
    EXPECT_EQ(entry.marginTopLeft.x(), 100 - 150);
    EXPECT_EQ(NewRect(entry, {501, 100}), Edges(200, 20, 300, 40));
}

TEST(AnchorRules, NoneAsSecondAnchorKeepsTheSizeButMinusOneZeroIsAnAnchor)
{
    const QRect control = Edges(10, 10, 50, 30);
    const LayoutEntry none = MakeEntry(nullptr, control, {100, 100}, ANCHOR_BOTTOM_RIGHT, ANCHOR_NONE);
    EXPECT_EQ(none.anchorBottomRight, ANCHOR_BOTTOM_RIGHT);
    EXPECT_EQ(NewRect(none, {200, 150}), Edges(110, 60, 150, 80));

    const LayoutEntry odd = MakeEntry(nullptr, control, {100, 100}, ANCHOR_BOTTOM_RIGHT, Anchor{-1, 0});
    EXPECT_EQ(odd.anchorBottomRight, (Anchor{-1, 0}));
    EXPECT_EQ(odd.marginBottomRight, QPoint(50 + 1, 30));
    EXPECT_EQ(NewRect(odd, {200, 150}), Edges(110, 60, 50 - 2 + 1, 30));
}

TEST(AnchorRules, PositionFlagsTellMoveFromSize)
{
    const QRect current = Edges(10, 10, 50, 30);
    EXPECT_EQ(PositionFlags(current, Edges(20, 15, 60, 35), false), kPlain | SWP_NOSIZE);
    EXPECT_EQ(PositionFlags(current, Edges(10, 10, 70, 40), false), kPlain | SWP_NOMOVE);
    EXPECT_EQ(PositionFlags(current, Edges(0, 0, 70, 40), false), kPlain);
    EXPECT_EQ(PositionFlags(current, Edges(0, 0, 70, 40), true), 0x314u);
    EXPECT_EQ(kPlain, 0x214u);
}

TEST(AnchorRules, ListBoxAtItsScrollLimitRepaintsWhenItWidensOnly)
{
    EXPECT_TRUE(ListBoxNeedsRepaint(100, 100, 220, 200));
    EXPECT_FALSE(ListBoxNeedsRepaint(100, 100, 180, 200));
    EXPECT_FALSE(ListBoxNeedsRepaint(100, 80, 220, 200)); // 80 is not beyond the new limit 80
    EXPECT_TRUE(ListBoxNeedsRepaint(100, 81, 220, 200));
    EXPECT_FALSE(ListBoxNeedsRepaint(0, 0, 220, 200));    // nothing to scroll
}

TEST(AnchorRules, ClippableControls)
{
    EXPECT_FALSE(IsClippable({WindowClass::Button, BS_GROUPBOX}));
    EXPECT_TRUE(IsClippable({WindowClass::Button, BS_PUSHBUTTON}));
    EXPECT_TRUE(IsClippable({WindowClass::Edit, 0}));
    EXPECT_TRUE(IsClippable({WindowClass::ListBox, 0}));
    EXPECT_TRUE(IsClippable({WindowClass::Other, 0}));
    for (std::uint32_t type : {SS_LEFT, SS_CENTER, SS_RIGHT, 7u, 13u, 18u, 31u})
        EXPECT_FALSE(IsClippable({WindowClass::Static, type})) << type;
    for (std::uint32_t type : {4u, 5u, 6u, SS_BITMAP, SS_ETCHEDHORZ, SS_ETCHEDVERT})
        EXPECT_TRUE(IsClippable({WindowClass::Static, type})) << type;
    for (std::uint32_t type : {SS_ICON, SS_ENHMETAFILE}) {
        EXPECT_TRUE(IsClippable({WindowClass::Static, type})) << type;
        EXPECT_FALSE(IsClippable({WindowClass::Static, type | SS_CENTERIMAGE})) << type;
    }
}

TEST(AnchorRules, ControlsRepaintedWholeWhenMoved)
{
    for (std::uint32_t type : {SS_LEFT, SS_CENTER, SS_RIGHT, SS_BITMAP, SS_ENHMETAFILE})
        EXPECT_TRUE(NeedsFullRepaint({WindowClass::Static, type})) << type;
    for (std::uint32_t type : {SS_ICON, SS_SIMPLE, SS_ETCHEDHORZ, SS_ETCHEDVERT})
        EXPECT_FALSE(NeedsFullRepaint({WindowClass::Static, type | SS_CENTERIMAGE})) << type;
    EXPECT_FALSE(NeedsFullRepaint({WindowClass::Static, 5}));
    EXPECT_TRUE(NeedsFullRepaint({WindowClass::Static, 5 | SS_CENTERIMAGE}));
    EXPECT_FALSE(NeedsFullRepaint({WindowClass::Button, SS_CENTERIMAGE}));
    EXPECT_FALSE(NeedsFullRepaint({WindowClass::ListBox, 0}));
}

TEST(AnchorRules, EraseRegionTakesOutClippableAreasAndLaterAreasWin)
{
    const QRegion all(0, 0, 100, 100);
    const QRegion erase = EraseRegion(all, {{QRect(10, 10, 20, 20), true},
                                            {QRect(20, 20, 20, 20), false},
                                            {QRect(90, 90, 50, 50), false}});
    EXPECT_FALSE(erase.contains(QPoint(15, 15)));
    EXPECT_TRUE(erase.contains(QPoint(25, 25)));   // put back by the later control
    EXPECT_TRUE(erase.contains(QPoint(50, 50)));
    EXPECT_FALSE(erase.contains(QPoint(120, 120))); // never beyond the area to erase
}
