#include "bus/Latin1.h"

#include <gtest/gtest.h>

TEST(Latin1, ByteC4IsAUmlautBothWays)
{
    EXPECT_EQ(bus::Latin1ToUtf8("\xC4"), "\xC3\x84");
    EXPECT_EQ(bus::Utf8ToLatin1("\xC3\x84"), "\xC4");
}

TEST(Latin1, EveryByteRoundTrips)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    const std::string text = bus::Latin1ToUtf8(all);
    EXPECT_EQ(bus::Utf8Length(text), 256u);
    EXPECT_EQ(bus::Utf8ToLatin1(text), all);
}

TEST(Latin1, CharactersWithoutAByteBecomeQuestionMarks)
{
    EXPECT_EQ(bus::Utf8ToLatin1("a\xE2\x82\xAC" "b"), "a?b");          // euro sign
    EXPECT_EQ(bus::Utf8ToLatin1("\xF0\x9F\x9A\x82"), "?");              // a locomotive
    EXPECT_EQ(bus::Utf8Length("a\xE2\x82\xAC" "b"), 3u);
}

TEST(Latin1, MalformedUtf8BecomesOneQuestionMarkPerByte)
{
    EXPECT_EQ(bus::Utf8ToLatin1("\xC4" "x"), "?x");          // lone lead byte
    EXPECT_EQ(bus::Utf8ToLatin1("\x84"), "?");               // lone continuation
    EXPECT_EQ(bus::Utf8ToLatin1("\xC1\x81"), "??");          // overlong 'A'
    EXPECT_EQ(bus::Utf8ToLatin1("\xED\xA0\x80"), "???");     // surrogate
    EXPECT_EQ(bus::Utf8ToLatin1("\xE2\x82"), "??");          // cut short
    EXPECT_EQ(bus::Utf8ToLatin1("\xF8\x88\x80\x80\x80"), "?????");
}
