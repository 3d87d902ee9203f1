#include "sim/PtyServer.h"

#include "bus/GroupReply.h"
#include "bus/GroupRequests.h"

#include "SimTestPort.h"
#include "tests/support/SimOnPty.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kMessage = bus::kGroupMessageSize;

bus::RadioSettings SettingsIn(const bus::GroupMessageFields& reply)
{
    const bus::GroupReply decoded = bus::DecodeGroupReply(reply);
    EXPECT_TRUE(std::holds_alternative<bus::RadioSettings>(decoded));
    return std::holds_alternative<bus::RadioSettings>(decoded) ? std::get<bus::RadioSettings>(decoded)
                                                             : bus::RadioSettings {};
}

TEST(SimServer, AnswersGetWithEchoThenSettings)
{
    sim::SimOptions options = SimOnPty::Fast();
    options.settings = {"Yard", 1234, 17, 42};
    SimOnPty server(options);
    SimTestPort port;
    ASSERT_TRUE(port.Open(server.Path()));

    ASSERT_TRUE(port.Send(bus::MakeSettingsRequest()));
    const auto messages = SimTestPort::Messages(port.Receive(2 * kMessage));
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], bus::MakeSettingsRequest());
    EXPECT_EQ(messages[1].direction, bus::DirReply);
    const bus::RadioSettings got = SettingsIn(messages[1]);
    EXPECT_EQ(got.name, "Yard");
    EXPECT_EQ(got.pwKey, 1234);
    EXPECT_EQ(got.rfChannel, 17);
    EXPECT_EQ(got.netWorkId, 42);
}

TEST(SimServer, SetChangesWhatTheNextGetReturns)
{
    SimOnPty server(SimOnPty::Fast());
    SimTestPort port;
    ASSERT_TRUE(port.Open(server.Path()));

    for (const auto& write : bus::MakeSettingsWrites("Depot", 23, 7, 4321)) {
        ASSERT_TRUE(port.Send(write));
        ASSERT_EQ(port.Receive(kMessage).size(), kMessage);  // the echo, and no reply
    }
    ASSERT_TRUE(port.Send(bus::MakeSettingsRequest()));
    const auto messages = SimTestPort::Messages(port.Receive(2 * kMessage));
    ASSERT_EQ(messages.size(), 2u);
    const bus::RadioSettings got = SettingsIn(messages[1]);
    EXPECT_EQ(got.name, "Depot");
    EXPECT_EQ(got.rfChannel, 23);
    EXPECT_EQ(got.netWorkId, 7);
    EXPECT_EQ(got.pwKey, 4321);
}

TEST(SimServer, AnswersLevelQueriesFromItsTable)
{
    sim::SimOptions options = SimOnPty::Fast();
    options.levels = CTransceiverModel::LevelTable {};
    for (int i = 0; i < 16; ++i)
        (*options.levels)[static_cast<size_t>(i)] = 10 * i + 5;
    SimOnPty server(options);
    SimTestPort port;
    ASSERT_TRUE(port.Open(server.Path()));

    for (int channel : {11, 18, 26}) {
        ASSERT_TRUE(port.Send(bus::MakeLevelQuery(channel)));
        const auto messages = SimTestPort::Messages(port.Receive(2 * kMessage));
        ASSERT_EQ(messages.size(), 2u);
        const bus::GroupReply reply = bus::DecodeGroupReply(messages[1]);
        ASSERT_TRUE(std::holds_alternative<bus::ChannelLevelReply>(reply));
        EXPECT_EQ(std::get<bus::ChannelLevelReply>(reply).channel, channel);
        EXPECT_EQ(std::get<bus::ChannelLevelReply>(reply).level, 10 * (channel - 11) + 5);
    }
}

