// The window's Get through a real ser2net on the loopback, and what the
// status line shows when the network interface fails.

#include "tests/e2e/FormFixture.h"

#include <QComboBox>
#include <QTimer>

#include "app/PortSelectionDialog.h"
#include "busport/LineSettingsText.h"
#include "platform/WindowStyles.h"
#include "serial/SerialLine.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/Ser2Net.h"
#include "tests/support/SimOnPty.h"

namespace {

class FormNetworkTest : public FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        if (!Ser2Net::Installed())
            GTEST_SKIP() << "ser2net is not installed (scripts/install-deps test)";
        sim::SimOptions options = SimOnPty::Fast();
        options.settings = {"Loft", 808, 24, 9};
        options.line.baud = 16457;  // only the window's negotiation brings the line there
        m_sim = std::make_unique<SimOnPty>(options);
        m_server = std::make_unique<Ser2Net>(m_sim->Path());
    }
    void TearDown() override
    {
        FormTest::TearDown();
        m_server.reset();
        m_sim.reset();
    }

    // Opens COM1 mapped to the URL and gets the settings through it.
    void OpenAndGet(const std::string& url)
    {
        MapPort(1, url);
        Start();
        Clock().Tick();
        EXPECT_EQ(Text(IDC_PORT_STATUS), "COM Port 1 Open");
        EXPECT_EQ(Get([&] { return Text(IDC_GROUP_NAME) == "Loft"; }), QStringList {"Got Settings Ok"});
        EXPECT_EQ(Settings(), (QStringList {"Loft", "9", "24", "808"}));
    }

    std::unique_ptr<SimOnPty> m_sim;
    std::unique_ptr<Ser2Net> m_server;
};

// A server that ends the connection: a lost connection (not an unplugged
// device), no device watch, and the window connects again after 1, 2, 4 ...
// 30 s until the server is back. One that turns it away as busy is left to
// the user.
TEST_F(FormNetworkTest, AServerThatEndsTheConnectionIsConnectedToAgainUntilBackButNotWhenBusy)
{
    const std::string url = m_server->Rfc2217Url();
    const QString tip = QString::fromStdString(url) + ": ";
    OpenAndGet(url);
    m_server->Stop();
    ASSERT_TRUE(WaitUntil([&] { return !View().SerialPort().IsListening(); }));
    const int ticksPerSecond = 1000 / View().TimerPeriod();
    Clock().Tick();
    EXPECT_EQ(Ctrl(IDC_PORT_STATUS).toolTip().toStdString(),
              (tip + "the connection to the server was lost; connecting again in 1 s").toStdString());
    // Each attempt is refused while the server is away; the next waits
    // twice as long, at most 30 s, and none comes early. Each is tried off
    // the window's thread: the window goes on while it waits for the answer.
    for (const int seconds : {1, 2, 4, 8, 16, 30, 30}) {
        SCOPED_TRACE(seconds);
        const QString waiting = QStringLiteral("; connecting again in %1 s").arg(seconds);
        EXPECT_TRUE(Ctrl(IDC_PORT_STATUS).toolTip().endsWith(waiting)) << Ctrl(IDC_PORT_STATUS).toolTip().toStdString();
        EXPECT_FALSE(View().IsWatchingForPort());
        Clock().Tick(seconds * ticksPerSecond - 1);
        EXPECT_FALSE(View().IsTryingInterface());
        Clock().Tick();
        EXPECT_EQ(Text(IDC_PORT_STATUS), "COM Port Closed");
        ASSERT_TRUE(WaitUntil([&] { return !View().IsTryingInterface(); }));
    }
    EXPECT_EQ(Ctrl(IDC_PORT_STATUS).toolTip().toStdString(),
              (tip + "cannot connect: Connection refused; connecting again in 30 s").toStdString());
    m_server->Start();
    Clock().Tick(30 * ticksPerSecond);
    ASSERT_TRUE(WaitUntil([&] { return View().SerialPort().IsListening(); }));
    Clock().Tick();
    EXPECT_EQ(Text(IDC_PORT_STATUS), "COM Port 1 Open") << Ctrl(IDC_PORT_STATUS).toolTip().toStdString();
    EXPECT_EQ(Get([&] { return Text(IDC_GROUP_NAME) == "Loft"; }), QStringList {"Got Settings Ok"});

    // Gone again, and back with another client on the line: busy, not tried again.
    m_server->Stop();
    ASSERT_TRUE(WaitUntil([&] { return !View().SerialPort().IsListening(); }));
    m_server->Start();
    CSerialLine other;
    ASSERT_EQ(other.Open(url.c_str(), 512, 512, true), 0);
    ASSERT_EQ(other.Setup(16457, 8, win32::NOPARITY, win32::ONESTOPBIT), 0);
    Clock().Tick(1 + ticksPerSecond);
    ASSERT_TRUE(WaitUntil([&] { return !View().IsTryingInterface(); }));
    EXPECT_TRUE(Ctrl(IDC_PORT_STATUS).toolTip().startsWith(tip + "busy: the server turned the connection away"))
        << Ctrl(IDC_PORT_STATUS).toolTip().toStdString();
    EXPECT_TRUE(Ctrl(IDC_PORT_STATUS).toolTip().endsWith("; reopen it through PortSetup once it is free"));
    other.Close();
    Clock().Tick(60 * ticksPerSecond);
    EXPECT_EQ(Text(IDC_PORT_STATUS), "COM Port Closed");
}

