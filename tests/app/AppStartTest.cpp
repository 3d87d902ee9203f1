#include <gtest/gtest.h>

#include <QApplication>
#include <QFileInfo>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>
#include <QDir>
#include <QFile>
#include <csignal>
#include <functional>
#include <sys/stat.h>

#include "app/AboutBox.h"
#include "app/BrenvikApp.h"
#include "app/BrenvikDoc.h"
#include "app/MainFrame.h"
#include "app/BrenvikView.h"
#include "app/RecentFileList.h"
#include "help/HelpViewer.h"
#include "settings/Profile.h"
#include "platform/MessageBox.h"
#include "platform/WindowText.h"
#include "res/Resource.h"
#include "serial/PortNames.h"
#include "tests/app/FakeView.h"
#include "tests/settings/TempSettings.h"
#include "tests/support/EventLoopWait.h"

namespace {

class AppStartTest : public ::testing::Test {
protected:
    TempSettings settings;
    CBrenvikApp app {&FakeView::Create};
};

TEST_F(AppStartTest, HeadlessStartShowsTheMarkedWindow)
{
    ASSERT_TRUE(app.InitInstance({}));
    CMainFrame* frame = app.MainFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->windowTitle(), "Olvarn -- Brenvik  Version 1.03");
    EXPECT_FALSE(frame->windowIcon().isNull());
    EXPECT_TRUE(frame->acceptDrops());
    const QByteArray exeName = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toUtf8();
    EXPECT_EQ(frame->property(exeName.constData()), QVariant(1));

    EXPECT_EQ(app.HelpFilePath(), QCoreApplication::applicationDirPath() + "/BrenvikHelp/index.html");
    EXPECT_TRUE(QFileInfo(app.HelpFilePath()).isFile()) << "the help pages lie beside the program";
    EXPECT_EQ(ViewOf(*frame).initialUpdates, 1);
    EXPECT_EQ(app.Document()->GetPathName(), QString());
}

TEST_F(AppStartTest, WindowTitlesGetNoApplicationNameAppended)
{
    ASSERT_TRUE(app.InitInstance({}));
    EXPECT_EQ(QCoreApplication::applicationName(), "Brenvik");
    // Desktop platforms append a display name that was set to every window
    // title; one that was never set follows the application name.
    QCoreApplication::setApplicationName("Brenvik probe");
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), "Brenvik probe");
    QCoreApplication::setApplicationName("Brenvik");
}

TEST_F(AppStartTest, PortNamesResolveThroughTheUsersPortsSection)
{
    ASSERT_TRUE(app.InitInstance({}));
    WriteProfileString("Ports", "COM3", "/tmp/brenvik-sim");
    EXPECT_EQ(ResolvePortName("\\\\.\\COM3", ProfilePortLookup()), std::optional<std::string>("/tmp/brenvik-sim"));
    EXPECT_EQ(ResolvePortName("COM9", ProfilePortLookup()), std::optional<std::string>("/dev/ttyUSB0"));
}

TEST_F(AppStartTest, HelpTopicsOpenTheShippedContentsPage)
{
    ASSERT_TRUE(app.InitInstance({}));
    app.MainFrame()->CommandAction(ID_HELP_FINDER)->trigger();
    CHelpViewer* viewer = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* found = qobject_cast<CHelpViewer*>(window); found && found->isVisible())
            viewer = found;
    }
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->Browser()->source(), QUrl::fromLocalFile(app.HelpFilePath()));
    EXPECT_TRUE(viewer->Browser()->toPlainText().contains("Getting started"));
    viewer->close();
}

// Runs the event loop as the program does, where the last window closed ends
// it, and does `act` in it; false when the loop still runs after a generous
// watchdog.
bool EndsWithTheLastWindow(const std::function<void()>& act)
{
    QApplication::setQuitOnLastWindowClosed(true);
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QApplication::exit(1); });
    watchdog.start(20000);
    QTimer::singleShot(0, act);
    const int code = QApplication::exec();
    QApplication::setQuitOnLastWindowClosed(false);
    return code == 0;
}

