// What every settings store keeps, and how the schema's values read from it.

#include "tests/settings/StoreContract.h"

#include "settings/LinesStore.h"
#include "settings/PortsLookup.h"
#include "settings/StoredValues.h"

namespace {

using namespace settings;

TEST_P(StoreContract, TextComesBackAsItWasWritten)
{
    struct Case {
        std::string_view section, name, text;
    };
    const Case cases[] = {
        {kIntsSection, "m_RFChannel", "12"},
        {kStringsSection, "m_NetName", "  A long group name "},
        {kStringsSection, "m_NetName", ""},
        {kStringsSection, "m_NetName", "@Variant(x) 0x10, "}, // looks like one of QSettings' typed values
        {kStringsSection, "m_NetName", "@@twice"},
        {kStringsSection, "m_NetName", "Gr\xC3\xBCn \xE2\x9C\x93"},
        {kPortsSection, "COM3", "/dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0"},
        {kPortsSection, "COM4", "rfc2217://127.0.0.1:7000"},
        {kLinesSection, "COM1", "57600 rtscts"},
        {kRecentFilesSection, "File1", "C:\\Layouts\\home.hex"},
        {"FilePaths", "g_ProjectFilePath", "/home/user/layout.bin"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(Store().Write(c.section, c.name, c.text)) << c.text;
        EXPECT_EQ(Store().Read(c.section, c.name), std::string(c.text)) << c.section << '/' << c.name;
    }
}

TEST_P(StoreContract, MissingAndRemovedValuesReadAsNothing)
{
    EXPECT_EQ(Store().Read(kIntsSection, "m_PwKey"), std::nullopt);
    EXPECT_TRUE(Store().Remove(kIntsSection, "m_PwKey")) << "removing what is not there";
    ASSERT_TRUE(Store().Write(kIntsSection, "m_PwKey", "17"));
    ASSERT_TRUE(Store().Write(kIntsSection, "m_RFChannel", "12"));
    EXPECT_TRUE(Store().Remove(kIntsSection, "m_PwKey"));
    EXPECT_EQ(Store().Read(kIntsSection, "m_PwKey"), std::nullopt);
    EXPECT_EQ(Store().Read(kIntsSection, "m_RFChannel"), "12") << "its neighbour stays";
}

TEST_P(StoreContract, SectionsNestAndABackslashIsASlash)
{
    ASSERT_TRUE(Store().Write("Settings\\Ints", "m_NetWorkID", "5"));
    EXPECT_EQ(Store().Read("Settings/Ints", "m_NetWorkID"), "5");
    EXPECT_EQ(Store().Read("Settings/Strings", "m_NetWorkID"), std::nullopt);
    EXPECT_EQ(Store().Read("Settings", "m_NetWorkID"), std::nullopt);
}

TEST_P(StoreContract, NumbersReadLikePercentIWithTheSchemasFallbacks)
{
    EXPECT_EQ(ReadStoredInt(Store(), kRFChannel), std::nullopt);
    EXPECT_EQ(ReadInt(Store(), kRFChannel), 11);
    EXPECT_EQ(ReadInt(Store(), kActiveComPort), 1);
    EXPECT_EQ(ReadText(Store(), kNetName), "Olv12345");
    const std::pair<const char*, int> cases[] = {{"0x10", 16}, {"011", 9}, {"abc", 11}, {"", 11}, {"40", 40}, {"-3", -3}};
    for (const auto& [stored, expected] : cases) {
        ASSERT_TRUE(Store().Write(kRFChannel.section, kRFChannel.name, stored));
        EXPECT_EQ(ReadStoredInt(Store(), kRFChannel), expected) << stored;
    }
    ASSERT_TRUE(WriteInt(Store(), kPwKey, -9999));
    EXPECT_EQ(Store().Read(kIntsSection, "m_PwKey"), "-9999");
}

TEST_P(StoreContract, PortsAndLinesAreFoundByComNumber)
{
    const auto ports = PortsLookupOf(m_place->Store());
    const auto lines = LinesLookupOf(m_place->Store());
    ASSERT_TRUE(StorePortPath(Store(), 3, " rfc2217://127.0.0.1:7000 "));
    ASSERT_TRUE(StorePortPath(Store(), 4, "  "));
    ASSERT_TRUE(StoreLine(Store(), 3, busport::kUsbInterfaceLine));
    EXPECT_EQ(ports(3), "rfc2217://127.0.0.1:7000");
    EXPECT_EQ(ports(4), std::nullopt) << "a blank entry maps nothing";
    EXPECT_EQ(ports(5), std::nullopt);
    EXPECT_EQ(lines(3).settings, busport::kUsbInterfaceLine);
    EXPECT_EQ(lines(4).settings, busport::LineSettings {});
    ASSERT_TRUE(Store().Write(kLinesSection, "COM4", "fast"));
    EXPECT_TRUE(lines(4).warning.starts_with("Lines/COM4 = \"fast\" is ignored")) << lines(4).warning;
}

TEST_P(StoreContract, AFailedWriteIsReported)
{
    if (!m_place->MakeUnwritable())
        GTEST_SKIP() << "this store cannot be made unwritable here";
    EXPECT_FALSE(Store().Write(kIntsSection, "m_RFChannel", "12"));
    EXPECT_FALSE(WriteInt(Store(), kPwKey, 1));
}

} // namespace
