#include "BusTestSupport.h"

#include "bus/GroupReply.h"
#include "bus/GroupRequests.h"

#include <gtest/gtest.h>

using bustest::Bytes;
using bustest::Concat;
using bustest::Packed;
using bustest::RecordingFramer;
using bustest::WithChecksum;

namespace {

const Bytes kSettingsReply = Packed(bus::MakeSettingsReply({"Olv12345", 1234, 15, 7}));
const Bytes kEcho = Packed(bus::MakeSettingsRequest());

} // namespace

// --- How long a message is -------------------------------------------------

TEST(FramerLength, EachOpcodeClassCompletesAtItsLength)
{
    RecordingFramer r;
    r.Feed(WithChecksum({0x81}));                  // 2 bytes
    r.Feed(WithChecksum({0xA5, 0x01, 0x02}));      // 4 bytes
    r.Feed(WithChecksum({0xC0, 1, 2, 3, 4}));      // 6 bytes
    r.Feed(WithChecksum({0xE0, 0x05, 0x11, 0x22})); // counted: 5 bytes
    ASSERT_EQ(r.observed.size(), 4u);
    EXPECT_EQ(r.observed[0].size(), 2u);
    EXPECT_EQ(r.observed[1].size(), 4u);
    EXPECT_EQ(r.observed[2].size(), 6u);
    EXPECT_EQ(r.observed[3].size(), 5u);
    EXPECT_EQ(r.framer.State(), CBusFramer::WaitOpcode);
}

TEST(FramerLength, StatesFollowTheOpcodeClass)
{
    CBusFramer framer;
    framer.ProcessRxByte(0x81);
    EXPECT_EQ(framer.State(), CBusFramer::WaitChecksum);
    EXPECT_EQ(framer.RxLength(), 2);
    framer.ProcessRxByte(0xB0);
    EXPECT_EQ(framer.State(), CBusFramer::Body);
    EXPECT_EQ(framer.RxLength(), 4);
    framer.ProcessRxByte(0xDF);
    EXPECT_EQ(framer.RxLength(), 6);
    framer.ProcessRxByte(0xE0);
    EXPECT_EQ(framer.State(), CBusFramer::WaitCount);
    framer.ProcessRxByte(0x14);
    EXPECT_EQ(framer.State(), CBusFramer::Body);
    EXPECT_EQ(framer.RxLength(), 20);
    EXPECT_EQ(framer.RxIndex(), 2);
}

TEST(FramerLength, CountBelowFourIsTakenAsFour)
{
    for (std::uint8_t count : {0x00, 0x01, 0x02, 0x03}) {
        RecordingFramer r;
        r.Feed(WithChecksum({0xE3, count, 0x44}));
        ASSERT_EQ(r.observed.size(), 1u) << int(count);
        EXPECT_EQ(r.observed[0].size(), 4u);
    }
}

TEST(FramerLength, CountOf32IsTheLongestThatCompletes)
{
    Bytes body{0xE7, 32};
    body.resize(31, 0x2A);
    body.push_back(CalcChecksum(31, body.data()));
    RecordingFramer r;
    r.Feed(body);
    ASSERT_EQ(r.observed.size(), 1u);
    EXPECT_EQ(r.observed[0].size(), 32u);
}

TEST(FramerLength, LongerCountNeverCompletesAndTheByteAtTheBoundIsDropped)
{
    RecordingFramer r;
    Bytes longMessage{0xE0, 0x40};
    longMessage.resize(32, 0x01);
    r.Feed(longMessage);
    EXPECT_EQ(r.framer.RxIndex(), 32);
    EXPECT_EQ(r.framer.State(), CBusFramer::Body);
    r.framer.ProcessRxByte(0x81); // arrives at the bound: dropped although an opcode
    EXPECT_EQ(r.framer.State(), CBusFramer::WaitOpcode);
    EXPECT_EQ(r.framer.RxIndex(), 0);
    r.framer.ProcessRxByte(0x7E); // so this is a stray byte, not a checksum
    EXPECT_TRUE(r.observed.empty());
    r.Feed(kSettingsReply);
    EXPECT_EQ(r.groupMessages.size(), 1u);
}

// --- Restarting and stray bytes -------------------------------------------

TEST(FramerRestart, OpcodeMidMessageAbandonsItAndStartsAnew)
{
    RecordingFramer r;
    const Bytes partial(kSettingsReply.begin(), kSettingsReply.begin() + 11);
    r.Feed(Concat({partial, kSettingsReply}));
    ASSERT_EQ(r.groupMessages.size(), 1u);
    EXPECT_EQ(r.groupMessages[0], kSettingsReply);
    EXPECT_EQ(r.framer.BadChecksumCount(), 0u);
}

