// The worked examples of the wire format, byte for byte.
#include "BusTestSupport.h"

#include "bus/GroupRequests.h"

#include <gtest/gtest.h>

using bustest::Bytes;
using bustest::Packed;

TEST(GoldenMessages, GetRequest)
{
    EXPECT_EQ(Packed(bus::MakeSettingsRequest()),
              (Bytes{0xE5, 0x14, 0x03, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                     0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x05}));
}

TEST(GoldenMessages, LevelQueryForChannel11)
{
    EXPECT_EQ(Packed(bus::MakeLevelQuery(11)),
              (Bytes{0xE5, 0x14, 0x10, 0x08, 0x00, 0x0B, 0x00, 0x00, 0x00, 0x00,
                     0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1D}));
}

TEST(GoldenMessages, WriteOfRfChannel15)
{
    EXPECT_EQ(Packed(bus::MakeRfChannelWrite(15)),
              (Bytes{0xE5, 0x14, 0x02, 0x00, 0x00, 0x0F, 0x00, 0x00, 0x00, 0x00,
                     0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03}));
}

TEST(GoldenMessages, WriteOfNameOlv12345)
{
    EXPECT_EQ(Packed(bus::MakeNameWrite("Olv12345")),
              (Bytes{0xE5, 0x14, 0x03, 0x00, 0x00, 0x4F, 0x6C, 0x76, 0x31, 0x00,
                     0x32, 0x33, 0x34, 0x35, 0x00, 0x00, 0x00, 0x00, 0x00, 0x69}));
}

TEST(GoldenMessages, NameStartingWithByteC4PutsItsTopBitInTheHighBitByte)
{
    const Bytes bytes = Packed(bus::MakeNameWrite("\xC3\x84")); // "Ä"
    EXPECT_EQ(bytes[4], 0x01);
    EXPECT_EQ(bytes[5], 0x44);
}

TEST(GoldenMessages, ShortestGoodMessage)
{
    const Bytes message{0x81, 0x7E};
    EXPECT_EQ(CalcChecksum(2, message.data()), 0x00);
    EXPECT_EQ(CalcChecksum(1, message.data()), 0x7E);
}

TEST(GoldenMessages, ChecksumOfNothingIsFF)
{
    const std::uint8_t byte = 0x55;
    EXPECT_EQ(CalcChecksum(0, &byte), 0xFF);
    EXPECT_EQ(CalcChecksum(-3, &byte), 0xFF);
}
