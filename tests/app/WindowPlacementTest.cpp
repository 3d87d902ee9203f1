#include <gtest/gtest.h>

#include "app/WindowPlacement.h"

namespace {

TEST(WindowPlacement, FormatsTenFieldsInStoredOrder)
{
    WindowPlacement p;
    p.flags = 0x8002;
    p.showCmd = SW_SHOWMAXIMIZED;
    p.left = 10;
    p.top = 20;
    p.right = 410;
    p.bottom = 320;
    EXPECT_EQ(FormatPlacement(p), "32770:3:-1:-1:-1:-1:10:20:410:320");
}

TEST(WindowPlacement, ParsesWhatItFormats)
{
    WindowPlacement p;
    EXPECT_TRUE(ParsePlacement("0x8000:2:-1:-1:-1:-1:010:20:300:400", p));
    EXPECT_EQ(p.flags, 0x8000);
    EXPECT_EQ(p.showCmd, SW_SHOWMINIMIZED);
    EXPECT_EQ(p.left, 8);
    EXPECT_EQ(p.bottom, 400);
    WindowPlacement again;
    EXPECT_TRUE(ParsePlacement(FormatPlacement(p), again));
    EXPECT_EQ(FormatPlacement(again), FormatPlacement(p));
}

TEST(WindowPlacement, IncompleteTextIsRejected)
{
    WindowPlacement p;
    EXPECT_FALSE(ParsePlacement("32768:1:-1:-1:-1:-1:10:20:300", p));
    EXPECT_FALSE(ParsePlacement("garbage", p));
    EXPECT_FALSE(ParsePlacement("", p));
    EXPECT_FALSE(ParsePlacement("1;1;-1;-1;-1;-1;10;20;300;400", p));
}

} // namespace