TEST_F(AppStartTest, AnOpenHelpWindowClosesWithTheMainWindow)
{
    const std::pair<const char*, std::function<void(CMainFrame&)>> closings[] = {
        {"Exit", [](CMainFrame& frame) { frame.CommandAction(ID_APP_EXIT)->trigger(); }},
        {"SIGTERM", [](CMainFrame&) { std::raise(SIGTERM); }},
    };
    for (const auto& [name, close] : closings) {
        CBrenvikApp shell(&FakeView::Create);
        ASSERT_TRUE(shell.InitInstance({}));
        CMainFrame& frame = *shell.MainFrame();
        frame.CommandAction(ID_HELP_FINDER)->trigger();
        const QPointer<CHelpViewer> viewer = frame.findChild<CHelpViewer*>();
        ASSERT_TRUE(viewer && viewer->isVisible()) << name;
        EXPECT_EQ(viewer->windowTitle(), "Brenvik Help");

        EXPECT_TRUE(EndsWithTheLastWindow([&frame, &close] { close(frame); }))
            << name << ": the help window kept the program running";
        EXPECT_FALSE(viewer && viewer->isVisible()) << name;
        EXPECT_FALSE(GetProfileString("WindowPos", "WindowPos").isEmpty()) << name;
    }
}

// Something at the settings path that is no file: the window says so once,
// over itself, in the words brenvik-cli uses; a file, or none, says nothing.
TEST(AppStartSettingsFile, APathThatIsNoFileIsReportedOverTheWindow)
{
    const std::pair<const char*, std::function<void(const QString&)>> cases[] = {
        {"", [](const QString&) {}},
        {"", [](const QString& path) { QFile(path).open(QIODevice::WriteOnly); }},
        {"a FIFO", [](const QString& path) { ::mkfifo(path.toLocal8Bit().constData(), 0600); }},
        {"a folder", [](const QString& path) { QDir().mkpath(path); }},
    };
    for (const auto& [kind, make] : cases) {
        SCOPED_TRACE(kind);
        TempSettings settings;
        QDir().mkpath(QFileInfo(settings.File()).path());
        make(settings.File());
        QStringList messages;
        const MessageBoxHook previous = SetMessageBoxHook(
            [&messages](QWidget*, const QString& text, MessageIcon) { messages << text; });
        CBrenvikApp app(&FakeView::Create);
        EXPECT_TRUE(app.InitInstance({}));
        SetMessageBoxHook(previous);
        if (*kind == '\0') {
            EXPECT_EQ(messages, QStringList {});
            continue;
        }
        EXPECT_EQ(messages, QStringList {QStringLiteral("The settings path %1 is %2, not a file: the settings are "
                                                        "neither read nor written.")
                                             .arg(settings.File(), kind)});
    }
}

TEST_F(AppStartTest, SettingsAreWrittenAtClose)
{
    ASSERT_TRUE(app.InitInstance({}));
    app.Document()->m_NetName = "ABC     ";
    app.MainFrame()->CommandAction(ID_APP_EXIT)->trigger();
    EXPECT_FALSE(app.MainFrame()->isVisible());
    EXPECT_FALSE(GetProfileString("WindowPos", "WindowPos").isEmpty());
    EXPECT_EQ(GetProfileString("Settings\\Strings", "m_NetName"), "ABC     ");
    EXPECT_EQ(GetProfileString("Settings\\Ints", "m_ActiveComPort"), "1");
    EXPECT_EQ(GetProfileString("FilePaths", "g_ProjectFilePath", "missing"), "");
}

TEST_F(AppStartTest, CommandLinePathIsOnlyRecorded)
{
    ASSERT_TRUE(app.InitInstance({"no-such-folder/layout.hex"}));
    const QString absolute = QFileInfo("no-such-folder/layout.hex").absoluteFilePath();
    EXPECT_EQ(app.Document()->m_strProjectFilePath, absolute);
    EXPECT_EQ(app.Document()->GetPathName(), absolute);
    EXPECT_EQ(CRecentFileList::Entries(), QStringList{absolute});
    EXPECT_FALSE(QFileInfo::exists(absolute));
}

