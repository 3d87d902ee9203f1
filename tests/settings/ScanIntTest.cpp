#include <gtest/gtest.h>

#include <climits>

#include "settings/ScanInt.h"

namespace {

// The number one "%i" conversion of text gives, or nothing.
std::optional<int> ScanOne(std::string_view text)
{
    int value = -12345;
    return ScanInts(text, ':', &value, 1) == 1 ? std::optional(value) : std::nullopt;
}

TEST(ScanInt, ReadsLikePercentI)
{
    EXPECT_EQ(ScanOne("16"), 16);
    EXPECT_EQ(ScanOne("0x10"), 16);
    EXPECT_EQ(ScanOne("0X1f"), 31);
    EXPECT_EQ(ScanOne("011"), 9);
    EXPECT_EQ(ScanOne("0"), 0);
    EXPECT_EQ(ScanOne("  -42"), -42);
    EXPECT_EQ(ScanOne("+7"), 7);
    EXPECT_EQ(ScanOne("12abc"), 12);
    EXPECT_EQ(ScanOne("08"), 0);  // octal stops at the 8
    EXPECT_EQ(ScanOne("0xg"), 0); // no hex digit: the 0 alone
    EXPECT_EQ(ScanOne("abc"), std::nullopt);
    EXPECT_EQ(ScanOne(""), std::nullopt);
    EXPECT_EQ(ScanOne("-"), std::nullopt);
    EXPECT_EQ(ScanOne("   "), std::nullopt);
}

TEST(ScanInt, ClampsBeyondTheIntRange)
{
    EXPECT_EQ(ScanOne("99999999999999999999999"), INT_MAX);
    EXPECT_EQ(ScanOne("-99999999999"), INT_MIN);
    EXPECT_EQ(ScanOne("0xffffffff"), INT_MAX);
}

TEST(ScanInt, CountsSeparatedFields)
{
    int values[10] = {};
    EXPECT_EQ(ScanInts("1:2:3:4:5:6:7:8:9:10", ':', values, 10), 10);
    EXPECT_EQ(values[9], 10);
    EXPECT_EQ(ScanInts("0x8000:1:-1:-1:-1:-1:10:20:300:400", ':', values, 10), 10);
    EXPECT_EQ(values[0], 0x8000);
    EXPECT_EQ(ScanInts("1:2:3:4:5:6:7:8:9", ':', values, 10), 9);
    EXPECT_EQ(ScanInts("1:2:x:4", ':', values, 10), 2);
    EXPECT_EQ(ScanInts("1 :2", ':', values, 10), 1); // the separator must follow at once
    EXPECT_EQ(ScanInts("1: 2", ':', values, 10), 2); // a number may start with blanks
}

} // namespace
