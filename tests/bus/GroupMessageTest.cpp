#include "BusTestSupport.h"

#include "bus/GroupRequests.h"

#include <gtest/gtest.h>

using bustest::Bytes;
using bustest::Packed;

// --- Packing -----------------------------------------------------------------

TEST(GroupPacking, EveryDataValueSurvivesPackAndUnpackInEveryPosition)
{
    for (std::size_t pos = 0; pos < bus::kGroupDataSize; ++pos) {
        for (int value = 0; value < 256; ++value) {
            bus::GroupMessageFields fields;
            fields.command = 3;
            fields.direction = 0x10;
            fields.data[pos] = static_cast<std::uint8_t>(value);
            fields.data[(pos + 5) % bus::kGroupDataSize] = 0xFF;
            const auto bytes = bus::PackGroupMessage(fields);
            for (std::size_t i = 1; i < bytes.size(); ++i)
                ASSERT_EQ(bytes[i] & 0x80, 0) << "byte " << i << " of d" << pos << "=" << value;
            EXPECT_EQ(CalcChecksum(20, bytes.data()), 0);
            EXPECT_EQ(bus::UnpackGroupMessage(bytes), fields);
        }
    }
}

TEST(GroupPacking, HighBitsGatherPerGroupOfFour)
{
    bus::GroupMessageFields fields;
    fields.data = {0x80, 0, 0, 0x80, 0, 0x80, 0, 0, 0, 0, 0x80, 0xFF};
    const Bytes bytes = Packed(fields);
    EXPECT_EQ(bytes[4], 0x09);
    EXPECT_EQ(bytes[9], 0x02);
    EXPECT_EQ(bytes[14], 0x0C);
    EXPECT_EQ(bytes[18], 0x7F);
}

TEST(GroupPacking, TopBitOfCommandAndDirectionIsNotSent)
{
    bus::GroupMessageFields fields;
    fields.command = 0x83;
    fields.direction = 0x90;
    const Bytes bytes = Packed(fields);
    EXPECT_EQ(bytes[2], 0x03);
    EXPECT_EQ(bytes[3], 0x10);
}

TEST(GroupPacking, UnpackTakesTheTopBitFromTheHighBitByteOnly)
{
    bus::GroupMessageBytes bytes{};
    bytes[4] = 0x01;
    bytes[5] = 0xC4; // a top bit here is not the data's
    bytes[6] = 0xC4;
    const auto fields = bus::UnpackGroupMessage(bytes);
    EXPECT_EQ(fields.data[0], 0xC4);
    EXPECT_EQ(fields.data[1], 0x44);
}

// --- Requests ----------------------------------------------------------------

TEST(GroupRequests, ShortNameIsBlankFilled)
{
    const auto fields = bus::MakeNameWrite("abc");
    EXPECT_EQ(fields.command, bus::CmdSettings);
    EXPECT_EQ(fields.direction, bus::DirWrite);
    const std::array<std::uint8_t, 12> expected{'a', 'b', 'c', ' ', ' ', ' ', ' ', ' ', 0, 0, 0, 0};
    EXPECT_EQ(fields.data, expected);
}

TEST(GroupRequests, LongNameSendsItsFirstEightCharacters)
{
    const auto fields = bus::MakeNameWrite("Gr\xC3\xBC" "ne Linie"); // "Grüne Linie"
    const std::array<std::uint8_t, 12> expected{'G', 'r', 0xFC, 'n', 'e', ' ', 'L', 'i', 0, 0, 0, 0};
    EXPECT_EQ(fields.data, expected);
}

TEST(GroupRequests, PadNameCountsCharactersNotBytes)
{
    EXPECT_EQ(bus::PadName("abc"), "abc     ");
    EXPECT_EQ(bus::PadName("\xC3\x84" "b"), "\xC3\x84" "b      ");
    EXPECT_EQ(bus::PadName(""), "        ");
    EXPECT_EQ(bus::PadName("123456789"), "123456789");
}

TEST(GroupRequests, KeyIsSentAsFourAsciiDigits)
{
    struct Case { std::int32_t key; const char* digits; };
    for (Case c : {Case{0, "0000"}, Case{7, "0007"}, Case{1234, "1234"}, Case{9999, "9999"},
                   Case{12345, "1234"}, Case{-5, "-000"}}) {
        const auto fields = bus::MakePasswordKeyWrite(c.key);
        EXPECT_EQ(fields.command, bus::CmdPasswordKey);
        EXPECT_EQ(std::string(fields.data.begin(), fields.data.begin() + 4), c.digits) << c.key;
        EXPECT_EQ(fields.data[4], 0);
    }
}

TEST(GroupRequests, NumbersTravelAsTheirLowByte)
{
    EXPECT_EQ(bus::MakeRfChannelWrite(300).data[0], 44);
    EXPECT_EQ(bus::MakeGroupIdWrite(200).data[0], 200); // bit 7 travels in the high-bit byte
    EXPECT_EQ(Packed(bus::MakeGroupIdWrite(200))[4], 0x01);
    EXPECT_EQ(bus::MakeLevelQuery(26 + 256).data[0], 26);
}

TEST(GroupRequests, SetSendsNameChannelGroupIdKeyInOrder)
{
    const auto writes = bus::MakeSettingsWrites("abc", 15, 3, 42);
    EXPECT_EQ(writes[0], bus::MakeNameWrite("abc"));
    EXPECT_EQ(writes[1], bus::MakeRfChannelWrite(15));
    EXPECT_EQ(writes[2], bus::MakeGroupIdWrite(3));
    EXPECT_EQ(writes[3], bus::MakePasswordKeyWrite(42));
    for (const auto& w : writes)
        EXPECT_EQ(w.direction, bus::DirWrite);
}
