// The View menu's windows with the whole program against brenvik-sim: the
// monitor shows what a Get brings, Scan Results follows a scan.

#include "tests/e2e/FormFixture.h"
#include "tests/support/SimOnPty.h"

#include <QPushButton>
#include <QTableWidget>

#include "app/BusMonitorWindow.h"
#include "app/ScanResultsWindow.h"
#include "app/TrafficListModel.h"

namespace {

TEST_F(FormTest, AfterAGetTheMonitorShowsTheRequestsEchoAndTheDecodedReply)
{
    sim::SimOptions options = SimOnPty::Fast();
    options.settings = {"Shed42", 1234, 15, 7};
    SimOnPty sim(options);
    MapPort(1, sim.Path());
    Start();
    QTest::keyClick(m_app->MainFrame(), Qt::Key_M, Qt::ControlModifier);
    CBusMonitorWindow* monitor = View().BusMonitorWindow();
    ASSERT_NE(monitor, nullptr);
    EXPECT_TRUE(monitor->isVisible());

    Get([&] { return Text(IDC_GROUP_NAME) == "Shed42"; });
    monitor->Refresh();
    const QStringList lines = monitor->Model().ShownText();
    ASSERT_EQ(lines.size(), 2) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines[0].endsWith("echo of Get request"));
    EXPECT_TRUE(lines[1].endsWith("reply: name \"Shed42\", group ID 7, key 1234, channel 15"));
    // It only listens: the program wrote the request and nothing else.
    EXPECT_EQ(sim.Written().size(), 1u);
}

TEST_F(FormTest, DuringAScanTheResultsListEveryChannelAndNameTheQuietestWhichUseFillsIn)
{
    sim::SimOptions options = SimOnPty::Fast();
    options.levels = CTransceiverModel::LevelTable{90, 80, 70, 60, 12, 50, 40, 30, 20, 8, 55, 65, 75, 85, 4, 95};
    SimOnPty sim(options);
    MapPort(1, sim.Path());
    Start();
    QTest::keyClick(m_app->MainFrame(), Qt::Key_R, Qt::ControlModifier);
    CScanResultsWindow* results = View().ScanResultsWindow();
    ASSERT_NE(results, nullptr);
    EXPECT_EQ(results->Verdict(), "Quietest: no channel measured yet");

    Click(IDC_SCAN_BUTTON);
    for (int tick = 1; tick <= 16; ++tick) {
        Clock().Tick();
        ASSERT_TRUE(WaitUntil([&] { return View().ScanResults().TotalSamples() == tick; })) << "tick " << tick;
    }
    for (int row = 0; row < 16; ++row)
        EXPECT_NE(results->Table().item(row, 1)->text(), "-") << "channel " << 11 + row;
    EXPECT_EQ(results->Verdict(), "Quietest: 25, 20, 15");
    Click(IDC_SCAN_BUTTON); // stopped: the figures stay
    EXPECT_EQ(results->Verdict(), "Quietest: 25, 20, 15");
    EXPECT_EQ(results->Table().item(14, 1)->text(), "4");

    const std::size_t written = sim.Written().size();
    results->UseButton().click();
    EXPECT_EQ(Text(IDC_RF_CHANNEL), "25");
    EXPECT_EQ(Doc().m_RFChannel, 25);
    QApplication::processEvents();
    EXPECT_EQ(sim.Written().size(), written);

    // The next scan starts the figures again.
    Click(IDC_SCAN_BUTTON);
    EXPECT_EQ(results->Verdict(), "Quietest: no channel measured yet");
    EXPECT_EQ(results->Table().item(0, 1)->text(), "-");
}

} // namespace
