// The store through QSettings (the window everywhere, brenvik-cli on Linux)
// and the window's profile functions over it.

#include "tests/settings/StoreContract.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

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

// The window goes through the same store: it never opens a settings path
// that is no regular file (a FIFO would hold it for good), and every file
// it writes is the user's alone, a new one from its first byte.
TEST(QtSettingsStore, KeepsTheFilePrivateAndOpensNothingButARegularFile)
{
    namespace fs = std::filesystem;
    struct Case {
        const char* name;
        int (*make)(const char* path); // leaves something at the path
        bool regular;
    };
    const Case cases[] = {
        {"none", [](const char*) { return 0; }, true},
        {"open to others", [](const char* p) { return ::close(::creat(p, 0644)); }, true},
        {"fifo", [](const char* p) { return ::mkfifo(p, 0600); }, false},
        {"folder", [](const char* p) { return ::mkdir(p, 0700); }, false},
        {"link to a fifo", [](const char* p) { return ::mkfifo((std::string(p) + ".fifo").c_str(), 0600)
                                                      | ::symlink((std::string(p) + ".fifo").c_str(), p); }, false},
    };
    for (const Case& c : cases) {
        TempSettings settings;
        const std::string file = settings.File().toStdString();
        fs::create_directories(fs::path(file).parent_path());
        ::umask(022);
        ASSERT_EQ(c.make(file.c_str()), 0) << c.name;
        EXPECT_EQ(settings::CQtSettingsStore::FilePath(), file);
        EXPECT_EQ(WriteProfileString("Settings\\Ints", "m_PasswordKey", "1234"), c.regular) << c.name;
        EXPECT_EQ(GetProfileString("Settings\\Ints", "m_PasswordKey"), c.regular ? "1234" : QString()) << c.name;
        EXPECT_EQ(RemoveProfileEntry("Settings\\Ints", "m_PasswordKey"), c.regular) << c.name;
        if (c.regular)
            EXPECT_EQ(fs::status(file).permissions(), fs::perms(0600)) << c.name;
    }
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
