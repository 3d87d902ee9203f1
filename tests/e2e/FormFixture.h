#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/BrenvikApp.h"
#include "app/BrenvikDoc.h"
#include "app/BrenvikView.h"
#include "app/Globals.h"
#include "app/MainFrame.h"
#include "platform/MessageBox.h"
#include "platform/Profile.h"
#include "platform/WindowText.h"
#include "res/Resource.h"
#include "serial/PortNames.h"
#include "tests/platform/TempSettings.h"

// Runs the event loop until the condition holds; false after a generous
// watchdog, so a hang fails instead of blocking the suite.
inline bool WaitUntil(const std::function<bool()>& condition, int watchdogMs = 20000)
{
    QElapsedTimer watchdog;
    watchdog.start();
    // Sleeps between events; the condition is looked at every few milliseconds.
    QTimer look;
    look.start(5);
    while (!condition()) {
        if (watchdog.elapsed() > watchdogMs)
            return false;
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// The texts a control showed when it was painted, in order, without repeats.
// Texts that live only during a blocking pause are seen this way.
class PaintedTexts : public QObject {
public:
    explicit PaintedTexts(QWidget& control) : m_control(control) { control.installEventFilter(this); }
    const QStringList& Texts() const { return m_texts; }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            const QString text = GetWindowText(m_control);
            if (m_texts.isEmpty() || m_texts.back() != text)
                m_texts << text;
        }
        return false;
    }

private:
    QWidget& m_control;
    QStringList m_texts;
};

// The whole program (application, frame, form) in this process, headless,
// in settings of its own where all twenty COM numbers lead to missing paths
// until a test maps one. Message boxes are recorded, not shown.
class FormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_ProjectFilePath.clear();
        SetMessageBoxHook([this](QWidget*, const QString& text, MessageIcon) { m_messages << text; });
        for (int n = 1; n <= 20; ++n)
            MapPort(n, "/nonexistent/brenvik-e2e-COM" + std::to_string(n));
    }
    void TearDown() override
    {
        m_app.reset();
        SetMessageBoxHook({});
        SetPortLookup({});
    }

    static void MapPort(int n, const std::string& path)
    {
        WriteProfileString("Ports", QStringLiteral("COM%1").arg(n), QString::fromStdString(path));
    }

    CBrenvikView& Start()
    {
        m_app = std::make_unique<CBrenvikApp>(&CBrenvikView::Create);
        EXPECT_TRUE(m_app->InitInstance({}));
        EXPECT_TRUE(QTest::qWaitForWindowActive(m_app->MainFrame()));
        return View();
    }
    // Closes the window (which saves the settings) and ends the program.
    void Exit()
    {
        m_app->MainFrame()->close();
        m_app.reset();
    }

    CBrenvikView& View() const { return *dynamic_cast<CBrenvikView*>(m_app->MainFrame()->GetActiveView()); }
    CBrenvikDoc& Doc() const { return *m_app->Document(); }
    QWidget& Ctrl(int id) const { return *GetDlgItem(*View().Form(), id); }
    QString Text(int id) const { return GetWindowText(Ctrl(id)); }
    QStringList Settings() const
    {
        return {Text(IDC_GROUP_NAME), Text(IDC_GROUP_ID), Text(IDC_RF_CHANNEL), Text(IDC_PASSWORD_KEY)};
    }

    void Click(int id) { QTest::mouseClick(&Ctrl(id), Qt::LeftButton); }
    // Types into an edit, as the user does, and leaves it with Tab.
    void Enter(int id, const QString& text)
    {
        auto& edit = static_cast<QLineEdit&>(Ctrl(id));
        edit.setFocus();
        edit.selectAll();
        QTest::keyClicks(&edit, text);
        QTest::keyClick(&edit, Qt::Key_Tab);
    }
    // Clicks Get (then runs `afterClick`) and waits until its outcome has
    // been shown; gives the outcome texts shown.
    QStringList Get(const std::function<void()>& afterClick = {})
    {
        PaintedTexts outcome(Ctrl(IDC_GET_RESULT));
        Click(IDC_GET);
        if (afterClick)
            afterClick();
        EXPECT_TRUE(WaitUntil([&] { return View().ReplyCountdown() == 0; }));
        return outcome.Texts().filter(QRegularExpression(".+"));
    }

    TempSettings m_settings;
    std::unique_ptr<CBrenvikApp> m_app;
    QStringList m_messages;
};