TEST_F(AppStartTest, NewAndOpenUpdateTheViewAgainAtTheLoadedPlacement)
{
    WriteProfileString("WindowPos", "WindowPos", "0:1:-1:-1:-1:-1:20:30:420:330");
    ASSERT_TRUE(app.InitInstance({}));
    CMainFrame& frame = *app.MainFrame();
    frame.setGeometry(100, 100, 500, 350);

    EXPECT_TRUE(frame.OnCommand(ID_FILE_NEW));
    EXPECT_EQ(ViewOf(frame).initialUpdates, 2);
    EXPECT_EQ(frame.geometry(), QRect(20, 30, 400, 300));

    frame.setGeometry(100, 100, 500, 350);
    EXPECT_TRUE(app.OpenDocumentFile("/tmp/layout.bin"));
    EXPECT_EQ(ViewOf(frame).initialUpdates, 3);
    EXPECT_EQ(frame.geometry(), QRect(20, 30, 400, 300));
    EXPECT_EQ(app.Document()->m_strProjectFilePath, "/tmp/layout.bin");
    EXPECT_EQ(frame.windowTitle(), "Olvarn -- Brenvik  Version 1.03");
}

TEST_F(AppStartTest, SigtermDuringARunStillSaves)
{
    ASSERT_TRUE(app.InitInstance({"/tmp/project.hex"}));
    app.Document()->m_PwKey = 777;
    std::raise(SIGTERM);
    ASSERT_TRUE(WaitUntil([&] { return !app.MainFrame()->isVisible(); }));
    EXPECT_EQ(GetProfileString("Settings\\Ints", "m_PwKey"), "777");
    EXPECT_EQ(GetProfileString("FilePaths", "g_ProjectFilePath"), "/tmp/project.hex");
    EXPECT_FALSE(GetProfileString("WindowPos", "WindowPos").isEmpty());
}

TEST_F(AppStartTest, SigintClosesAnOpenModalDialogFirst)
{
    ASSERT_TRUE(app.InitInstance({}));
    bool aboutWasOpen = false;
    QTimer::singleShot(0, [&] {
        aboutWasOpen = qobject_cast<CAboutBox*>(QApplication::activeModalWidget()) != nullptr;
        std::raise(SIGINT);
    });
    app.OnCommand(ID_APP_ABOUT); // returns once the signal has ended the box
    EXPECT_TRUE(aboutWasOpen);
    ASSERT_TRUE(WaitUntil([&] { return !app.MainFrame()->isVisible(); }));
    EXPECT_EQ(GetProfileString("Settings\\Ints", "m_ActiveComPort"), "1");
}

TEST_F(AppStartTest, DroppedFileIsOnlyRecorded)
{
    ASSERT_TRUE(app.InitInstance({}));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/tmp/dropped.hex")});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(app.MainFrame(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(app.MainFrame(), &drop);
    EXPECT_EQ(app.Document()->m_strProjectFilePath, "/tmp/dropped.hex");
    EXPECT_EQ(ViewOf(*app.MainFrame()).initialUpdates, 2);
}

TEST_F(AppStartTest, FormViewLoadsTheSettings)
{
    WriteProfileString("Ports", "COM1", "/nonexistent/brenvik-test-COM1");
    WriteProfileString("Settings\\Ints", "m_RFChannel", "0x14");
    CBrenvikApp shell(&CBrenvikView::Create);
    ASSERT_TRUE(shell.InitInstance({}));
    EXPECT_EQ(shell.Document()->m_RFChannel, 20);
    auto* view = dynamic_cast<CBrenvikView*>(shell.MainFrame()->GetActiveView());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(GetWindowText(*GetDlgItem(*view->Form(), IDC_RF_CHANNEL)), "20");
    EXPECT_EQ(shell.MainFrame()->centralWidget(), view);
}

TEST(AboutBox, ShowsNameVersionIconAndOk)
{
    CAboutBox about;
    EXPECT_EQ(about.windowTitle(), "About Brenvik");
    EXPECT_EQ(GetWindowText(*GetDlgItem(about, IDC_VERSION_LINE)), "Brenvik Version 1.03");
    auto* ok = qobject_cast<QPushButton*>(GetDlgItem(about, 1));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_TRUE(ok->isDefault());
    const QList<QLabel*> labels = about.findChildren<QLabel*>();
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [](QLabel* l) { return !l->pixmap().isNull(); }));
    ok->click();
    EXPECT_EQ(about.result(), QDialog::Accepted);
}

TEST(OpenDialog, FilterShowsTheDocumentTypeWithQtPatterns)
{
    EXPECT_EQ(CBrenvikApp::DocumentFileFilter(), "Flash Files (*.hex,*.bin) (*.hex *.bin)");
}

} // namespace
