#include "BusTestSupport.h"

#include "bus/GroupReply.h"
#include "bus/GroupRequests.h"
#include "bus/TransceiverModel.h"

#include <gtest/gtest.h>

using bustest::Bytes;
using bustest::Concat;
using bustest::Packed;
using bustest::RecordingFramer;

namespace {

// The program's framer and the model joined on a fake line: what the
// program writes goes to the model, and the model's answer is framed before
// the next send, as the message loop would between sends.
struct Line {
    CTransceiverModel model;
    RecordingFramer program;
    std::vector<bus::GroupReply> replies;
    bool echoOverdue = false; // a send found the previous echo not yet framed

    explicit Line(bus::RadioSettings start = CTransceiverModel::DefaultSettings()) : model(std::move(start))
    {
        program.framer.SetGroupMessageHandler([this](std::span<const std::uint8_t> m) {
            replies.push_back(bus::DecodeGroupReply(bus::UnpackGroupMessage(m.first<20>())));
        });
    }

    void Send(const bus::GroupMessageFields& fields)
    {
        echoOverdue = echoOverdue || program.framer.AwaitingEcho();
        program.framer.ExpectEcho();
        program.Feed(model.Feed(Packed(fields)));
    }
};

std::vector<Bytes> Messages(const Bytes& stream)
{
    RecordingFramer r;
    r.Feed(stream);
    return r.observed;
}

} // namespace

// --- Answers -----------------------------------------------------------------

TEST(TransceiverModel, GetIsEchoedThenAnsweredWithTheSettings)
{
    CTransceiverModel model({"Yard 2", 4321, 20, 9});
    const Bytes get = Packed(bus::MakeSettingsRequest());
    const auto messages = Messages(model.Feed(get));
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], get);
    const auto reply = bus::UnpackGroupMessage(std::span<const std::uint8_t, 20>(messages[1].data(), 20));
    EXPECT_EQ(reply.direction, bus::DirReply);
    EXPECT_EQ(std::get<bus::RadioSettings>(bus::DecodeGroupReply(reply)),
              (bus::RadioSettings{"Yard 2", 4321, 20, 9}));
}

TEST(TransceiverModel, WritesAreEchoedWithoutReplyAndRecordedInOrder)
{
    CTransceiverModel model;
    Bytes stream;
    for (const auto& w : bus::MakeSettingsWrites("abc", 15, 3, 42))
        stream = Concat({stream, Packed(w)});
    EXPECT_EQ(model.Feed(stream), stream);
    ASSERT_EQ(model.Received().size(), 4u);
    EXPECT_EQ(model.Received()[0].command, bus::CmdSettings);
    EXPECT_EQ(model.Received()[1].command, bus::CmdRfChannel);
    EXPECT_EQ(model.Received()[2].command, bus::CmdGroupId);
    EXPECT_EQ(model.Received()[3].command, bus::CmdPasswordKey);
}

TEST(TransceiverModel, AnswersDoNotDependOnChunking)
{
    const Bytes stream = Concat({Packed(bus::MakeSettingsRequest()), Packed(bus::MakeLevelQuery(12)),
                                 Packed(bus::MakeLevelQuery(25))});
    CTransceiverModel whole;
    const Bytes expected = whole.Feed(stream);
    CTransceiverModel byteByByte;
    Bytes answered;
    for (std::uint8_t b : stream) {
        const Bytes part = byteByByte.Feed(std::span(&b, 1));
        answered.insert(answered.end(), part.begin(), part.end());
    }
    EXPECT_EQ(answered, expected);
    EXPECT_EQ(Messages(expected).size(), 6u);
}

TEST(TransceiverModel, KeyWriteWithNonDigitsIsNotKept)
{
    CTransceiverModel model({"a", 1111, 11, 0});
    auto write = bus::MakePasswordKeyWrite(2222);
    write.data[2] = 'x';
    model.Feed(Packed(write));
    EXPECT_EQ(model.Settings().pwKey, 1111);
    model.Feed(Packed(bus::MakePasswordKeyWrite(2222)));
    EXPECT_EQ(model.Settings().pwKey, 2222);
}

// --- Levels ------------------------------------------------------------------

TEST(TransceiverLevels, ReplyCarriesTheChannelAndALevelNearItsBase)
{
    CTransceiverModel model({}, 7);
    for (std::int32_t channel = 11; channel <= 26; ++channel) {
        const auto messages = Messages(model.Feed(Packed(bus::MakeLevelQuery(channel))));
        ASSERT_EQ(messages.size(), 2u);
        const auto reply = std::get<bus::ChannelLevelReply>(bus::DecodeGroupReply(
            bus::UnpackGroupMessage(std::span<const std::uint8_t, 20>(messages[1].data(), 20))));
        EXPECT_EQ(reply.channel, channel);
        EXPECT_NEAR(reply.level, model.BaseLevel(channel), CTransceiverModel::kLevelJitter);
    }
}

TEST(TransceiverLevels, AFewChannelsAreBusyAndTheRestQuiet)
{
    for (std::uint32_t seed = 1; seed <= 50; ++seed) {
        CTransceiverModel model({}, seed);
        int busy = 0;
        for (std::int32_t channel = 11; channel <= 26; ++channel) {
            EXPECT_GE(model.BaseLevel(channel), 0);
            EXPECT_LE(model.BaseLevel(channel), 255);
            busy += model.BaseLevel(channel) >= 60;
        }
        EXPECT_GE(busy, 4) << seed;
        EXPECT_LE(busy, 8) << seed;
        EXPECT_LT(model.BaseLevel(15), 60); // between the usual neighbouring networks
        EXPECT_LT(model.BaseLevel(26), 60);
    }
}

