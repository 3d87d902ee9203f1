// How the monitor puts bus messages into words.

#include "bus/GroupReply.h"
#include "bus/GroupRequests.h"
#include "busreport/MessageText.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

std::string Described(const bus::GroupMessageFields& fields)
{
    return busreport::DescribeMessage(bus::PackGroupMessage(fields));
}

TEST(MessageText, HexIsUpperCaseWithBlanks)
{
    const std::uint8_t bytes[] = {0x81, 0x7E, 0x0A};
    EXPECT_EQ(busreport::HexBytes(bytes), "81 7E 0A");
    EXPECT_EQ(busreport::HexBytes({}), "");
}

TEST(MessageText, DescribesEveryMessageTheProgramSendsOrGets)
{
    EXPECT_EQ(Described(bus::MakeSettingsRequest()), "Get request");
    EXPECT_EQ(Described(bus::MakeLevelQuery(17)), "level query, channel 17");
    const auto writes = bus::MakeSettingsWrites("Bär", 15, 42, 7);
    EXPECT_EQ(Described(writes[0]), "write name \"Bär\"");
    EXPECT_EQ(Described(writes[1]), "write channel 15");
    EXPECT_EQ(Described(writes[2]), "write group ID 42");
    EXPECT_EQ(Described(writes[3]), "write key 7");
    EXPECT_EQ(Described(bus::MakeSettingsReply({"Yard", 1234, 17, 99})),
              "reply: name \"Yard\", group ID 99, key 1234, channel 17");
    EXPECT_EQ(Described(bus::MakeLevelReply(26, 255)), "reply: level of channel 26: 255");
}

TEST(MessageText, OtherMessagesAreNotDescribed)
{
    const std::uint8_t shortMessage[] = {0x81, 0x7E};
    EXPECT_EQ(busreport::DescribeMessage(shortMessage), "");
    bus::GroupMessageFields unknown;
    unknown.command = 9;
    unknown.direction = bus::DirReply;
    EXPECT_EQ(Described(unknown), "reply, command 9");
}

TEST(MessageText, StampIsLocalTimeWithMilliseconds)
{
    EXPECT_TRUE(std::regex_match(busreport::WallClockStamp(), std::regex(R"(\d\d:\d\d:\d\d\.\d\d\d)")));
}

} // namespace