TEST(FramerRestart, StrayBytesBetweenMessagesAreIgnored)
{
    RecordingFramer r;
    r.Feed(Concat({Bytes{0x01, 0x7F, 0x00}, kSettingsReply, Bytes(5, 0x33), kSettingsReply}));
    EXPECT_EQ(r.groupMessages.size(), 2u);
    EXPECT_EQ(r.framer.State(), CBusFramer::WaitOpcode);
}

TEST(FramerRestart, ManyStrayBytesCostNoFollowingMessage)
{
    // However many stray bytes follow a message, they take no buffer room, so
    // the next opcode never lands on the bound.
    for (std::size_t stray = 0; stray <= 40; ++stray) {
        RecordingFramer r;
        r.Feed(Concat({kSettingsReply, Bytes(stray, 0x20), kSettingsReply}));
        EXPECT_EQ(r.groupMessages.size(), 2u) << stray << " stray bytes";
    }
}

TEST(FramerRestart, MessageRightAfterA32ByteMessageIsKept)
{
    Bytes longest{0xE7, 32};
    longest.resize(31, 0x2A);
    longest.push_back(CalcChecksum(31, longest.data()));
    RecordingFramer r;
    r.Feed(Concat({longest, kSettingsReply}));
    EXPECT_EQ(r.observed.size(), 2u);
    EXPECT_EQ(r.groupMessages.size(), 1u);
}

TEST(FramerRestart, LineErrorRestartsButLeavesTheIndex)
{
    RecordingFramer r;
    r.Feed(Bytes(kSettingsReply.begin(), kSettingsReply.begin() + 9));
    r.framer.RestartReceive();
    EXPECT_EQ(r.framer.State(), CBusFramer::WaitOpcode);
    EXPECT_EQ(r.framer.RxLength(), 0);
    EXPECT_EQ(r.framer.RxIndex(), 9);
    // The rest of the broken message is stray; the next opcode starts fresh.
    r.Feed(Concat({Bytes(kSettingsReply.begin() + 9, kSettingsReply.end()), kSettingsReply}));
    EXPECT_EQ(r.groupMessages.size(), 1u);
    EXPECT_EQ(r.framer.BadChecksumCount(), 0u);
}

TEST(FramerRestart, ResetClearsReceiveStateAndTheAwaitedEcho)
{
    RecordingFramer r;
    r.Feed(Bytes(kSettingsReply.begin(), kSettingsReply.begin() + 5));
    r.framer.ExpectEcho();
    r.framer.Reset();
    EXPECT_EQ(r.framer.State(), CBusFramer::WaitOpcode);
    EXPECT_EQ(r.framer.RxIndex(), 0);
    EXPECT_EQ(r.framer.RxLength(), 0);
    EXPECT_FALSE(r.framer.AwaitingEcho());
}

// --- Checksums ---------------------------------------------------------------

TEST(FramerChecksum, BadChecksumDropsTheMessageAndKeepsTheEchoAwaited)
{
    RecordingFramer r;
    r.framer.ExpectEcho();
    Bytes corrupt = kSettingsReply;
    corrupt.back() ^= 0x01;
    r.Feed(corrupt);
    EXPECT_TRUE(r.observed.empty());
    EXPECT_TRUE(r.framer.AwaitingEcho());
    EXPECT_EQ(r.framer.BadChecksumCount(), 1u);
    EXPECT_EQ(r.framer.State(), CBusFramer::WaitOpcode);
}

TEST(FramerChecksum, TheBadMessageObserverSeesTheDroppedBytesAndNothingElse)
{
    RecordingFramer r;
    std::vector<Bytes> bad;
    r.framer.SetBadMessageObserver([&](std::span<const std::uint8_t> m) { bad.emplace_back(m.begin(), m.end()); });
    Bytes corrupt = kSettingsReply;
    corrupt[6] ^= 0x01;
    r.Feed(Concat({corrupt, {0x81, 0x7E}, WithChecksum({0xA0, 1}) /* ends early: no checksum yet */}));
    ASSERT_EQ(bad.size(), 1u);
    EXPECT_EQ(bad[0], corrupt);
    EXPECT_EQ(r.observed.size(), 1u);
}

TEST(FramerChecksum, AnyFlippedBodyBitIsCaught)
{
    for (std::size_t pos = 1; pos < kSettingsReply.size(); ++pos) {
        for (int bit = 0; bit < 7; ++bit) {
            RecordingFramer r;
            Bytes corrupt = kSettingsReply;
            corrupt[pos] ^= static_cast<std::uint8_t>(1 << bit);
            r.Feed(corrupt);
            EXPECT_TRUE(r.groupMessages.empty()) << pos << ":" << bit;
        }
    }
}

// --- Echo and reply flags ----------------------------------------------------

