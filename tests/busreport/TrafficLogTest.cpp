// The monitor's log: bounded, oldest out first, counted.

#include "busreport/TrafficLog.h"

#include <gtest/gtest.h>

namespace {

using busreport::CTrafficLog;
using busreport::TrafficKind;

TEST(TrafficLog, KeepsTheNewestLinesAndCountsTheDropped)
{
    CTrafficLog log(3);
    for (int i = 0; i < 5; ++i)
        log.Add(TrafficKind::Other, std::to_string(i));
    ASSERT_EQ(log.Lines().size(), 3u);
    EXPECT_EQ(log.Lines().front().text, "2");
    EXPECT_EQ(log.Lines().front().number, 2u);
    EXPECT_EQ(log.Lines().back().number, 4u);
    EXPECT_EQ(log.Dropped(), 2u);
    EXPECT_EQ(log.NextNumber(), 5u);
}

TEST(TrafficLog, ClearStartsAfresh)
{
    CTrafficLog log(2);
    for (int i = 0; i < 4; ++i)
        log.Add(TrafficKind::Error, "x");
    log.Clear();
    EXPECT_TRUE(log.Lines().empty());
    EXPECT_EQ(log.Dropped(), 0u);
    log.Add(TrafficKind::Echo, "y");
    EXPECT_EQ(log.Lines().front().number, 0u);
    EXPECT_EQ(log.Lines().front().kind, TrafficKind::Echo);
}

TEST(TrafficLog, ALogWithoutRoomKeepsNothing)
{
    CTrafficLog log(0);
    log.Add(TrafficKind::Other, "x");
    EXPECT_TRUE(log.Lines().empty());
}

} // namespace
