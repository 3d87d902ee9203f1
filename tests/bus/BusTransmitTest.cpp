#include "FakeBus.h"

#include "bus/GroupRequests.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using bustest::Bytes;
using bustest::FakeBus;
using bustest::Packed;

namespace {

int Send(CBusFramer& framer, FakeBus& bus, const bus::GroupMessageFields& fields)
{
    return bus::SendGroupMessage(framer, fields, bus.Writer(), bus.Pause());
}

} // namespace

TEST(Transmit, SuccessfulSendWritesThePackedMessageAndAwaitsItsEcho)
{
    CBusFramer framer;
    FakeBus bus;
    framer.m_bReplySeen = true;
    EXPECT_EQ(Send(framer, bus, bus::MakeLevelQuery(11)), 1);
    EXPECT_EQ(bus.written, Packed(bus::MakeLevelQuery(11)));
    EXPECT_TRUE(framer.m_bAwaitingEcho);
    EXPECT_FALSE(framer.m_bReplySeen);
    EXPECT_EQ(bus.now, 0ms);
}

TEST(Transmit, BackToBackSendsPut250msBetweenThem)
{
    CBusFramer framer;
    FakeBus bus;
    for (const auto& write : bus::MakeSettingsWrites("abc", 15, 3, 42))
        EXPECT_EQ(Send(framer, bus, write), 1);
    ASSERT_EQ(bus.writeTimes.size(), 4u);
    EXPECT_EQ(bus.writeTimes[0], 0ms);
    EXPECT_EQ(bus.writeTimes[1], 250ms);
    EXPECT_EQ(bus.writeTimes[2], 500ms);
    EXPECT_EQ(bus.writeTimes[3], 750ms);
}

TEST(Transmit, SendAfterAProcessedEchoWaitsNone)
{
    CBusFramer framer;
    FakeBus bus;
    ASSERT_EQ(Send(framer, bus, bus::MakeSettingsRequest()), 1);
    framer.ProcessRxBytes(bus.written); // the echo comes back
    EXPECT_FALSE(framer.m_bAwaitingEcho);
    ASSERT_EQ(Send(framer, bus, bus::MakeLevelQuery(12)), 1);
    EXPECT_EQ(bus.writeTimes.back(), 0ms);
}

TEST(Transmit, EchoFramedDuringTheWaitEndsItAtTheNextPause)
{
    CBusFramer framer;
    FakeBus bus;
    ASSERT_EQ(Send(framer, bus, bus::MakeSettingsRequest()), 1);
    const Bytes echo = bus.written;
    int pauses = 0;
    bus.duringPause = [&] {
        if (++pauses == 2)
            framer.ProcessRxBytes(echo);
    };
    ASSERT_EQ(Send(framer, bus, bus::MakeLevelQuery(12)), 1);
    EXPECT_EQ(bus.writeTimes.back(), 100ms);
}

TEST(Transmit, WaitForEchoGivesUpAfterFivePauses)
{
    CBusFramer framer;
    FakeBus bus;
    framer.m_bAwaitingEcho = true;
    EXPECT_TRUE(bus::WaitForEcho(framer, bus.Pause()));
    EXPECT_EQ(bus.now, 250ms);
    EXPECT_FALSE(framer.m_bAwaitingEcho);
    EXPECT_TRUE(bus::WaitForEcho(framer, bus.Pause()));
    EXPECT_EQ(bus.now, 250ms);
}

TEST(Transmit, FailedOrShortWriteReportsFailureAndAwaitsNothing)
{
    for (bool shortWrite : {false, true}) {
        CBusFramer framer;
        FakeBus bus;
        framer.m_bReplySeen = true;
        if (shortWrite)
            bus.shortBy = 1;
        else
            bus.writeResult = 121; // the time-out code of the serial layer
        EXPECT_EQ(Send(framer, bus, bus::MakeSettingsRequest()), 0);
        EXPECT_FALSE(framer.m_bAwaitingEcho);
        EXPECT_TRUE(framer.m_bReplySeen); // only a successful send clears it
        // and the next send goes out at once
        bus.writeResult = 0;
        bus.shortBy = 0;
        EXPECT_EQ(Send(framer, bus, bus::MakeSettingsRequest()), 1);
        EXPECT_EQ(bus.now, 0ms);
    }
}
