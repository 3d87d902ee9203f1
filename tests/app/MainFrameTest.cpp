#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTemporaryDir>

#include "app/BrenvikDoc.h"
#include "app/MainFrame.h"
#include "help/HtmlHelpLoader.h"
#include "settings/Profile.h"
#include "res/Resource.h"
#include "tests/app/FakeView.h"
#include "tests/settings/TempSettings.h"

namespace {

class MainFrameTest : public ::testing::Test {
protected:
    // Creates the frame as start-up does: creation, the view's initial
    // update, activation.
    CMainFrame& Start()
    {
        frame = std::make_unique<CMainFrame>(doc, &FakeView::Create);
        frame->GetActiveView()->OnInitialUpdate();
        frame->ActivateFrame(-1);
        return *frame;
    }
    void Close()
    {
        frame->close();
        frame.reset();
    }
    bool OnTop() const { return frame->windowFlags().testFlag(Qt::WindowStaysOnTopHint); }
    bool Checked() const
    {
        frame->OnUpdateStayOnTop();
        return frame->CommandAction(ID_STAY_ON_TOP)->isChecked();
    }
    QString StoredPlacement() const { return GetProfileString("WindowPos", "WindowPos"); }

    TempSettings settings;
    CBrenvikDoc doc;
    std::unique_ptr<CMainFrame> frame;
};

TEST_F(MainFrameTest, TitleMenusAndCommandNumbers)
{
    Start();
    EXPECT_EQ(frame->windowTitle(), "Olvarn -- Brenvik  Version 1.03");

    QStringList bar;
    QList<QList<int>> commands;
    for (QAction* entry : frame->menuBar()->actions()) {
        bar << entry->text();
        QList<int> numbers;
        if (entry->menu()) {
            for (QAction* item : entry->menu()->actions())
                numbers << (item->isSeparator() ? 0 : item->data().toInt());
        } else {
            numbers << entry->data().toInt();
        }
        commands << numbers;
    }
    EXPECT_EQ(bar, QStringList({"&File", "&View", "&PortSetup", "&Help"}));
    EXPECT_EQ(commands, (QList<QList<int>>{{32771, 0, 57665}, {ID_VIEW_BUS_MONITOR, ID_VIEW_SCAN_RESULTS}, {32773},
                                           {57667, 57664}}));
    EXPECT_EQ(frame->CommandAction(ID_VIEW_BUS_MONITOR)->text(), "Trakbus &Monitor");
    EXPECT_EQ(frame->CommandAction(ID_VIEW_SCAN_RESULTS)->text(), "Scan &Results");
    EXPECT_EQ(frame->CommandAction(32771)->text(), "Stay On Top");
    EXPECT_EQ(frame->CommandAction(57665)->text(), "E&xit");
    EXPECT_EQ(frame->CommandAction(57667)->text(), "&Help Topics");
    EXPECT_EQ(frame->CommandAction(57664)->text(), "&About Brenvik...");
}

TEST_F(MainFrameTest, StandardAccelerators)
{
    Start();
    const std::pair<const char*, int> keys[] = {
        {"Ctrl+N", 57600}, {"Ctrl+O", 57601}, {"Ctrl+S", 57603}, {"Ctrl+Z", 57643}, {"Alt+Backspace", 57643},
        {"Ctrl+X", 57635}, {"Shift+Del", 57635}, {"Ctrl+C", 57634}, {"Ctrl+Ins", 57634}, {"Ctrl+V", 57637},
        {"Shift+Ins", 57637}, {"F6", 57680}, {"Shift+F6", 57681}, {"F1", 57670},
        {"Ctrl+M", ID_VIEW_BUS_MONITOR}, {"Ctrl+R", ID_VIEW_SCAN_RESULTS},
    };
    for (const auto& [key, command] : keys) {
        QAction* action = frame->CommandAction(command);
        ASSERT_NE(action, nullptr) << key;
        EXPECT_TRUE(action->shortcuts().contains(QKeySequence(key))) << key;
    }
}

TEST_F(MainFrameTest, ViewCommandsGoToTheView)
{
    Start();
    frame->CommandAction(ID_VIEW_BUS_MONITOR)->trigger();
    frame->CommandAction(ID_VIEW_SCAN_RESULTS)->trigger();
    frame->CommandAction(ID_VIEW_SCAN_RESULTS)->trigger();
    EXPECT_EQ(ViewOf(*frame).busMonitors, 1);
    EXPECT_EQ(ViewOf(*frame).scanResults, 2);
}

TEST_F(MainFrameTest, SaveNeverTouchesTheRecordedFile)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/layout.hex";
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(":00000001FF\n");
    file.close();
    Start();
    doc.OnOpenDocument(path);
    EXPECT_TRUE(frame->OnCommand(ID_FILE_SAVE));
    frame->CommandAction(ID_FILE_SAVE)->trigger();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), ":00000001FF\n");
}

TEST_F(MainFrameTest, HexStayOnTopFlagIsRead)
{
    WriteProfileString("WindowPos", "WindowPos", "0x8000:1:-1:-1:-1:-1:10:20:410:320");
    Start();
    EXPECT_TRUE(frame->m_bStayOnTop);
    EXPECT_EQ(frame->m_wpSaved.flags, 0);
    EXPECT_TRUE(OnTop());
    EXPECT_TRUE(Checked());
    EXPECT_EQ(frame->geometry(), QRect(10, 20, 400, 300));
}

TEST_F(MainFrameTest, DecimalStayOnTopFlagGivesRestoredFlagsZero)
{
    WriteProfileString("WindowPos", "WindowPos", "32768:1:-1:-1:-1:-1:10:20:410:320");
    Start();
    EXPECT_TRUE(OnTop());
    EXPECT_EQ(frame->m_wpSaved.flags, 0);
    EXPECT_EQ(frame->m_wpSaved.length, WindowPlacement::kStoredLength);
}

