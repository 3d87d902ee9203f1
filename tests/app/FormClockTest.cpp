// The form's wall clock, which the program runs on.

#include <gtest/gtest.h>

#include <QTimer>
#include <chrono>

#include "app/FormClock.h"
#include "tests/support/EventLoopWait.h"

namespace {

using namespace std::chrono_literals;

TEST(WallClock, TicksAtTheLastPeriodWithTheLastHandler)
{
    CWallClock clock;
    int first = 0, second = 0;
    clock.StartTicks(250ms, [&] { ++first; });
    clock.StartTicks(1ms, [&] { ++second; });
    EXPECT_EQ(clock.TickPeriod(), 1ms);
    ASSERT_TRUE(WaitUntil([&] { return second >= 3; }));
    EXPECT_EQ(first, 0);
}

TEST(WallClock, PauseBlocksTheThreadAndHandlesNothingMeanwhile)
{
    CWallClock clock;
    bool handled = false;
    QTimer::singleShot(0, [&] { handled = true; });
    const auto start = std::chrono::steady_clock::now();
    clock.Pause(20ms);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 20ms);
    EXPECT_FALSE(handled);
    EXPECT_TRUE(WaitUntil([&] { return handled; }));
}

} // namespace
