#include "serial/TelnetCodec.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::uint8_t IAC = CTelnetCodec::kIac, SB = CTelnetCodec::kSb, SE = CTelnetCodec::kSe;
constexpr std::uint8_t WILL = CTelnetCodec::kWill, WONT = CTelnetCodec::kWont, DO = CTelnetCodec::kDo,
                       DONT = CTelnetCodec::kDont;
constexpr std::uint8_t COMPORT = CTelnetCodec::kOptionComPort;

Bytes Decode(CTelnetCodec& codec, const Bytes& in)
{
    Bytes data(in.size());
    data.resize(codec.Decode(in, data.data()));
    return data;
}

// Decodes the input in every split into two pieces: the result must not
// depend on where the stream was cut.
Bytes DecodeSplitEverywhere(const Bytes& in)
{
    Bytes whole;
    {
        CTelnetCodec codec;
        whole = Decode(codec, in);
    }
    for (std::size_t cut = 0; cut <= in.size(); ++cut) {
        CTelnetCodec codec;
        Bytes data = Decode(codec, Bytes(in.begin(), in.begin() + cut));
        const Bytes rest = Decode(codec, Bytes(in.begin() + cut, in.end()));
        data.insert(data.end(), rest.begin(), rest.end());
        EXPECT_EQ(data, whole) << "cut at " << cut;
    }
    return whole;
}