TEST(SimServer, SeededLevelsStayInRange)
{
    SimOnPty server(SimOnPty::Fast());
    SimTestPort port;
    ASSERT_TRUE(port.Open(server.Path()));
    for (int channel = 11; channel <= 26; ++channel) {
        ASSERT_TRUE(port.Send(bus::MakeLevelQuery(channel)));
        const auto messages = SimTestPort::Messages(port.Receive(2 * kMessage));
        ASSERT_EQ(messages.size(), 2u);
        const auto reply = std::get<bus::ChannelLevelReply>(bus::DecodeGroupReply(messages[1]));
        EXPECT_EQ(reply.channel, channel);
        EXPECT_GE(reply.level, 0);
        EXPECT_LE(reply.level, 255);
    }
}

TEST(SimServer, ServesOnAfterThePortIsClosedAndReopened)
{
    SimOnPty server(SimOnPty::Fast());
    for (int round = 0; round < 3; ++round) {
        SimTestPort port;
        ASSERT_TRUE(port.Open(server.Path())) << round;
        ASSERT_TRUE(port.Send(bus::MakeSettingsRequest()));
        EXPECT_EQ(port.Receive(2 * kMessage).size(), 2 * kMessage) << round;
    }
    EXPECT_EQ(server.Stop(), 0);
}

TEST(SimServer, FaultsReachTheLine)
{
    sim::SimOptions options = SimOnPty::Fast();
    options.faults.dropReplies = true;
    options.faults.floodBytes = 300;
    SimOnPty server(options);
    SimTestPort port;
    ASSERT_TRUE(port.Open(server.Path()));
    ASSERT_TRUE(port.Send(bus::MakeSettingsRequest()));
    const auto bytes = port.Receive(kMessage + 300);
    ASSERT_EQ(bytes.size(), kMessage + 300);
    EXPECT_EQ(SimTestPort::Messages({bytes.begin(), bytes.begin() + kMessage})[0], bus::MakeSettingsRequest());
    for (size_t i = 0; i < 300; ++i)
        ASSERT_EQ(bytes[kMessage + i], i & 0x7F) << i;
    EXPECT_EQ(port.Receive(1, std::chrono::milliseconds(100)).size(), 0u) << "no reply expected";
}

TEST(SimServer, OnlyItsOwnerMayUseThePseudoTerminal)
{
    SimOnPty server;
    struct stat info {};
    ASSERT_EQ(::stat(server.Path().c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, ::geteuid());
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(SimServer, BusTimingSpacesTheBytes)
{
    SimOnPty server(sim::SimOptions {});
    SimTestPort port;
    ASSERT_TRUE(port.Open(server.Path()));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(port.Send(bus::MakeSettingsRequest()));
    ASSERT_EQ(port.Receive(2 * kMessage).size(), 2 * kMessage);
    // 40 bytes at 16457 baud take at least 24 ms; only the lower bound is
    // certain on a busy machine.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(24));
}

TEST(SimServer, ReportsEachFrameBothWaysInLineOrder)
{
    SimOnPty server;
    SimTestPort port;
    ASSERT_TRUE(port.Open(server.Path()));
    ASSERT_TRUE(port.Send(bus::MakeSettingsRequest()));
    ASSERT_EQ(port.Receive(2 * kMessage).size(), 2 * kMessage);
    server.Stop();
    const std::vector<SimFrame> frames = server.Frames();
    ASSERT_EQ(frames.size(), 3u);
    for (const SimFrame& frame : frames)
        ASSERT_TRUE(frame.IsGroupMessage());
    EXPECT_TRUE(frames[0].rx);
    EXPECT_EQ(frames[0].Fields(), bus::MakeSettingsRequest());
    EXPECT_FALSE(frames[1].rx);
    EXPECT_EQ(frames[1].Fields(), bus::MakeSettingsRequest());  // the echo
    EXPECT_FALSE(frames[2].rx);
    EXPECT_EQ(frames[2].Fields().direction, bus::DirReply);
    EXPECT_LE(frames[0].at, frames[1].at);
    EXPECT_LE(frames[1].at, frames[2].at);
}

}  // namespace