TEST(TransceiverLevels, FixedTableIsReportedExactly)
{
    Line line;
    CTransceiverModel::LevelTable levels{};
    for (std::size_t i = 0; i < levels.size(); ++i)
        levels[i] = static_cast<std::int32_t>(i * 17);
    line.model.SetLevels(levels);
    for (int pass = 0; pass < 2; ++pass)
        for (std::int32_t channel = 11; channel <= 26; ++channel)
            line.Send(bus::MakeLevelQuery(channel));
    ASSERT_EQ(line.replies.size(), 32u);
    for (std::size_t i = 0; i < 32; ++i)
        EXPECT_EQ(std::get<bus::ChannelLevelReply>(line.replies[i]).level, static_cast<std::int32_t>(i % 16 * 17));
}

TEST(TransceiverLevels, SameSeedSameLevels)
{
    CTransceiverModel a({}, 3);
    CTransceiverModel b({}, 3);
    const Bytes query = Packed(bus::MakeLevelQuery(22));
    EXPECT_EQ(a.Feed(query), b.Feed(query));
}

// --- Round trip with the program's side ---------------------------------------

TEST(TransceiverRoundTrip, SetThenGetReturnsWhatWasSet)
{
    Line line;
    for (const auto& w : bus::MakeSettingsWrites("\xC3\x84rna", 23, 77, 305))
        line.Send(w);
    EXPECT_TRUE(line.replies.empty());
    line.Send(bus::MakeSettingsRequest());
    ASSERT_EQ(line.replies.size(), 1u);
    EXPECT_EQ(std::get<bus::RadioSettings>(line.replies[0]), (bus::RadioSettings{"\xC3\x84rna", 305, 23, 77}));
    EXPECT_FALSE(line.echoOverdue); // every echo was framed before the next send
}

TEST(TransceiverRoundTrip, ScanRepliesReachTheProgram)
{
    Line line;
    for (std::int32_t channel = 11; channel <= 26; ++channel)
        line.Send(bus::MakeLevelQuery(channel));
    ASSERT_EQ(line.replies.size(), 16u);
    for (std::int32_t i = 0; i < 16; ++i)
        EXPECT_EQ(std::get<bus::ChannelLevelReply>(line.replies[i]).channel, 11 + i);
}

// --- Faults ------------------------------------------------------------------

TEST(TransceiverFaults, DroppedEchoMakesTheReplyPassAsTheEcho)
{
    Line line;
    line.model.Faults().dropEchoes = true;
    line.Send(bus::MakeSettingsRequest());
    EXPECT_TRUE(line.replies.empty());
}

TEST(TransceiverFaults, DroppedRepliesLeaveOnlyEchoes)
{
    Line line;
    line.model.Faults().dropReplies = true;
    line.Send(bus::MakeSettingsRequest());
    EXPECT_TRUE(line.replies.empty());
    EXPECT_EQ(line.program.observed.size(), 1u);
}

TEST(TransceiverFaults, AFloodFollowsTheAnswersToEachMessage)
{
    CTransceiverModel model;
    model.Faults().floodBytes = 3;
    const Bytes get = Packed(bus::MakeSettingsRequest());
    const Bytes reply = Packed(bus::MakeSettingsReply(CTransceiverModel::DefaultSettings()));
    const Bytes flood = {0x00, 0x01, 0x02};
    // Two messages read in one piece.
    EXPECT_EQ(model.Feed(Concat({get, get})), Concat({get, reply, flood, get, reply, flood}));
}

TEST(TransceiverFaults, CorruptChecksumsAreDroppedByTheFramer)
{
    Line line;
    line.model.Faults().corruptReplies = true;
    line.Send(bus::MakeSettingsRequest());
    EXPECT_TRUE(line.replies.empty());
    EXPECT_EQ(line.program.framer.BadChecksumCount(), 1u);

    line.model.Faults() = {};
    line.model.Faults().corruptEchoes = true;
    line.Send(bus::MakeSettingsRequest());
    // The echo is lost, so the reply is taken as the echo.
    EXPECT_TRUE(line.replies.empty());
    EXPECT_EQ(line.program.framer.BadChecksumCount(), 2u);
}

TEST(TransceiverFaults, NoiseAndForeignMessagesDoNotDisturbTheReply)
{
    Line line;
    line.model.Faults().noiseBytes = 13;
    line.model.Faults().foreignMessages = true;
    line.Send(bus::MakeSettingsRequest());
    ASSERT_EQ(line.replies.size(), 1u);
    EXPECT_EQ(std::get<bus::RadioSettings>(line.replies[0]).name, "Olv12345");
    EXPECT_EQ(line.program.observed.size(), 5u); // echo, reply, three foreign messages
    EXPECT_EQ(line.program.framer.BadChecksumCount(), 0u);
}

TEST(TransceiverFaults, SecondTransceiverAnswersAfterTheFirst)
{
    Line line({"First", 1, 11, 1});
    line.model.Faults().secondTransceiver = bus::RadioSettings{"Second", 2, 26, 2};
    line.Send(bus::MakeSettingsRequest());
    ASSERT_EQ(line.replies.size(), 2u);
    EXPECT_EQ(std::get<bus::RadioSettings>(line.replies[0]).name, "First");
    EXPECT_EQ(std::get<bus::RadioSettings>(line.replies[1]).name, "Second");
    line.Send(bus::MakeLevelQuery(14));
    EXPECT_EQ(line.replies.size(), 4u);
}
