#include "FakeBus.h"

#include "bus/GroupRequests.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using bustest::Bytes;
using bustest::FakeBus;
using bustest::Packed;

namespace {

bus::LineError Send(CBusFramer& framer, FakeBus& bus, const bus::GroupMessageFields& fields)
{
    return bus::SendGroupMessage(framer, fields, bus.Writer(), bus.Pause());
}

// A settings reply, which leaves the framer's reply flag set.
void SeeReply(CBusFramer& framer)
{
    bus::GroupMessageFields reply = bus::MakeSettingsRequest();
    reply.direction = bus::DirReply;
    framer.ProcessRxBytes(Packed(reply));
    ASSERT_TRUE(framer.ReplySeen());
}

} // namespace

TEST(Transmit, SuccessfulSendWritesThePackedMessageAndAwaitsItsEcho)
{
    CBusFramer framer;
    FakeBus bus;
    SeeReply(framer);
    EXPECT_EQ(Send(framer, bus, bus::MakeLevelQuery(11)), bus::LineError{});
    EXPECT_EQ(bus.written, Packed(bus::MakeLevelQuery(11)));
    EXPECT_TRUE(framer.AwaitingEcho());
    EXPECT_FALSE(framer.ReplySeen());
    EXPECT_EQ(bus.now, 0ms);
}

TEST(Transmit, BackToBackSendsPut250msBetweenThem)
{
    CBusFramer framer;
    FakeBus bus;
    for (const auto& write : bus::MakeSettingsWrites("abc", 15, 3, 42))
        EXPECT_FALSE(Send(framer, bus, write));
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
    ASSERT_FALSE(Send(framer, bus, bus::MakeSettingsRequest()));
    framer.ProcessRxBytes(bus.written); // the echo comes back
    EXPECT_FALSE(framer.AwaitingEcho());
    ASSERT_FALSE(Send(framer, bus, bus::MakeLevelQuery(12)));
    EXPECT_EQ(bus.writeTimes.back(), 0ms);
}

TEST(Transmit, EchoFramedDuringTheWaitEndsItAtTheNextPause)
{
    CBusFramer framer;
    FakeBus bus;
    ASSERT_FALSE(Send(framer, bus, bus::MakeSettingsRequest()));
    const Bytes echo = bus.written;
    int pauses = 0;
    bus.duringPause = [&] {
        if (++pauses == 2)
            framer.ProcessRxBytes(echo);
    };
    ASSERT_FALSE(Send(framer, bus, bus::MakeLevelQuery(12)));
    EXPECT_EQ(bus.writeTimes.back(), 100ms);
}

TEST(Transmit, WaitForEchoGivesUpAfterFivePauses)
{
    CBusFramer framer;
    FakeBus bus;
    framer.ExpectEcho();
    bus::WaitForEcho(framer, bus.Pause());
    EXPECT_EQ(bus.now, 250ms);
    EXPECT_FALSE(framer.AwaitingEcho());
    bus::WaitForEcho(framer, bus.Pause());
    EXPECT_EQ(bus.now, 250ms);
}

TEST(Transmit, FailedOrShortWriteReportsFailureAndAwaitsNothing)
{
    struct Row {
        const char* name;
        bus::LineError writeResult;
        std::uint32_t shortBy;
        bus::LineError expected;
    };
    const bus::LineError gone{bus::LineFault::DeviceGone, std::make_error_code(std::errc::io_error)};
    const Row rows[] = {
        {"write failed", gone, 0, gone},
        {"write timed out", {bus::LineFault::TimedOut, {}}, 0, {bus::LineFault::TimedOut, {}}},
        {"one byte short", {}, 1, {bus::LineFault::TimedOut, {}}},
        {"nothing taken", {}, 20, {bus::LineFault::TimedOut, {}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CBusFramer framer;
        FakeBus bus;
        SeeReply(framer);
        bus.writeResult = row.writeResult;
        bus.shortBy = row.shortBy;
        EXPECT_EQ(Send(framer, bus, bus::MakeSettingsRequest()), row.expected);
        EXPECT_FALSE(framer.AwaitingEcho());
        EXPECT_TRUE(framer.ReplySeen()); // only a successful send clears it
        // and the next send goes out at once
        bus.writeResult = {};
        bus.shortBy = 0;
        EXPECT_FALSE(Send(framer, bus, bus::MakeSettingsRequest()));
        EXPECT_EQ(bus.now, 0ms);
    }
}