TEST(FramerEcho, TwoByteMessageIsGoodAndOnlyClearsTheEcho)
{
    RecordingFramer r;
    r.framer.ExpectEcho();
    r.Feed({0x81, 0x7E});
    EXPECT_EQ(r.framer.State(), CBusFramer::WaitOpcode);
    EXPECT_FALSE(r.framer.AwaitingEcho());
    EXPECT_TRUE(r.groupMessages.empty());
    EXPECT_EQ(r.observed.size(), 1u);
}

TEST(FramerEcho, GroupMessageTakenAsEchoIsNotDecodedThenTheNextOneIs)
{
    RecordingFramer r;
    r.framer.ExpectEcho();
    r.Feed(kSettingsReply);
    EXPECT_TRUE(r.groupMessages.empty());
    EXPECT_FALSE(r.framer.AwaitingEcho());
    r.Feed(kSettingsReply);
    EXPECT_EQ(r.groupMessages.size(), 1u);
}

TEST(FramerEcho, MessageOfAnyOpcodeCountsAsTheEcho)
{
    for (const Bytes& other : {WithChecksum({0xA0, 1, 2}), WithChecksum({0xC7, 1, 2, 3, 4}),
                               WithChecksum({0xED, 0x05, 0x01, 0x02})}) {
        RecordingFramer r;
        r.framer.ExpectEcho();
        r.Feed(Concat({other, kSettingsReply}));
        EXPECT_FALSE(r.framer.AwaitingEcho());
        EXPECT_EQ(r.groupMessages.size(), 1u);
    }
}

TEST(FramerEcho, OnlyDirection0x10IsHandedOn)
{
    struct Case { std::uint8_t direction; bool handedOn; };
    for (Case c : {Case{0x10, true}, Case{0x08, false}, Case{0x00, false}, Case{0x18, false},
                   Case{0x30, false}}) {
        RecordingFramer r;
        bus::GroupMessageFields fields = bus::MakeSettingsRequest();
        fields.direction = c.direction;
        r.Feed(Packed(fields));
        EXPECT_EQ(r.groupMessages.size(), c.handedOn ? 1u : 0u) << int(c.direction);
    }
}

TEST(FramerEcho, OtherOpcodesAreNeverHandedOn)
{
    Bytes otherOpcode = kSettingsReply; // same length byte, another opcode
    otherOpcode[0] = 0xE4;
    otherOpcode.back() = CalcChecksum(19, otherOpcode.data());
    RecordingFramer r;
    r.Feed(Concat({WithChecksum({0xE5, 0x05, 0x03, 0x10}), otherOpcode}));
    EXPECT_EQ(r.observed.size(), 2u);
    EXPECT_TRUE(r.groupMessages.empty());
}

TEST(FramerEcho, HandlerThatSendsAgainKeepsItsAwaitedEcho)
{
    CBusFramer framer;
    framer.SetGroupMessageHandler([&](std::span<const std::uint8_t>) { framer.ExpectEcho(); });
    framer.ProcessRxBytes(kSettingsReply);
    EXPECT_TRUE(framer.AwaitingEcho());
}

// --- Streams -----------------------------------------------------------------

TEST(FramerStream, TruncatedMessageAtTheEndWaitsForMore)
{
    RecordingFramer r;
    r.Feed(Bytes(kSettingsReply.begin(), kSettingsReply.end() - 1));
    EXPECT_TRUE(r.observed.empty());
    EXPECT_EQ(r.framer.State(), CBusFramer::WaitChecksum);
    r.framer.ProcessRxByte(kSettingsReply.back());
    EXPECT_EQ(r.groupMessages.size(), 1u);
}

TEST(FramerStream, ChunkingDoesNotMatter)
{
    const Bytes stream = Concat({kEcho, Bytes{0x11, 0x22}, kSettingsReply, WithChecksum({0xA1, 9, 9}),
                                 kSettingsReply});
    for (std::size_t chunk = 1; chunk <= stream.size(); ++chunk) {
        RecordingFramer r;
        for (std::size_t pos = 0; pos < stream.size(); pos += chunk)
            r.Feed(Bytes(stream.begin() + pos, stream.begin() + std::min(stream.size(), pos + chunk)));
        EXPECT_EQ(r.observed.size(), 4u) << chunk;
        EXPECT_EQ(r.groupMessages.size(), 2u) << chunk; // the request is seen, not handed on
    }
}

TEST(FramerStream, EveryDecodedReplyIsTheMessageThatWasSent)
{
    RecordingFramer r;
    const Bytes level = Packed(bus::MakeLevelReply(17, 200));
    r.Feed(Concat({kSettingsReply, Bytes{0x00}, level, Bytes{0x7F, 0x7F}, WithChecksum({0x85})}));
    ASSERT_EQ(r.groupMessages.size(), 2u);
    EXPECT_EQ(r.groupMessages[0], kSettingsReply);
    EXPECT_EQ(r.groupMessages[1], level);
}
