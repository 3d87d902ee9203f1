// The group setup form on its own, without a port: replies applied by hand,
// the layout and what the status line says of a port that did not open.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/BrenvikDoc.h"
#include "app/BrenvikView.h"
#include "app/MainFrame.h"
#include "bus/GroupReply.h"
#include "bus/GroupRequests.h"
#include "controls/RssiCtrl.h"
#include "platform/WindowStyles.h"
#include "platform/WindowText.h"
#include "res/Resource.h"
#include "tests/settings/TempSettings.h"
#include "tests/support/LockFolder.h"
#include "tests/support/PseudoTerminal.h"
#include "tests/support/ProfilePorts.h"

namespace {

class BrenvikViewTest : public ::testing::Test {
protected:
    BrenvikViewTest()
    {
        frame.GetActiveView()->OnInitialUpdate();
        frame.show();
    }

    void Apply(const bus::GroupMessageFields& reply)
    {
        view.DecodeGroupMessage(bus::PackGroupMessage(reply));
    }
    QWidget& Ctrl(int id) const { return *GetDlgItem(*view.Form(), id); }
    QString Text(int id) const { return GetWindowText(Ctrl(id)); }

    TempSettings settings;
    ProfilePorts ports;
    CBrenvikDoc doc;
    CMainFrame frame {doc, &CBrenvikView::Create};
    CBrenvikView& view = *dynamic_cast<CBrenvikView*>(frame.GetActiveView());
};

// A single-value reply has the shape of the write of that value.
bus::GroupMessageFields AsReply(bus::GroupMessageFields write)
{
    write.direction = bus::DirReply;
    return write;
}

TEST_F(BrenvikViewTest, SingleValueRepliesChangeTheFormButNotTheDocument)
{
    Apply(AsReply(bus::MakeRfChannelWrite(17)));
    Apply(AsReply(bus::MakeGroupIdWrite(99)));
    Apply(AsReply(bus::MakePasswordKeyWrite(427)));
    EXPECT_EQ(Text(IDC_RF_CHANNEL), "17");
    EXPECT_EQ(Text(IDC_GROUP_ID), "99");
    EXPECT_EQ(Text(IDC_PASSWORD_KEY), "427");
    EXPECT_EQ(doc.m_RFChannel, 11);
    EXPECT_EQ(doc.m_NetWorkID, 0);
    EXPECT_EQ(doc.m_PwKey, 0);

    Apply(bus::MakeSettingsReply({"Depot", 5, 23, 4}));
    EXPECT_EQ(Text(IDC_GROUP_NAME), "Depot");
    EXPECT_EQ(doc.m_NetName, "Depot");
    EXPECT_EQ(doc.m_RFChannel, 23);
}

TEST_F(BrenvikViewTest, LevelRepliesCountOnlyDuringAScan)
{
    const auto& rssi = static_cast<CRssiCtrl&>(Ctrl(IDC_RSSI));
    Apply(bus::MakeLevelReply(12, 80));
    EXPECT_EQ(rssi.Levels()[1], 0);
    view.ToggleChannelScan();
    Apply(bus::MakeLevelReply(12, 80));
    EXPECT_EQ(rssi.Levels()[1], 80);
    view.ToggleChannelScan();
    Apply(bus::MakeLevelReply(12, 90));
    EXPECT_EQ(rssi.Samples()[1], 1);
}

TEST_F(BrenvikViewTest, MonitorControlsAreHiddenAndTheStatusSaysClosed)
{
    for (int id : {IDC_MONITOR_LIST, IDC_MONITOR_PAUSE, IDC_MONITOR_CLEAR, IDC_MONITOR_CAPTION})
        EXPECT_FALSE(Ctrl(id).isVisible()) << id;
    EXPECT_EQ(Text(IDC_MONITOR_PAUSE), "PAUSE");
    view.OnTimer();
    EXPECT_EQ(Text(IDC_PORT_STATUS), "COM Port Closed");
    EXPECT_EQ(view.TimerPeriod(), 250);
}

TEST_F(BrenvikViewTest, WideningKeepsTheSettingsCentredAndWidensTheBars)
{
    const QRect group = Ctrl(IDC_GROUP_FRAME).geometry();
    const QRect bars = Ctrl(IDC_RSSI).geometry();
    const QRect scan = Ctrl(IDC_SCAN_BUTTON).geometry();
    frame.resize(frame.size() + QSize(200, 0));
    QApplication::processEvents();
    EXPECT_EQ(Ctrl(IDC_GROUP_FRAME).geometry(), group.translated(100, 0));
    EXPECT_EQ(Ctrl(IDC_RSSI).geometry().width(), bars.width() + 200);
    EXPECT_EQ(Ctrl(IDC_SCAN_BUTTON).geometry(), scan.translated(200, 0));
}

TEST_F(BrenvikViewTest, FrameFitsTheFormAtStart)
{
    EXPECT_EQ(view.viewport()->size(), view.DesignSize());
}

TEST_F(BrenvikViewTest, AFailedOpenSaysWhyBesideTheClosedStatus)
{
    PseudoTerminal pty;
    ports.Map(1, pty.SlavePath());
    // An adapter that runs at 19200 baud whatever it is told.
    serial_line::LineDriver rounding;
    rounding.readParams = [](int fd, serial_line::LineParams& params) {
        const int err = serial_line::ReadLineParams(fd, params);
        params.baudRate = 19200;
        return err;
    };
    CSerialLine holder;
    const TempLockFolder locks("brenvik-view-locks");
    struct Row {
        const char* name;
        std::function<void()> arrange;
        QString tip;
    };
    const Row rows[] = {
        {"a rate the adapter rounds", [&] { view.SerialPort().SetLineDriver(rounding); },
         QString::fromStdString(pty.SlavePath() + ": could not be set to 16457 baud: the device refused the line settings")},
        {"a port another program holds",
         [&] {
             view.SerialPort().SetLineDriver({});
             ASSERT_EQ(holder.Open(pty.Path(), 0, 0, true), 0);
         },
         QString::fromStdString(pty.SlavePath() + ": cannot open: in use by another program; reopen it through PortSetup once it is free")},
        {"a port another program locked",
         [&] {
             holder.Close();
             view.SetLockFolder(locks.Path());
             locks.Lock(pty.SlavePath(), ::getpid());
         },
         QString::fromStdString(pty.SlavePath() + ": cannot open: in use by another program: held by "
                                + TempLockFolder::OwnProgramName() + " (pid " + std::to_string(::getpid())
                                + "), by its lock; reopen it through PortSetup once it is free")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        row.arrange();
        view.OpenBusPort();
        view.OnTimer();
        EXPECT_FALSE(view.SerialPort().IsOpen());
        EXPECT_EQ(Text(IDC_PORT_STATUS), "COM Port Closed");
        EXPECT_EQ(Ctrl(IDC_PORT_STATUS).toolTip(), row.tip);
    }
    locks.Unlock(pty.SlavePath());
    view.OpenBusPort();
    EXPECT_TRUE(view.SerialPort().IsOpen());
    // The form's own lock tells other programs who holds the device.
    const auto owner = device_lock::LiveOwner(locks.Path(), pty.SlavePath());
    ASSERT_TRUE(owner);
    EXPECT_EQ(owner->pid, ::getpid());
    EXPECT_EQ(Ctrl(IDC_PORT_STATUS).toolTip(), QString::fromStdString(pty.SlavePath() + ", 16457 baud"));
}

} // namespace
