// The store through QSettings (the window everywhere, brenvik-cli on Linux)
// and the window's profile functions over it.

#include "tests/settings/StoreContract.h"

#include <QFile>

#include "settings/Profile.h"
#include "settings/QtSettingsStore.h"
#include "tests/settings/TempSettings.h"

namespace {

class QtStoreInTempFolder : public StoreUnderTest {
public:
    std::shared_ptr<settings::ISettingsStore> Store() override { return m_store; }
    bool MakeUnwritable() override
    {
        m_settings.MakeUnwritable();
        return true;
    }

private:
    TempSettings m_settings;
    std::shared_ptr<settings::ISettingsStore> m_store = std::make_shared<settings::CQtSettingsStore>();
};

INSTANTIATE_TEST_SUITE_P(Qt, StoreContract,
                         ::testing::Values([] { return std::make_unique<QtStoreInTempFolder>(); }), StoreName("QSettings"));

TEST(QtSettingsStore, SectionsNestInTheFileAsQSettingsWritesThem)
{
    TempSettings settings;
    ASSERT_TRUE(WriteProfileString("Settings\\Ints", "m_RFChannel", "12"));
    ASSERT_TRUE(WriteProfileString("Settings/Strings", "m_NetName", "@Variant(x)"));
    QSettings raw(settings.File(), QSettings::IniFormat);
    EXPECT_EQ(raw.value("Settings/Ints/m_RFChannel").toString(), "12");
    EXPECT_EQ(raw.value("Settings/Strings/m_NetName").toString(), "@Variant(x)");
    EXPECT_EQ(raw.childGroups(), QStringList {"Settings"});
}

TEST(QtSettingsStore, AFileThatCannotBeReplacedIsReported)
{
    TempSettings settings;
    ASSERT_TRUE(WriteProfileString("FilePaths", "g_ProjectFilePath", "/a"));
    // A folder where the file should be cannot be replaced by the atomic write.
    QFile::remove(settings.File());
    ASSERT_TRUE(QDir().mkpath(settings.File()));
    EXPECT_FALSE(WriteProfileString("FilePaths", "g_ProjectFilePath", "/b"));
}

TEST(Profile, MissingEntryGivesTheDefaultAndAnEmptyOneStaysEmpty)
{
    TempSettings settings;
    EXPECT_TRUE(GetProfileString("FilePaths", "g_ProjectFilePath").isNull());
    EXPECT_EQ(GetProfileString("Settings\\Strings", "m_NetName", "Olv12345"), "Olv12345");
    EXPECT_EQ(GetProfileText(settings::kNetName), "Olv12345");
    ASSERT_TRUE(WriteProfileText(settings::kProjectFilePath, ""));
    EXPECT_EQ(GetProfileString("FilePaths", "g_ProjectFilePath", "default"), QString());
}

} // namespace
