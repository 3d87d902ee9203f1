// How a bus monitor files and words each message, the odd ones included.

#include "bus/GroupReply.h"
#include "bus/GroupRequests.h"
#include "busreport/BusTraffic.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using busreport::TrafficKind;

std::vector<std::uint8_t> Packed(const bus::GroupMessageFields& fields)
{
    const auto bytes = bus::PackGroupMessage(fields);
    return {bytes.begin(), bytes.end()};
}

// The words after the hex.
std::string Words(const std::vector<std::uint8_t>& message, bool echo = false)
{
    const std::string line = busreport::DescribeTraffic(message, echo);
    const auto gap = line.find("  ");
    return gap == std::string::npos ? "" : line.substr(gap + 2);
}

TEST(BusTraffic, KindsFollowWhatTheMessageIsFor)
{
    const auto writes = bus::MakeSettingsWrites("Yard", 15, 42, 7);
    const std::vector<std::uint8_t> twoBytes = {0x81, 0x7E};
    const struct {
        std::vector<std::uint8_t> message;
        bool echo;
        TrafficKind kind;
    } cases[] = {
        {Packed(bus::MakeSettingsRequest()), false, TrafficKind::Settings},
        {Packed(bus::MakeSettingsReply({"Yard", 1, 15, 2})), false, TrafficKind::Settings},
        {Packed(writes[0]), false, TrafficKind::Writes},
        {Packed(writes[3]), false, TrafficKind::Writes},
        {Packed(bus::MakeLevelQuery(11)), false, TrafficKind::Levels},
        {Packed(bus::MakeLevelReply(11, 80)), false, TrafficKind::Levels},
        {twoBytes, false, TrafficKind::Other},
        {Packed(bus::MakeSettingsRequest()), true, TrafficKind::Echo},
        {twoBytes, true, TrafficKind::Echo},
    };
    for (const auto& c : cases)
        EXPECT_EQ(busreport::KindOfMessage(c.message, c.echo), c.kind) << busreport::DescribeTraffic(c.message, c.echo);
}

TEST(BusTraffic, EchoesAreMarkedAndOtherMessagesShowTheirBytes)
{
    EXPECT_EQ(Words(Packed(bus::MakeSettingsRequest()), true), "echo of Get request");
    EXPECT_EQ(busreport::DescribeTraffic(std::vector<std::uint8_t>{0x81, 0x7E}, true), "81 7E  echo");
    EXPECT_EQ(busreport::DescribeTraffic(std::vector<std::uint8_t>{0x81, 0x7E}, false), "81 7E");
    EXPECT_EQ(busreport::DescribeBadMessage(std::vector<std::uint8_t>{0x81, 0x7F}), "81 7F  bad checksum, dropped");
}

TEST(BusTraffic, ALevelForNoRadioChannelSaysSo)
{
    EXPECT_EQ(Words(Packed(bus::MakeLevelReply(30, 80))), "reply: level of channel 30: 80 (no radio channel 11-26)");
    EXPECT_EQ(Words(Packed(bus::MakeLevelReply(10, 0))), "reply: level of channel 10: 0 (no radio channel 11-26)");
    EXPECT_EQ(Words(Packed(bus::MakeLevelReply(26, 255))), "reply: level of channel 26: 255");
}

TEST(BusTraffic, ANameOfControlCharactersOrHighBytesShowsAsItIs)
{
    bus::GroupMessageFields reply = bus::MakeSettingsReply({"", 0, 11, 0});
    const std::uint8_t name[] = {0x01, 0x1B, 0x7F, 0x85, 0xC4, 'A', 0x0A, 0xFF};
    std::copy(std::begin(name), std::end(name), reply.data.begin());
    EXPECT_EQ(Words(Packed(reply)), "reply: name \"\\x01\\x1B\\x7F\\x85ÄA\\x0Aÿ\", group ID 0, key 0, channel 11");
}

TEST(BusTraffic, PrintableKeepsTextAndEscapesEveryControlCharacter)
{
    EXPECT_EQ(busreport::Printable("Bär 12"), "Bär 12");
    EXPECT_EQ(busreport::Printable("\t\r\n"), "\\x09\\x0D\\x0A");
    EXPECT_EQ(busreport::Printable("\xC2\x80\xC2\x9F\xC2\xA0"), "\\x80\\x9F\xC2\xA0"); // C1 controls; U+00A0 stays
    EXPECT_EQ(busreport::Printable("\xC2"), "\xC2"); // a cut sequence is left as it came
    EXPECT_EQ(busreport::Printable(""), "");
}

} // namespace