TEST(TelnetCodec, OnlyLineDataReachesTheCaller)
{
    struct Case {
        const char* what;
        Bytes in;
        Bytes data;
    };
    const Case cases[] = {
        {"plain data", {0xE5, 0x14, 0x03}, {0xE5, 0x14, 0x03}},
        {"a doubled 0xFF is one data byte", {0x01, IAC, IAC, 0x02}, {0x01, 0xFF, 0x02}},
        {"negotiation between data", {0x01, IAC, DO, COMPORT, 0x02, IAC, WILL, 0, 0x03}, {0x01, 0x02, 0x03}},
        {"a subnegotiation with an escaped 0xFF", {0x01, IAC, SB, COMPORT, 101, 0, 0, IAC, IAC, 0, IAC, SE, 0x02},
         {0x01, 0x02}},
        {"one-byte commands", {IAC, 241, 0x01, IAC, 249, IAC, 242, 0x02}, {0x01, 0x02}},
        {"a command cuts a subnegotiation short", {IAC, SB, COMPORT, 106, IAC, WILL, 3, 0x07}, {0x07}},
        {"SE outside a subnegotiation", {IAC, SE, 0x05}, {0x05}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(DecodeSplitEverywhere(c.in), c.data);
    }
}

TEST(TelnetCodec, GreetingOffersTheOptionsAndAcknowledgementsAreNotAnswered)
{
    CTelnetCodec codec;
    const Bytes greeting = codec.Greeting();
    EXPECT_EQ(greeting, (Bytes {IAC, WILL, 0, IAC, WILL, 3, IAC, WILL, COMPORT, IAC, DO, 0, IAC, DO, 3}));
    EXPECT_FALSE(codec.ComPortAgreed());
    EXPECT_FALSE(codec.ComPortRefused());
    // The server agrees to everything asked: nothing to answer.
    Decode(codec, {IAC, DO, COMPORT, IAC, DO, 0, IAC, WILL, 0, IAC, DO, 3, IAC, WILL, 3});
    EXPECT_TRUE(codec.TakeAnswers().empty());
    EXPECT_TRUE(codec.ComPortAgreed());
    // Asked again, an enabled option is not answered again (no loop).
    Decode(codec, {IAC, DO, COMPORT, IAC, WILL, 0});
    EXPECT_TRUE(codec.TakeAnswers().empty());
}

TEST(TelnetCodec, AnswersRequestsThatChangeAnOptionOnly)
{
    struct Case {
        const char* what;
        Bytes in;
        Bytes answers;
    };
    const Case cases[] = {
        {"server echo is refused", {IAC, WILL, 1}, {IAC, DONT, 1}},
        {"an unknown option of ours is refused", {IAC, DO, 24}, {IAC, WONT, 24}},
        {"a refusal of what is off is not answered", {IAC, DONT, 1, IAC, WONT, 24}, {}},
        {"binary offered first by the server", {IAC, WILL, 0, IAC, DO, 0}, {IAC, DO, 0, IAC, WILL, 0}},
        {"switched off after being on", {IAC, DO, 3, IAC, DONT, 3}, {IAC, WILL, 3, IAC, WONT, 3}},
        {"an unrequested refusal of the COM port option", {IAC, DONT, COMPORT}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CTelnetCodec codec;
        Decode(codec, c.in);
        EXPECT_EQ(codec.TakeAnswers(), c.answers);
    }
    CTelnetCodec refusing;
    refusing.Greeting();
    Decode(refusing, {IAC, DONT, COMPORT});
    EXPECT_TRUE(refusing.TakeAnswers().empty());
    EXPECT_TRUE(refusing.ComPortRefused());
}

TEST(TelnetCodec, RequestsAreEscapedAndAnswersRead)
{
    // 0x0000FF01 has a 0xFF byte: it goes doubled.
    EXPECT_EQ(CTelnetCodec::ComPortRequest(CTelnetCodec::kSetBaudRate, 0xFF01),
              (Bytes {IAC, SB, COMPORT, 1, 0, 0, IAC, IAC, 1, IAC, SE}));
    EXPECT_EQ(CTelnetCodec::ComPortRequest(CTelnetCodec::kSetParity, 1), (Bytes {IAC, SB, COMPORT, 3, 1, IAC, SE}));

    CTelnetCodec codec;
    Decode(codec, {IAC, SB, COMPORT, 101, 0, 0, 0x40, 0x49, IAC, SE,  // 16457
                   IAC, SB, COMPORT, 102, 8, IAC, SE, IAC, SB, COMPORT, 105, 1, IAC, SE});
    EXPECT_EQ(codec.Answer(CTelnetCodec::kSetBaudRate), 16457u);
    EXPECT_EQ(codec.Answer(CTelnetCodec::kSetDataSize), 8u);
    EXPECT_EQ(codec.Answer(CTelnetCodec::kSetControl), 1u);
    EXPECT_FALSE(codec.Answer(CTelnetCodec::kSetParity));
    codec.Forget(CTelnetCodec::kSetBaudRate);
    EXPECT_FALSE(codec.Answer(CTelnetCodec::kSetBaudRate));

    // Wrong lengths, other options, an echoed client command and an overlong
    // subnegotiation are all ignored.
    Bytes junk = {IAC, SB, COMPORT, 101, 0, 1, IAC, SE, IAC, SB, 24, 101, 0, 0, 0, 9, IAC, SE,
                  IAC, SB, COMPORT, 1, 0, 0, 0, 9, IAC, SE, IAC, SB, COMPORT, 101};
    junk.insert(junk.end(), CTelnetCodec::kMaxSubnegotiation, 0);
    junk.insert(junk.end(), {IAC, SE});
    Decode(codec, junk);
    EXPECT_FALSE(codec.Answer(CTelnetCodec::kSetBaudRate));
}

TEST(TelnetCodec, LineStateNotificationsCountAsLineErrors)
{
    CTelnetCodec codec;
    Decode(codec, {IAC, SB, COMPORT, 106, 0x08 | 0x02, IAC, SE, IAC, SB, COMPORT, 106, 0x10, IAC, SE,
                   IAC, SB, COMPORT, 106, 0x61, IAC, SE, IAC, SB, COMPORT, 107, 0x30, IAC, SE});
    EXPECT_EQ(codec.LineErrors(), (CTelnetCodec::LineErrorCounts {1, 0, 1, 1}));
    EXPECT_EQ(codec.ModemState(), 0x30);
}

TEST(TelnetCodec, DataEncodingAndWhatAPartialSendCarried)
{
    const Bytes data = {0x01, 0xFF, 0x02};
    Bytes wire;
    CTelnetCodec::EncodeData(data, wire);
    EXPECT_EQ(wire, (Bytes {0x01, 0xFF, 0xFF, 0x02}));
    const std::size_t carried[] = {0, 1, 1, 2, 3};
    for (std::size_t sent = 0; sent <= wire.size(); ++sent)
        EXPECT_EQ(CTelnetCodec::DataBytesIn(data, sent), carried[sent]) << sent;
}

}  // namespace
