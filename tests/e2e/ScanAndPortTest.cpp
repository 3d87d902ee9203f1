// The channel scan, the port selection dialog, New during a scan and the
// validation message inside a focus change, against brenvik-sim.

#include "tests/e2e/FormFixture.h"
#include "tests/support/SimOnPty.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QMessageBox>
#include <QTimer>
#include <map>
#include <numeric>

#include "app/PortSelectionDialog.h"
#include "controls/RssiCtrl.h"
#include "controls/SysColors.h"
#include "platform/WindowStyles.h"
#include "serial/SerialLine.h"

namespace {

int Sum(const CRssiCtrl::ChannelValues& values)
{
    return std::accumulate(values.begin(), values.end(), 0);
}

// The colour most of the button is painted in.
QColor FaceOf(QWidget& button)
{
    const QImage image = button.grab().toImage();
    std::map<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    }
    const auto most = std::max_element(counts.begin(), counts.end(),
                                       [](const auto& a, const auto& b) { return a.second < b.second; });
    return QColor(most->first);
}

// The level queries the program has written so far, by channel.
std::vector<int> QueriedChannels(const SimOnPty& sim)
{
    std::vector<int> channels;
    for (const bus::GroupMessageFields& fields : sim.Written()) {
        if (fields.command == bus::CmdChannelLevel)
            channels.push_back(fields.data[0]);
    }
    return channels;
}