// A raw stream's server turns the window away only after it has connected:
// busy all the same, and left to the user.
TEST_F(FormNetworkTest, ARawTcpServerThatTurnsTheWindowAwayIsBusyAndNotTriedAgain)
{
    const std::string url = m_server->TcpUrl();
    CSerialLine other;
    ASSERT_EQ(other.Open(url.c_str(), 512, 512, true), 0);
    MapPort(1, url);
    Start();
    ASSERT_TRUE(WaitUntil([&] { return !View().SerialPort().IsListening(); }));
    const int ticksPerSecond = 1000 / View().TimerPeriod();
    Clock().Tick();
    EXPECT_EQ(Text(IDC_PORT_STATUS), "COM Port Closed");
    const std::string tip = Ctrl(IDC_PORT_STATUS).toolTip().toStdString();
    EXPECT_EQ(tip.rfind(url + ": busy: the server turned the connection away", 0), 0u) << tip;
    EXPECT_TRUE(tip.ends_with("; reopen it through PortSetup once it is free")) << tip;
    other.Close();
    Clock().Tick(60 * ticksPerSecond);
    EXPECT_EQ(Text(IDC_PORT_STATUS), "COM Port Closed");
}

TEST_F(FormNetworkTest, GetOverRawTcp)
{
    OpenAndGet(m_server->TcpUrl());
    // The tooltip names the interface and the line it was opened with.
    EXPECT_EQ(Ctrl(IDC_PORT_STATUS).toolTip(),
              QString::fromStdString(m_server->TcpUrl() + ", " + busport::LineSettingsText(busport::LineSettings {})));
}

TEST_F(FormNetworkTest, PortSelectionListsAnInterfaceThatAcceptsWithItsUrlAsTooltip)
{
    std::string refused;
    {
        ScriptedServer gone({}, true);
        refused = gone.Url("tcp");
    }
    MapPort(1, m_server->Rfc2217Url());
    MapPort(4, refused);
    Start();
    QStringList items, tips;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CPortSelectionDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        QComboBox& combo = *dialog->m_portCombo;
        for (int i = 0; i < combo.count(); ++i) {
            items << combo.itemText(i);
            tips << combo.itemData(i, Qt::ToolTipRole).toString();
        }
        QTest::mouseClick(GetDlgItem(*dialog, IDOK), Qt::LeftButton);
    });
    m_app->MainFrame()->OnCommand(ID_PORT_SETUP);
    EXPECT_EQ(items, QStringList {"COM1"});
    EXPECT_EQ(tips, QStringList {QString::fromStdString(m_server->Rfc2217Url())});
    Clock().Tick();
    EXPECT_EQ(Text(IDC_PORT_STATUS), "COM Port 1 Open") << Ctrl(IDC_PORT_STATUS).toolTip().toStdString();
}

TEST_F(FormNetworkTest, AnInterfaceThatCannotBeReachedShowsTheClosedPort)
{
    std::string refused;
    {
        ScriptedServer gone({}, true);
        refused = gone.Url("rfc2217");
    }
    const std::pair<std::string, QString> cases[] = {
        {refused, "cannot connect: Connection refused"},
        {"rfc2217://127.0.0.1", "not a network interface: no port: write HOST:PORT"},
        {"rfc2217://host.invalid:1", "cannot connect: host not found"},
    };
    for (const auto& [url, reason] : cases) {
        SCOPED_TRACE(url);
        MapPort(1, url);
        Start();
        Clock().Tick();
        EXPECT_EQ(Text(IDC_PORT_STATUS), "COM Port Closed");
        EXPECT_EQ(Ctrl(IDC_PORT_STATUS).toolTip(), QString::fromStdString(url + ": ") + reason);
        Exit();
    }
}

}  // namespace
