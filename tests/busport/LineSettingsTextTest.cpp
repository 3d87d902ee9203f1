// The stored form of a line's settings: what it accepts, and that every bad
// value is refused with a reason rather than read as some other speed.

#include "busport/LineSettingsText.h"

#include <gtest/gtest.h>

namespace {

using busport::Flow;
using busport::LineSettings;

TEST(ParseLineSettings, ReadsARateAndAnOptionalRtsCts)
{
    const struct {
        const char* text;
        LineSettings line;
    } cases[] = {
        {"16457", {16457, Flow::None}},
        {"57600 rtscts", {57600, Flow::RtsCts}},
        {"  57600\trtscts  ", {57600, Flow::RtsCts}},
        {"50", {50, Flow::None}},
        {"4000000 rtscts", {4000000, Flow::RtsCts}},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_EQ(busport::ParseLineSettings(c.text, error), c.line) << c.text;
        EXPECT_EQ(error, "") << c.text;
    }
}

TEST(ParseLineSettings, RefusesBadValuesWithTheirReason)
{
    const struct {
        const char* text;
        const char* reason;
    } cases[] = {
        {"", "is not a whole number"},
        {"fast", "\"fast\" is not a whole number"},
        {"57600baud", "is not a whole number"},
        {"0x1000", "is not a whole number"},
        {"0", "0 is outside 50 to 4000000"},
        {"-9600", "-9600 is outside"},
        {"4000001", "is outside"},
        {"99999999999999999999999", "is outside"},
        {"57600 xonxoff", "\"xonxoff\" is not rtscts"},
        {"57600 RTSCTS", "is not rtscts"},
        {"57600 rtscts 8N1", "\"8N1\" follows"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_EQ(busport::ParseLineSettings(c.text, error), std::nullopt) << c.text;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.text << ": " << error;
    }
}

TEST(LineSettingsValue, ReadsBackAsTheSameSettings)
{
    for (const LineSettings& line : {LineSettings {}, busport::kUsbInterfaceLine, LineSettings {115200, Flow::None}}) {
        std::string error;
        EXPECT_EQ(busport::ParseLineSettings(busport::LineSettingsValue(line), error), line);
    }
    EXPECT_EQ(busport::LineSettingsValue(busport::kUsbInterfaceLine), "57600 rtscts");
    EXPECT_EQ(busport::LineSettingsText(busport::kUsbInterfaceLine), "57600 baud, RTS/CTS");
}

} // namespace
