#include <gtest/gtest.h>

#include <QFile>

#include "app/BrenvikDoc.h"
#include "app/RecentFileList.h"
#include "settings/Profile.h"
#include "tests/settings/TempSettings.h"

namespace {

class BrenvikDocTest : public ::testing::Test {
protected:
    TempSettings settings;
};

TEST_F(BrenvikDocTest, EmptyStoreGivesTheDefaults)
{
    CBrenvikDoc doc;
    doc.m_RFChannel = 20;
    doc.m_ActiveComPort = 9;
    EXPECT_EQ(doc.LoadFromRegistry(), 1);
    EXPECT_EQ(doc.m_ActiveComPort, 1);
    EXPECT_EQ(doc.m_RFChannel, 11);
    EXPECT_EQ(doc.m_PwKey, 0);
    EXPECT_EQ(doc.m_NetWorkID, 0);
    EXPECT_EQ(doc.m_NetName, "Olv12345");
}

TEST_F(BrenvikDocTest, NumbersAreReadLikePercentI)
{
    const std::pair<const char*, int> cases[] = {{"0x10", 16}, {"011", 9}, {"abc", 11}, {"", 11}, {"40", 40}, {"-3", -3}};
    for (const auto& [stored, expected] : cases) {
        WriteProfileString("Settings\\Ints", "m_RFChannel", stored);
        CBrenvikDoc doc;
        doc.LoadFromRegistry();
        EXPECT_EQ(doc.m_RFChannel, expected) << stored;
    }
}

TEST_F(BrenvikDocTest, NameIsLoadedUnchanged)
{
    WriteProfileString("Settings\\Strings", "m_NetName", "  A long group name ");
    CBrenvikDoc doc;
    doc.LoadFromRegistry();
    EXPECT_EQ(doc.m_NetName, "  A long group name ");
}

TEST_F(BrenvikDocTest, SaveAndLoadRoundTrip)
{
    CBrenvikDoc saved;
    saved.m_ActiveComPort = 17;
    saved.m_RFChannel = 26;
    saved.m_PwKey = 9999;
    saved.m_NetWorkID = 127;
    saved.m_NetName = "ABC     ";
    EXPECT_EQ(saved.SaveToRegistry(), 1);
    EXPECT_EQ(GetProfileString("Settings\\Ints", "m_PwKey"), "9999");

    CBrenvikDoc loaded;
    loaded.LoadFromRegistry();
    EXPECT_EQ(loaded.m_ActiveComPort, 17);
    EXPECT_EQ(loaded.m_RFChannel, 26);
    EXPECT_EQ(loaded.m_PwKey, 9999);
    EXPECT_EQ(loaded.m_NetWorkID, 127);
    EXPECT_EQ(loaded.m_NetName, "ABC     ");
}

TEST_F(BrenvikDocTest, FailedWriteStopsTheSave)
{
    CBrenvikDoc doc;
    doc.m_RFChannel = 15;
    settings.MakeUnwritable();
    EXPECT_EQ(doc.SaveToRegistry(), 0);
    settings.MakeWritable();
    EXPECT_EQ(GetProfileString("Settings\\Ints", "m_RFChannel", "none"), "none");
    EXPECT_EQ(GetProfileString("Settings\\Strings", "m_NetName", "none"), "none");
}

TEST_F(BrenvikDocTest, CloseSavesTheSettings)
{
    CBrenvikDoc doc;
    doc.m_PwKey = 4321;
    doc.OnCloseDocument();
    EXPECT_EQ(GetProfileString("Settings\\Ints", "m_PwKey"), "4321");
}

TEST_F(BrenvikDocTest, RememberedProjectPathTakesEffectOnce)
{
    CBrenvikDoc doc;
    doc.m_strProjectFilePath = "/data/layout.hex";
    EXPECT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(doc.GetPathName(), "/data/layout.hex");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(CRecentFileList::Entries(), QStringList{"/data/layout.hex"});
    // Later new-document commands only start an untitled document.
    EXPECT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(doc.GetPathName(), QString());
    EXPECT_EQ(doc.m_strProjectFilePath, "/data/layout.hex");
}

TEST_F(BrenvikDocTest, EmptyProjectPathLeavesTheDocumentUntitled)
{
    CBrenvikDoc doc;
    EXPECT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(doc.GetPathName(), QString());
    EXPECT_TRUE(CRecentFileList::Entries().isEmpty());
}

TEST_F(BrenvikDocTest, OpenOnlyRecordsThePath)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/flash.bin";
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\x01\x02\x03", 3);
    file.close();

    CBrenvikDoc doc;
    EXPECT_TRUE(doc.OnOpenDocument(path));
    EXPECT_EQ(doc.m_strProjectFilePath, path);
    EXPECT_EQ(doc.GetPathName(), path);
    EXPECT_FALSE(doc.IsModified());
    // Saving must never touch the user's file.
    EXPECT_TRUE(doc.OnSaveDocument(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("\x01\x02\x03", 3));
}

TEST_F(BrenvikDocTest, RecentFileListKeepsThreeNewestFirst)
{
    for (const char* path : {"/a.hex", "/b.hex", "/c.hex", "/d.hex"})
        EXPECT_TRUE(CRecentFileList::Add(path));
    EXPECT_EQ(CRecentFileList::Entries(), QStringList({"/d.hex", "/c.hex", "/b.hex"}));
    CRecentFileList::Add("/b.hex");
    EXPECT_EQ(CRecentFileList::Entries(), QStringList({"/b.hex", "/d.hex", "/c.hex"}));
    EXPECT_EQ(GetProfileString("Recent File List", "File1"), "/b.hex");
}

} // namespace
