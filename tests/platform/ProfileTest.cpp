#include <gtest/gtest.h>

#include <QFile>

#include "platform/PortsLookup.h"
#include "platform/Profile.h"
#include "tests/platform/TempSettings.h"

namespace {

TEST(Profile, SectionsRoundTripAsText)
{
    TempSettings settings;
    const char* sections[] = {"Settings\\Ints", "Settings\\Strings", "FilePaths", "WindowPos", "Ports",
                              "Recent File List"};
    for (const char* section : sections) {
        EXPECT_TRUE(WriteProfileString(section, "Entry", QStringLiteral("value of %1").arg(section)));
        EXPECT_EQ(GetProfileString(section, "Entry"), QStringLiteral("value of %1").arg(section));
    }
    // Text that looks like other types stays text.
    EXPECT_TRUE(WriteProfileString("Settings\\Strings", "m_NetName", "@Variant(x) 0x10, "));
    EXPECT_EQ(GetProfileString("Settings\\Strings", "m_NetName"), "@Variant(x) 0x10, ");
}

TEST(Profile, BackslashSectionIsANestedGroup)
{
    TempSettings settings;
    ASSERT_TRUE(WriteProfileString("Settings\\Ints", "m_RFChannel", "12"));
    QSettings raw(settings.File(), QSettings::IniFormat);
    EXPECT_EQ(raw.value("Settings/Ints/m_RFChannel").toString(), "12");
    EXPECT_EQ(ProfileGroup("Settings\\Ints"), "Settings/Ints");
}

TEST(Profile, MissingEntryGivesTheDefault)
{
    TempSettings settings;
    EXPECT_EQ(GetProfileString("FilePaths", "g_ProjectFilePath"), QString());
    EXPECT_EQ(GetProfileString("Settings\\Strings", "m_NetName", "Olv12345"), "Olv12345");
    ASSERT_TRUE(WriteProfileString("FilePaths", "g_ProjectFilePath", ""));
    EXPECT_EQ(GetProfileString("FilePaths", "g_ProjectFilePath", "default"), QString());
}

TEST(Profile, FailedWriteIsReported)
{
    TempSettings settings;
    settings.MakeUnwritable();
    EXPECT_FALSE(WriteProfileString("Settings\\Ints", "m_RFChannel", "12"));
    settings.MakeWritable();
    EXPECT_EQ(GetProfileString("Settings\\Ints", "m_RFChannel", "none"), "none");
}

TEST(Profile, ReadOnlyFileIsReported)
{
    TempSettings settings;
    ASSERT_TRUE(WriteProfileString("FilePaths", "g_ProjectFilePath", "/a"));
    // A folder where the file should be cannot be replaced by the atomic write.
    QFile::remove(settings.File());
    ASSERT_TRUE(QDir().mkpath(settings.File()));
    EXPECT_FALSE(WriteProfileString("FilePaths", "g_ProjectFilePath", "/b"));
}

TEST(Profile, PortsLookupReadsTheUsersMapping)
{
    TempSettings settings;
    const auto lookup = ProfilePortLookup();
    EXPECT_EQ(lookup(3), std::nullopt);
    ASSERT_TRUE(WriteProfileString("Ports", "COM3", "/dev/pts/7"));
    ASSERT_TRUE(WriteProfileString("Ports", "COM4", "  "));
    EXPECT_EQ(lookup(3), std::optional<std::string>("/dev/pts/7"));
    EXPECT_EQ(lookup(4), std::nullopt);
}

} // namespace
