#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QSettings>
#include <QTimer>
#include <QTest>
#include <functional>
#include <memory>

#include "app/BrenvikApp.h"
#include "app/BrenvikDoc.h"
#include "app/BrenvikView.h"
#include "app/MainFrame.h"
#include "app/PortSelectionDialog.h"
#include "platform/MessageBox.h"
#include "settings/Profile.h"
#include "platform/WindowText.h"
#include "res/Resource.h"
#include "serial/PortNames.h"
#include "tests/app/FakeFormClock.h"
#include "tests/settings/TempSettings.h"
#include "tests/support/EventLoopWait.h"
#include "tests/support/ProfilePorts.h"

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

// Port Selection, which runs modally, driven from inside its own loop.
inline void WithPortDialog(const std::function<void(CPortSelectionDialog&)>& act)
{
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<CPortSelectionDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        act(*dialog);
    });
}

// The whole program (application, frame, form) in this process, headless,
// in settings of its own where all twenty COM numbers lead to missing paths
// until a test maps one. Message boxes are recorded, not shown. The form's
// timer ticks when the test says so and its pauses return at once, unless a
// test starts the program on the wall clock.
class FormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetMessageBoxHook([this](QWidget*, const QString& text, MessageIcon) { m_messages << text; });
        SetQuestionHook([this](QWidget*, const QString& question) {
            m_questions << question;
            return m_answerYes;
        });
    }
    void TearDown() override
    {
        m_app.reset();
        SetMessageBoxHook({});
        SetQuestionHook({});
    }

    static void MapPort(int n, const std::string& path) { ProfilePorts::Map(n, path); }

    enum class Timing { TickedByTest, WallClock };

    CBrenvikView& Start(Timing timing = Timing::TickedByTest)
    {
        m_clock = nullptr;
        m_app = std::make_unique<CBrenvikApp>([this, timing](CMainFrame& frame, CBrenvikDoc& doc) -> IFrameView* {
            if (timing == Timing::WallClock)
                return new CBrenvikView(frame, doc);
            auto clock = std::make_unique<FakeFormClock>();
            m_clock = clock.get();
            return new CBrenvikView(frame, doc, std::move(clock));
        });
        EXPECT_TRUE(m_app->InitInstance({}));
        EXPECT_TRUE(QTest::qWaitForWindowActive(m_app->MainFrame()));
        // Port Selection never looks at the machine's own adapters.
        View().SetIdentityRoots(m_identityRoots);
        return View();
    }
    // Closes the window (which saves the settings) and ends the program.
    void Exit()
    {
        m_app->MainFrame()->close();
        m_app.reset();
    }

    FakeFormClock& Clock() const { return *m_clock; }
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
    // Clicks Get, waits until `replyRead` holds (what the line brought has
    // been read) and then until the Get's outcome has been shown; gives the
    // outcome texts shown. The test's clock ticks only after the reply has
    // been read, so the reply window cannot close early.
    QStringList Get(const std::function<bool()>& replyRead = [] { return true; })
    {
        PaintedTexts outcome(Ctrl(IDC_GET_RESULT));
        Click(IDC_GET);
        EXPECT_TRUE(WaitUntil(replyRead));
        if (m_clock) {
            for (int tick = 0; tick < CBrenvikView::kReplyTicks && View().ReplyCountdown() != 0; ++tick)
                m_clock->Tick();
        }
        EXPECT_TRUE(WaitUntil([&] { return View().ReplyCountdown() == 0; }));
        return outcome.Texts().filter(QRegularExpression(".+"));
    }

    TempSettings m_settings;
    ProfilePorts m_ports;
    port_identity::Roots m_identityRoots {"/nonexistent/sys", "/nonexistent/by-id", "/nonexistent/proc"};
    std::unique_ptr<CBrenvikApp> m_app;
    FakeFormClock* m_clock = nullptr; // owned by the form
    QStringList m_messages;
    // Questions asked, each answered with m_answerYes.
    QStringList m_questions;
    bool m_answerYes = false;
};
