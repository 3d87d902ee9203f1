// The "Lines" section: what each port is opened with, what a bad value
// turns into, and that the bus's own line leaves no entry behind.

#include <gtest/gtest.h>

#include "settings/Profile.h"
#include "tests/settings/TempSettings.h"

namespace {

using busport::Flow;
using busport::LineSettings;

TEST(LinesStore, NoEntryIsTheBusLineWithoutAWarning)
{
    TempSettings settings;
    const busport::StoredLine line = ProfileLineLookup()(1);
    EXPECT_EQ(line.settings, LineSettings {});
    EXPECT_EQ(line.warning, "");
}

TEST(LinesStore, AStoredLineIsReadForItsPortOnly)
{
    TempSettings settings;
    ASSERT_TRUE(WriteProfileString("Lines", "COM3", "57600 rtscts"));
    EXPECT_EQ(ProfileLineLookup()(3).settings, (LineSettings {57600, Flow::RtsCts}));
    EXPECT_EQ(ProfileLineLookup()(4).settings, LineSettings {});
}

TEST(LinesStore, ABadValueGivesTheBusLineAndOneWarningNamingTheEntry)
{
    TempSettings settings;
    for (const char* bad : {"0", "-1", "4000001", "fast", "57600 xon", ""}) {
        ASSERT_TRUE(WriteProfileString("Lines", "COM2", bad));
        const busport::StoredLine line = ProfileLineLookup()(2);
        EXPECT_EQ(line.settings, LineSettings {}) << bad;
        EXPECT_TRUE(line.warning.starts_with("Lines/COM2 = \"" + std::string(bad) + "\" is ignored: ")) << line.warning;
        EXPECT_TRUE(line.warning.ends_with("using 16457 baud without flow control")) << line.warning;
    }
}

TEST(LinesStore, StoringTheBusLineRemovesTheEntry)
{
    TempSettings settings;
    ASSERT_TRUE(StoreProfileLine(5, {115200, Flow::None}));
    EXPECT_EQ(GetProfileString("Lines", "COM5"), "115200");
    ASSERT_TRUE(StoreProfileLine(5, busport::kUsbInterfaceLine));
    EXPECT_EQ(GetProfileString("Lines", "COM5"), "57600 rtscts");
    ASSERT_TRUE(StoreProfileLine(5, LineSettings {}));
    EXPECT_TRUE(GetProfileString("Lines", "COM5").isNull());
    settings.MakeUnwritable();
    EXPECT_FALSE(StoreProfileLine(5, busport::kUsbInterfaceLine));
}

} // namespace