TEST_F(MainFrameTest, NineNumbersAreIgnoredEntirely)
{
    for (const char* stored : {"32768:1:-1:-1:-1:-1:10:20:410", "garbage", ""}) {
        WriteProfileString("WindowPos", "WindowPos", stored);
        Start();
        EXPECT_EQ(frame->m_wpSaved.length, 0) << stored;
        EXPECT_FALSE(frame->m_bStayOnTop) << stored;
        EXPECT_FALSE(OnTop()) << stored;
        Close();
    }
}

TEST_F(MainFrameTest, MaximizedAndOnTopRoundTrip)
{
    Start();
    frame->OnStayOnTop();
    frame->showMaximized();
    Close();
    WindowPlacement stored;
    ASSERT_TRUE(ParsePlacement(StoredPlacement(), stored));
    EXPECT_EQ(stored.flags & 0x8002, 0x8002);
    EXPECT_EQ(stored.showCmd, SW_SHOWMAXIMIZED);

    Start();
    EXPECT_TRUE(frame->isMaximized());
    EXPECT_TRUE(OnTop());
    EXPECT_TRUE(Checked());
}

TEST_F(MainFrameTest, MinimizedStateIsStoredAndPassedToActivation)
{
    Start();
    frame->setGeometry(30, 40, 300, 200);
    frame->showMinimized();
    Close();
    WindowPlacement stored;
    ASSERT_TRUE(ParsePlacement(StoredPlacement(), stored));
    EXPECT_EQ(stored.showCmd, SW_SHOWMINIMIZED);
    EXPECT_EQ(stored.left, 30);
    EXPECT_EQ(stored.right, 330);

    Start();
    EXPECT_EQ(frame->LastShowCommand(), SW_SHOWMINIMIZED);
    EXPECT_TRUE(frame->isMinimized());
}

TEST_F(MainFrameTest, OffScreenPlacementMovesOntoThePrimaryScreen)
{
    WriteProfileString("WindowPos", "WindowPos", "0:1:-1:-1:-1:-1:5000:4000:5400:4300");
    Start();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(area.intersects(frame->geometry())) << frame->geometry().x() << "," << frame->geometry().y();
    EXPECT_EQ(frame->geometry().size(), QSize(400, 300));

    // A placement partly on the screen stays where it was.
    Close();
    WriteProfileString("WindowPos", "WindowPos", "0:1:-1:-1:-1:-1:-100:-50:300:250");
    Start();
    EXPECT_EQ(frame->geometry().topLeft(), QPoint(-100, -50));
}

TEST_F(MainFrameTest, StoredHiddenStateStillShowsTheWindow)
{
    WriteProfileString("WindowPos", "WindowPos", "0:0:-1:-1:-1:-1:10:20:410:320");
    Start();
    EXPECT_EQ(frame->LastShowCommand(), SW_HIDE);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_FALSE(frame->isMinimized());
}

TEST_F(MainFrameTest, TogglingTwiceLeavesTheWindowNormal)
{
    Start();
    frame->CommandAction(ID_STAY_ON_TOP)->trigger();
    EXPECT_TRUE(OnTop());
    EXPECT_TRUE(Checked());
    EXPECT_TRUE(frame->isVisible());
    frame->CommandAction(ID_STAY_ON_TOP)->trigger();
    EXPECT_FALSE(OnTop());
    EXPECT_FALSE(Checked());
}

TEST_F(MainFrameTest, CloseWritesPathPlacementAndSettings)
{
    Start();
    doc.m_strProjectFilePath = "/home/user/layout.bin";
    doc.m_RFChannel = 22;
    Close();
    EXPECT_EQ(GetProfileString("FilePaths", "g_ProjectFilePath"), "/home/user/layout.bin");
    EXPECT_FALSE(StoredPlacement().isEmpty());
    EXPECT_EQ(GetProfileString("Settings\\Ints", "m_RFChannel"), "22");

    doc.m_strProjectFilePath.clear();
    Start();
    EXPECT_EQ(doc.m_strProjectFilePath, "/home/user/layout.bin");
}

TEST_F(MainFrameTest, PortSetupGoesToTheView)
{
    Start();
    frame->CommandAction(ID_PORT_SETUP)->trigger();
    EXPECT_EQ(ViewOf(*frame).portSetups, 1);
}

// Records every call of the help control's entry.
class RecordingHelpSource : public IHelpControlSource {
public:
    bool FindHelpControlPath(QString&) override { return false; }
    bool LoadControl(const QString&) override { return true; }
    HtmlHelpEntry ResolveEntry(int) override
    {
        return [this](QWidget*, const QString& file, unsigned command, quintptr data) {
            calls << QStringLiteral("%1|%2|%3").arg(file).arg(command).arg(data);
            return nullptr;
        };
    }
    QStringList calls;
};

TEST_F(MainFrameTest, HelpTopicsShowTheDefaultTopic)
{
    RecordingHelpSource source;
    CHtmlHelpLoader loader(source);
    Start();
    frame->SetHelpLoader(loader);
    frame->SetHelpFilePath("/opt/brenvik/BrenvikHelp/index.html");
    frame->CommandAction(ID_HELP_FINDER)->trigger();
    frame->OnCommand(ID_DEFAULT_HELP);
    frame->CommandAction(ID_HELP)->trigger();
    EXPECT_EQ(source.calls, QStringList(3, "/opt/brenvik/BrenvikHelp/index.html|0|0"));
}

} // namespace
