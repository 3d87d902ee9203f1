// What a screen reader learns of the form through Qt's accessibility
// interface, and the form's keyboard order.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QTest>
#include <utility>

#include "app/BrenvikDoc.h"
#include "app/BrenvikView.h"
#include "app/MainFrame.h"
#include "controls/ClockCtrl.h"
#include "controls/RssiCtrl.h"
#include "platform/WindowText.h"
#include "res/Resource.h"
#include "tests/settings/TempSettings.h"
#include "tests/support/EventLoopWait.h"
#include "tests/support/ProfilePorts.h"

namespace {

class FormAccessibilityTest : public ::testing::Test {
protected:
    FormAccessibilityTest()
    {
        frame.GetActiveView()->OnInitialUpdate();
        frame.show();
    }
    QWidget& Ctrl(int id) const { return *GetDlgItem(*view.Form(), id); }
    static QAccessibleInterface& Accessible(QWidget& widget)
    {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&widget);
        EXPECT_NE(iface, nullptr);
        return *iface;
    }
    QString Name(int id) const { return Accessible(Ctrl(id)).text(QAccessible::Name); }

    TempSettings settings;
    ProfilePorts ports;
    CBrenvikDoc doc;
    CMainFrame frame {doc, &CBrenvikView::Create};
    CBrenvikView& view = *dynamic_cast<CBrenvikView*>(frame.GetActiveView());
};

TEST_F(FormAccessibilityTest, EachEditHasThePlainNameOfItsSettingAndTheCaptionsStayAsDesigned)
{
    const std::pair<int, const char*> edits[] = {
        {IDC_GROUP_NAME, "Group Name"}, {IDC_GROUP_ID, "Group ID"},
        {IDC_RF_CHANNEL, "RF Channel"}, {IDC_PASSWORD_KEY, "Password Key"},
    };
    for (const auto& [id, name] : edits) {
        EXPECT_EQ(Name(id), name);
        EXPECT_EQ(Accessible(Ctrl(id)).role(), QAccessible::EditableText) << name;
    }
    EXPECT_EQ(GetWindowText(Ctrl(IDC_GROUP_NAME_LABEL)), "Group Name(8 char Max)");
    EXPECT_EQ(GetWindowText(Ctrl(IDC_PASSWORD_KEY_LABEL)), "Password Key( 0 - 9999)");
    EXPECT_EQ(GetWindowText(Ctrl(IDC_RF_CHANNEL_LABEL)), "RF Channel (11-26)");
    EXPECT_EQ(GetWindowText(Ctrl(IDC_GROUP_ID_LABEL)), "Group ID ( 0 - 127)");
    EXPECT_EQ(GetWindowText(Ctrl(IDC_GET)), "Get ");
}

TEST_F(FormAccessibilityTest, EveryShownButtonHasAName)
{
    EXPECT_EQ(Name(IDC_GET), "Get");
    EXPECT_EQ(Name(IDC_SET), "Set");
    EXPECT_EQ(Name(IDC_SCAN_BUTTON), "Start Chan Scan");
    for (QAbstractButton* button : view.Form()->findChildren<QAbstractButton*>()) {
        if (!button->isVisible())
            continue; // the monitor's hidden buttons
        EXPECT_EQ(Accessible(*button).role(), QAccessible::Button) << button->objectName().toStdString();
        EXPECT_FALSE(Accessible(*button).text(QAccessible::Name).trimmed().isEmpty()) << button->objectName().toStdString();
    }
}

TEST_F(FormAccessibilityTest, TheBarsAreAChartDescribedInWordsAndTheClockAClock)
{
    QAccessibleInterface& bars = Accessible(Ctrl(IDC_RSSI));
    EXPECT_EQ(bars.role(), QAccessible::Chart);
    EXPECT_EQ(bars.text(QAccessible::Name), "Signal levels");
    EXPECT_EQ(bars.text(QAccessible::Description), "No channel measured");
    auto& rssi = static_cast<CRssiCtrl&>(Ctrl(IDC_RSSI));
    rssi.SetLevel(12, 80);
    rssi.SetLevel(12, 21);
    rssi.SetLevel(26, 0);
    rssi.SetLevel(30, 5); // no channel: not described
    EXPECT_EQ(bars.text(QAccessible::Description),
              "channel 12: last 21, peak 80, average 50.5; channel 26: last 0, peak 0, average 0.0");

    QAccessibleInterface& clock = Accessible(Ctrl(IDC_CLOCK));
    EXPECT_EQ(clock.role(), QAccessible::StaticText);
    EXPECT_EQ(clock.text(QAccessible::Name), "Clock");
    EXPECT_EQ(clock.text(QAccessible::Description), static_cast<CClockCtrl&>(Ctrl(IDC_CLOCK)).Text().trimmed());
}

TEST_F(FormAccessibilityTest, TheStatusLinesAreNamedByTheirTextSoAChangeIsAnnounced)
{
    // A fixed accessible name would stop the label announcing its text
    // (the event itself is seen end to end through AT-SPI).
    view.OnTimer();
    for (int id : {IDC_PORT_STATUS, IDC_GET_RESULT, IDC_SCAN_NOTE})
        EXPECT_TRUE(Ctrl(id).accessibleName().isEmpty()) << id;
    EXPECT_EQ(Name(IDC_PORT_STATUS), "COM Port Closed");
    EXPECT_EQ(Accessible(Ctrl(IDC_PORT_STATUS)).text(QAccessible::Description), "Port status");
}

TEST_F(FormAccessibilityTest, TabGoesGetNameChannelKeySetScan)
{
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    Ctrl(IDC_GET).setFocus();
    ASSERT_EQ(QApplication::focusWidget(), &Ctrl(IDC_GET));
    for (int id : {IDC_GROUP_NAME, IDC_RF_CHANNEL, IDC_PASSWORD_KEY, IDC_SET, IDC_SCAN_BUTTON}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), &Ctrl(id)) << id;
    }
}

TEST_F(FormAccessibilityTest, TheViewWindowsOpenOnceAndTakeTheKeyboard)
{
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    QTest::keyClick(&frame, Qt::Key_M, Qt::ControlModifier);
    CBusMonitorWindow* monitor = view.BusMonitorWindow();
    ASSERT_NE(monitor, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(monitor));
    EXPECT_EQ(monitor->windowTitle(), "Trakbus Monitor");
    const auto keyboardIn = [](QWidget* window) {
        return WaitUntil([window] { return window->isAncestorOf(QApplication::focusWidget()); });
    };
    EXPECT_TRUE(keyboardIn(monitor));

    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    QTest::keyClick(&frame, Qt::Key_M, Qt::ControlModifier);
    EXPECT_EQ(view.BusMonitorWindow(), monitor);
    ASSERT_TRUE(keyboardIn(monitor));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(monitor->isVisible());
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    QTest::keyClick(&frame, Qt::Key_R, Qt::ControlModifier);
    ASSERT_NE(view.ScanResultsWindow(), nullptr);
    EXPECT_EQ(view.ScanResultsWindow()->windowTitle(), "Scan Results");
    EXPECT_TRUE(keyboardIn(view.ScanResultsWindow()));
}

} // namespace
