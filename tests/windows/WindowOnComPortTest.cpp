// The whole program in this process on Windows (under Wine), on the wall
// clock, against brenvik-sim on a real COM port: BRENVIK_TEST_COM names it
// (COM5: the simulator's pseudo-terminal at 57600 baud, a rate Wine can set
// on one, stored as the port's "Lines" entry), BRENVIK_TEST_SIM the
// simulator's starting settings as the form shows them, "NAME,ID,CHANNEL,KEY".
// scripts/test-windows checks what the simulator was sent, and the registry
// after the close. A second simulator serves as a network interface:
// BRENVIK_TEST_URL is its URL, BRENVIK_TEST_URL_SIM its settings.

#include "tests/e2e/FormFixture.h"

#include <QComboBox>

#include "busport/LineSettingsText.h"
#include "platform/WindowStyles.h"

namespace {

QString Environment(const char* name)
{
    const QString value = qEnvironmentVariable(name);
    if (value.isEmpty())
        ADD_FAILURE() << name << " is not set (scripts/test-windows sets it)";
    return value;
}

// A COM number whose "Ports" entry is a network interface, picked in Port
// Setup: the window names the port by its COM number and the interface by
// its URL. It sends nothing on BRENVIK_TEST_COM, whose conversation the
// runner checks, and runs before the case whose close stores what the
// runner reads from the registry.
TEST_F(FormTest, GetThroughANetworkInterfaceOnACOMNumber)
{
    const QString url = Environment("BRENVIK_TEST_URL");
    constexpr int number = 3;
    MapPort(number, url.toStdString());
    Start(Timing::WallClock);
    QStringList items, tips;
    WithPortDialog([&](CPortSelectionDialog& dialog) {
        QComboBox& combo = *dialog.m_portCombo;
        for (int i = 0; i < combo.count(); ++i) {
            items << combo.itemText(i);
            tips << combo.itemData(i, Qt::ToolTipRole).toString();
        }
        QTest::keyClick(&combo, Qt::Key_Down);
        QTest::mouseClick(GetDlgItem(dialog, IDOK), Qt::LeftButton);
    });
    m_app->MainFrame()->OnCommand(ID_PORT_SETUP);
    EXPECT_EQ(items, QStringList {QStringLiteral("COM%1").arg(number)});
    EXPECT_EQ(tips, QStringList {url});
    EXPECT_EQ(Doc().m_ActiveComPort, number);
    const QString open = QStringLiteral("COM Port %1 Open").arg(number);
    EXPECT_TRUE(WaitUntil([&] { return Text(IDC_PORT_STATUS) == open; })) << Text(IDC_PORT_STATUS).toStdString();
    EXPECT_EQ(Ctrl(IDC_PORT_STATUS).toolTip(),
              url + ", " + QString::fromStdString(busport::LineSettingsText(busport::LineSettings {})));

    EXPECT_EQ(Get(), QStringList {"Got Settings Ok"});
    EXPECT_EQ(Settings(), Environment("BRENVIK_TEST_URL_SIM").split(','));
}

// One run, in the order a user goes: the simulator's log is checked against
// it afterwards, message by message.
TEST_F(FormTest, GetSetScanAndCloseOnAComPort)
{
    const QString port = Environment("BRENVIK_TEST_COM");
    const int number = port.mid(3).toInt();
    ASSERT_GT(number, 0);
    // The system's own port, at the rate its "Lines" entry gives, chosen as a user would.
    MapPort(number, "\\\\.\\" + port.toStdString());
    WriteProfileString("Lines", port, "57600");
    WriteProfileString("Settings/Ints", "m_ActiveComPort", QString::number(number));
    Start(Timing::WallClock);
    // The status line is shown at the timer's first tick.
    const QString open = QStringLiteral("COM Port %1 Open").arg(number);
    EXPECT_TRUE(WaitUntil([&] { return Text(IDC_PORT_STATUS) == open; })) << Text(IDC_PORT_STATUS).toStdString();
    // Named as Windows users know it, not by its device path.
    EXPECT_EQ(Ctrl(IDC_PORT_STATUS).toolTip(), port + ", 57600 baud");

    EXPECT_EQ(Get(), QStringList {"Got Settings Ok"});
    EXPECT_EQ(Settings(), Environment("BRENVIK_TEST_SIM").split(','));

    Enter(IDC_GROUP_NAME, "WINE2");
    Enter(IDC_RF_CHANNEL, "17");
    Enter(IDC_PASSWORD_KEY, "4321");
    Click(IDC_SET);
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join('\n').toStdString();
    const QString groupId = Text(IDC_GROUP_ID);
    EXPECT_EQ(Get(), QStringList {"Got Settings Ok"});
    EXPECT_EQ(Settings(), (QStringList {"WINE2", groupId, "17", "4321"}));

    // A short scan: level replies counted, then stopped by the same button.
    Click(IDC_SCAN_BUTTON);
    EXPECT_EQ(View().TimerPeriod(), CBrenvikView::kScanPeriodMs);
    EXPECT_TRUE(WaitUntil([&] { return View().ScanResults().TotalSamples() >= 3; }));
    Click(IDC_SCAN_BUTTON);
    EXPECT_EQ(View().TimerPeriod(), CBrenvikView::kAfterScanPeriodMs);

    // Closing the window stores the settings where the program reads them.
    Exit();
    EXPECT_EQ(GetProfileString("Settings/Strings", "m_NetName"), "WINE2");
    EXPECT_EQ(GetProfileString("Settings/Ints", "m_RFChannel"), "17");
    EXPECT_FALSE(GetProfileString("WindowPos", "WindowPos").isEmpty());
}

} // namespace
