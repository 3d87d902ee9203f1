#include "bus/GroupReply.h"
#include "bus/GroupRequests.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

bus::GroupMessageFields Reply(bus::GroupCommand command, std::initializer_list<std::uint8_t> data)
{
    bus::GroupMessageFields fields;
    fields.command = command;
    fields.direction = bus::DirReply;
    std::copy(data.begin(), data.end(), fields.data.begin());
    return fields;
}

bus::GroupMessageFields NameReply(const char (&name)[9])
{
    bus::GroupMessageFields fields = Reply(bus::CmdSettings, {});
    std::memcpy(fields.data.data(), name, 8);
    return fields;
}

std::string DecodedName(const bus::GroupMessageFields& fields)
{
    return std::get<bus::RadioSettings>(bus::DecodeGroupReply(fields)).name;
}

} // namespace

// --- The settings reply ----------------------------------------------------

TEST(SettingsReply, CarriesKeyChannelAndGroupId)
{
    auto fields = NameReply("Olv12345");
    fields.data[8] = 0x12;
    fields.data[9] = 0x34;
    fields.data[10] = 26;
    fields.data[11] = 127;
    EXPECT_EQ(std::get<bus::RadioSettings>(bus::DecodeGroupReply(fields)),
              (bus::RadioSettings{"Olv12345", 1234, 26, 127}));
}

TEST(SettingsReply, NibblesAboveNineAreTakenUnchecked)
{
    auto fields = NameReply("a       ");
    fields.data[8] = 0xFF;
    fields.data[9] = 0xFF;
    EXPECT_EQ(std::get<bus::RadioSettings>(bus::DecodeGroupReply(fields)).pwKey, 16665);
}

TEST(SettingsReply, TrailingBlanksGoButPositionZeroStays)
{
    EXPECT_EQ(DecodedName(NameReply("        ")), " ");
    EXPECT_EQ(DecodedName(NameReply("abc     ")), "abc");
    EXPECT_EQ(DecodedName(NameReply("a b c   ")), "a b c");
    EXPECT_EQ(DecodedName(NameReply(" x      ")), " x");
}

TEST(SettingsReply, ZeroByteEndsTheName)
{
    EXPECT_EQ(DecodedName(NameReply("ab\0cdefg")), "ab");
    EXPECT_EQ(DecodedName(NameReply("\0bcdefgh")), "");
    // Stripping starts at the end and stops at the zero, so the blank before it stays.
    EXPECT_EQ(DecodedName(NameReply("a \0\0\0\0\0\0")), "a ");
}

TEST(SettingsReply, HighBitBytesAreLatin1)
{
    EXPECT_EQ(DecodedName(NameReply("\xC4pfel   ")), "\xC3\x84pfel");
    EXPECT_EQ(DecodedName(NameReply("\xFF\x80\x01     ")), "\xC3\xBF\xC2\x80\x01");
}

TEST(SettingsReply, MakeSettingsReplyRoundTrips)
{
    const bus::RadioSettings settings{"\xC3\x84" "bc", 507, 19, 200};
    const auto fields = bus::MakeSettingsReply(settings);
    EXPECT_EQ(fields.data[8], 0x05);
    EXPECT_EQ(fields.data[9], 0x07);
    EXPECT_EQ(std::get<bus::RadioSettings>(bus::DecodeGroupReply(fields)), settings);
}

// --- The single-setting replies ----------------------------------------------

TEST(SingleReplies, ChannelGroupIdAndLevel)
{
    EXPECT_EQ(std::get<bus::RfChannelReply>(bus::DecodeGroupReply(Reply(bus::CmdRfChannel, {21}))).rfChannel, 21);
    EXPECT_EQ(std::get<bus::GroupIdReply>(bus::DecodeGroupReply(Reply(bus::CmdGroupId, {200}))).netWorkId, 200);
    const auto level = std::get<bus::ChannelLevelReply>(bus::DecodeGroupReply(bus::MakeLevelReply(13, 255)));
    EXPECT_EQ(level.channel, 13);
    EXPECT_EQ(level.level, 255);
}

TEST(SingleReplies, KeyFromFourAsciiDigits)
{
    auto key = [](std::initializer_list<std::uint8_t> digits) {
        return std::get<bus::PasswordKeyReply>(bus::DecodeGroupReply(Reply(bus::CmdPasswordKey, digits))).pwKey;
    };
    EXPECT_EQ(key({'0', '0', '0', '0'}), 0);
    EXPECT_EQ(key({'9', '8', '7', '6'}), 9876);
    // Outside '0'-'9' the arithmetic stands, unchecked.
    EXPECT_EQ(key({'A', '0', '0', '0'}), 17000);
    EXPECT_EQ(key({0, 0, 0, 0}), -53328);
    EXPECT_EQ(key({255, 255, 255, 255}), 229977);
}

// --- What is not decoded -----------------------------------------------------

TEST(NotDecoded, OtherDirectionsAndUnknownCommands)
{
    auto request = bus::MakeSettingsRequest();
    EXPECT_TRUE(std::holds_alternative<std::monostate>(bus::DecodeGroupReply(request)));
    request.direction = bus::DirWrite;
    EXPECT_TRUE(std::holds_alternative<std::monostate>(bus::DecodeGroupReply(request)));
    request.direction = 0x18;
    EXPECT_TRUE(std::holds_alternative<std::monostate>(bus::DecodeGroupReply(request)));
    for (std::uint8_t command : {0, 1, 5, 6, 8, 15, 17, 127})
        EXPECT_TRUE(std::holds_alternative<std::monostate>(bus::DecodeGroupReply(Reply(
            static_cast<bus::GroupCommand>(command), {1, 2, 3}))))
            << int(command);
}

TEST(NotDecoded, BitsOutsideTheDirectionMaskAreIgnored)
{
    auto fields = Reply(bus::CmdRfChannel, {12});
    fields.direction = 0x30;
    EXPECT_TRUE(std::holds_alternative<bus::RfChannelReply>(bus::DecodeGroupReply(fields)));
}
