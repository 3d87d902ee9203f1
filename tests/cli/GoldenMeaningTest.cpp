// The monitor's words for the messages of the golden captures: every listed
// message reads as it did when the captures were made.
#include "busreport/MessageText.h"
#include "tests/bus/GoldenCaptures.h"

#include <gtest/gtest.h>

namespace {

TEST(GoldenMeaning, EveryListedMessageReadsAsListed)
{
    const std::vector<golden::Capture> captures = golden::LoadCaptures();
    ASSERT_FALSE(captures.empty());
    std::size_t described = 0;
    for (const golden::Capture& capture : captures) {
        for (const golden::Message& message : capture.messages) {
            SCOPED_TRACE(capture.name + ": " + message.hex);
            EXPECT_EQ(busreport::HexBytes(message.bytes), message.hex);
            EXPECT_EQ(busreport::DescribeMessage(message.bytes), message.meaning);
            described += message.meaning.empty() ? 0 : 1;
        }
    }
    EXPECT_GE(described, 30u); // the captures are mostly group configuration messages
}

} // namespace