TEST_F(FormTest, ScanQueriesChannelsInTurnFillsTheBarsCountsDownAndStops)
{
    SimOnPty sim;
    MapPort(1, sim.Path());
    Start();
    auto& rssi = static_cast<CRssiCtrl&>(Ctrl(IDC_RSSI));
    Click(IDC_SCAN_BUTTON);
    EXPECT_EQ(Text(IDC_SCAN_BUTTON), "60 Stop Scan");
    EXPECT_EQ(Text(IDC_SCAN_NOTE), "Don't Use Throttles");
    EXPECT_EQ(View().TimerPeriod(), 200);
    EXPECT_EQ(FaceOf(Ctrl(IDC_SCAN_BUTTON)), QColor(255, 0, 0));
    // Four seconds: 20 ticks, so channel 11 comes round again. Each tick's
    // reply is read before the next tick, as on an idle machine.
    for (std::size_t tick = 1; tick <= 20; ++tick) {
        Clock().Tick();
        ASSERT_TRUE(WaitUntil([&] { return std::size_t(Sum(rssi.Samples())) == tick; })) << "tick " << tick;
    }
    EXPECT_EQ(Text(IDC_SCAN_BUTTON), "56 Stop Scan");
    EXPECT_EQ(Text(IDC_PORT_STATUS), "COM port Closed"); // the monitor flag is set while scanning
    EXPECT_GT(Sum(rssi.Levels()), 0);

    // A last query whose reply is still on its way when the scan stops.
    Clock().Tick();
    Click(IDC_SCAN_BUTTON);
    EXPECT_EQ(Text(IDC_SCAN_BUTTON), "Start Chan Scan");
    EXPECT_EQ(Text(IDC_SCAN_NOTE), "");
    EXPECT_EQ(View().TimerPeriod(), 300);
    EXPECT_EQ(FaceOf(Ctrl(IDC_SCAN_BUTTON)), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(Sum(rssi.Levels()), 0);
    const int samples = Sum(rssi.Samples());
    EXPECT_GE(samples, 20); // the statistics stay on display

    ASSERT_TRUE(WaitUntil([&] { return QueriedChannels(sim).size() == 21; }));
    const std::vector<int> channels = QueriedChannels(sim);
    for (std::size_t i = 0; i < channels.size(); ++i)
        EXPECT_EQ(channels[i], 11 + int(i % 16)) << "query " << i;
    // Replies read after the stop change nothing: a Get's reply comes after them.
    EXPECT_EQ(Get([&] { return Text(IDC_GROUP_NAME) == "Olv12345"; }),
              QStringList {"Got Settings Ok"});
    EXPECT_EQ(Sum(rssi.Samples()), samples);
}

TEST_F(FormTest, PortDialogListsFreePortsOnlyAndReopensWhereTheUserChose)
{
    SimOnPty first(SimOnPty::Fast());
    sim::SimOptions options = SimOnPty::Fast();
    options.settings.name = "Second";
    SimOnPty second(options);
    SimOnPty held;
    CSerialLine holder; // another program has this one open
    ASSERT_EQ(holder.Open(held.Path().c_str(), 512, 512, false), 0);
    MapPort(1, first.Path());
    MapPort(5, held.Path());
    MapPort(7, second.Path());
    Start();

    // Cancel after a change keeps the port; OK after choosing COM7 moves there.
    for (const bool accept : {false, true}) {
        QStringList items, tips;
        WithPortDialog([&](CPortSelectionDialog& dialog) {
            QComboBox& combo = *dialog.m_portCombo;
            for (int i = 0; i < combo.count(); ++i) {
                items << combo.itemText(i) + "=" + combo.itemData(i).toString();
                tips << combo.itemData(i, Qt::ToolTipRole).toString();
            }
            EXPECT_EQ(combo.currentText(), "COM1");
            QTest::keyClick(&combo, Qt::Key_Down);
            if (accept)
                QTest::mouseClick(GetDlgItem(dialog, IDOK), Qt::LeftButton);
            else
                QTest::keyClick(&dialog, Qt::Key_Escape);
        });
        m_app->MainFrame()->OnCommand(ID_PORT_SETUP);
        EXPECT_EQ(items, (QStringList {"COM1=1", "COM7=7"}));
        EXPECT_EQ(tips, (QStringList {QString::fromStdString(first.Path()), QString::fromStdString(second.Path())}));
        EXPECT_EQ(Doc().m_ActiveComPort, accept ? 7 : 1);
        Clock().Tick();
        EXPECT_EQ(Text(IDC_PORT_STATUS), QStringLiteral("COM Port %1 Open").arg(Doc().m_ActiveComPort));
    }
    EXPECT_EQ(Get([&] { return Text(IDC_GROUP_NAME) == "Second"; }), QStringList {"Got Settings Ok"});
    EXPECT_EQ(Text(IDC_GROUP_NAME), "Second");
}

TEST_F(FormTest, NewDuringAScanStopsItAndKeepsWhatThisSessionChose)
{
    Start();
    Enter(IDC_RF_CHANNEL, "20");
    Click(IDC_SCAN_BUTTON);
    EXPECT_EQ(Text(IDC_SCAN_BUTTON), "60 Stop Scan");
    m_app->MainFrame()->OnCommand(ID_FILE_NEW);
    EXPECT_EQ(View().ScanTicks(), 0);
    EXPECT_EQ(Text(IDC_SCAN_BUTTON), "Start Chan Scan");
    EXPECT_EQ(Text(IDC_SCAN_NOTE), "");
    EXPECT_EQ(View().TimerPeriod(), 250);
    EXPECT_EQ(Text(IDC_RF_CHANNEL), "20");
    EXPECT_EQ(View().Entries().size(), 23u); // the anchors were added once
}

TEST_F(FormTest, AValidationMessageStartsNoLoopOfFocusChanges)
{
    SetMessageBoxHook({}); // real message boxes, answered as they appear
    int boxes = 0;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ++boxes;
            EXPECT_EQ(box->windowTitle(), "Brenvik");
            box->accept();
        }
    });
    answer.start(50);
    const auto settle = [] {
        EXPECT_TRUE(WaitUntil([] { return QApplication::activeModalWidget() == nullptr; }));
        QTest::qWait(150); // three answering rounds: room for a further box to show itself
    };
    Start();

    // Leaving the field: its own handler's box.
    Enter(IDC_RF_CHANNEL, "99");
    settle();
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(Text(IDC_RF_CHANNEL), "26");
    // The focus is back on the field that failed (in the window, which
    // stays inactive on this platform once the box has gone).
    EXPECT_EQ(m_app->MainFrame()->focusWidget(), &Ctrl(IDC_RF_CHANNEL));

    // Set from the keyboard while the field still holds a bad value: the
    // box takes the focus from the field, which is not leaving it.
    m_app->MainFrame()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_app->MainFrame()));
    ASSERT_EQ(QApplication::focusWidget(), &Ctrl(IDC_RF_CHANNEL));
    QTest::keyClicks(&Ctrl(IDC_RF_CHANNEL), "9");
    static_cast<QAbstractButton&>(Ctrl(IDC_SET)).click();
    settle();
    EXPECT_EQ(boxes, 2);
}

} // namespace
