#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>
#include <memory>

#include "help/BuiltInHelpControl.h"
#include "platform/MessageBox.h"

namespace {

const QString kPages = QStringLiteral(BRENVIK_HELP_PAGES);

class BuiltInHelpTest : public ::testing::Test {
protected:
    BuiltInHelpTest()
    {
        m_previous = SetMessageBoxHook([this](QWidget*, const QString& text, MessageIcon) { messages << text; });
    }
    ~BuiltInHelpTest() override { SetMessageBoxHook(m_previous); }

    CBuiltInHelpControl control;
    CHtmlHelpLoader loader {control};
    QStringList messages;

private:
    MessageBoxHook m_previous;
};

TEST_F(BuiltInHelpTest, ShowsTheContentsPageInOneViewer)
{
    QWidget* first = loader.CallHtmlHelp(nullptr, kPages + "/index.html", HH_DISPLAY_TOPIC, 0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, control.Viewer());
    EXPECT_TRUE(first->isVisible());
    EXPECT_FALSE(control.Viewer()->Browser()->toPlainText().isEmpty());
    EXPECT_EQ(loader.CallHtmlHelp(nullptr, kPages + "/index.html", HH_DISPLAY_TOPIC, 0), first);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(BuiltInHelpTest, TheViewerIsAWindowOwnedByTheAskingWindow)
{
    auto frame = std::make_unique<QWidget>();
    auto* button = new QWidget(frame.get());
    QWidget* viewer = loader.CallHtmlHelp(button, kPages + "/index.html", HH_DISPLAY_TOPIC, 0);
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isWindow());
    EXPECT_EQ(viewer->parentWidget(), frame.get());
    frame.reset();
    EXPECT_EQ(control.Viewer(), nullptr);
}

TEST_F(BuiltInHelpTest, MissingHelpFileSaysSo)
{
    const QString missing = "/nonexistent/BrenvikHelp/index.html";
    EXPECT_EQ(loader.CallHtmlHelp(nullptr, missing, HH_DISPLAY_TOPIC, 0), nullptr);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(missing));
    EXPECT_EQ(control.Viewer(), nullptr);
}

TEST_F(BuiltInHelpTest, OnlyTheNamedEntryExists)
{
    QString path;
    EXPECT_FALSE(control.FindHelpControlPath(path));
    EXPECT_FALSE(control.LoadControl("/usr/lib/other.so"));
    EXPECT_FALSE(control.ResolveEntry(13));
    EXPECT_TRUE(control.ResolveEntry(kHtmlHelpEntryOrdinal));
}

TEST(HelpViewer, TheTitleNamesTheHelpOnceAndThenThePage)
{
    CHelpViewer viewer;
    viewer.ShowFile(kPages + "/index.html");
    EXPECT_EQ(viewer.windowTitle(), "Brenvik Help");
    viewer.ShowFile(kPages + "/troubleshooting.html");
    EXPECT_EQ(viewer.windowTitle(), "Brenvik Help - Troubleshooting");
}

TEST(HelpViewer, BackForwardAndSearch)
{
    CHelpViewer viewer;
    viewer.ShowFile(kPages + "/index.html");
    QTextBrowser* browser = viewer.Browser();
    const QUrl contents = browser->source();
    browser->setSource(QUrl::fromLocalFile(kPages + "/troubleshooting.html"));
    EXPECT_TRUE(browser->isBackwardAvailable());
    browser->backward();
    EXPECT_EQ(browser->source(), contents);
    EXPECT_TRUE(browser->isForwardAvailable());
    browser->forward();
    EXPECT_TRUE(browser->source().toString().endsWith("troubleshooting.html"));

    viewer.SearchField()->setText("dialout");
    EXPECT_TRUE(viewer.FindNext());
    EXPECT_EQ(browser->textCursor().selectedText(), "dialout");
    // Searching on wraps around to the first match again.
    for (int i = 0; i < 20; ++i)
        EXPECT_TRUE(viewer.FindNext());
    viewer.SearchField()->setText("no such words anywhere");
    EXPECT_FALSE(viewer.FindNext());
}

TEST(HelpViewer, EscapeAndCtrlWCloseIt)
{
    for (const QKeySequence& keys : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        CHelpViewer viewer;
        viewer.ShowFile(kPages + "/index.html");
        viewer.show();
        viewer.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&viewer));
        QTest::keySequence(viewer.Browser(), keys);
        EXPECT_FALSE(viewer.isVisible()) << keys.toString().toStdString();
    }
}

} // namespace
