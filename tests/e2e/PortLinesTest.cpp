// The form's port with the line stored for it, the Interface choice of Port
// Selection, and a device that comes and goes. The line is read back from
// the pseudo-terminal's other side, or checked by a simulator that answers
// only on its own line.

#include "tests/e2e/FormFixture.h"
#include "tests/support/FakeSystemTree.h"
#include "tests/support/PseudoTerminal.h"
#include "tests/support/SimOnPty.h"

#include <QCheckBox>
#include <QLabel>
#include <QComboBox>
#include <QLineEdit>
#include <QTimer>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "app/InterfaceChoice.h"
#include "app/PortDeviceField.h"
#include "app/PortSelectionDialog.h"
#include "platform/WindowStyles.h"
#include "serial/LineControl.h"
#include "serial/SerialLine.h"

namespace {

namespace fs = std::filesystem;

serial_line::LineParams LineSeenAt(int master)
{
    serial_line::LineParams line;
    EXPECT_EQ(serial_line::ReadLineParams(master, line), 0);
    return line;
}

sim::SimOptions UsbInterfaceSim()
{
    sim::SimOptions options = SimOnPty::Fast();
    options.line = {57600, true};
    return options;
}

TEST_F(FormTest, TheFormOpensItsPortWithTheStoredLine)
{
    const struct {
        const char* stored; // nullptr: no entry
        std::uint32_t baud;
        bool rtsCts;
        const char* tip;
    } cases[] = {
        {nullptr, 16457, false, ", 16457 baud"},
        {"57600 rtscts", 57600, true, ", 57600 baud, RTS/CTS"},
        {"115200", 115200, false, ", 115200 baud"},
        {"57600 xonxoff", 16457, false, "Lines/COM1 = \"57600 xonxoff\" is ignored: "},
        {"-1", 16457, false, "is outside 50 to 4000000"},
    };
    for (const auto& c : cases) {
        PseudoTerminal device;
        MapPort(1, device.SlavePath());
        if (c.stored)
            WriteProfileString("Lines", "COM1", c.stored);
        Start();
        Clock().Tick();
        EXPECT_EQ(Text(IDC_PORT_STATUS), "COM Port 1 Open");
        EXPECT_EQ(LineSeenAt(device.Master()).baudRate, c.baud) << c.stored;
        EXPECT_EQ(LineSeenAt(device.Master()).rtsCtsFlow, c.rtsCts) << c.stored;
        EXPECT_TRUE(Ctrl(IDC_PORT_STATUS).toolTip().contains(c.tip)) << Ctrl(IDC_PORT_STATUS).toolTip().toStdString();
        Exit();
        RemoveProfileEntry("Lines", "COM1");
    }
}

TEST_F(FormTest, TheInterfaceChosenInPortSelectionIsStoredAndTheReopenUsesIt)
{
    SimOnPty sim(UsbInterfaceSim());
    MapPort(1, sim.Path());
    Start();
    EXPECT_EQ(Get(), QStringList {"Communications Failed"}); // the interface hears another speed

    QString shown;
    WithPortDialog([&](CPortSelectionDialog& dialog) {
        shown = dialog.m_interface->m_interfaceCombo->currentText();
        dialog.m_interface->m_interfaceCombo->setCurrentIndex(CInterfaceChoice::UsbInterface);
        dialog.accept();
    });
    m_app->MainFrame()->OnCommand(ID_PORT_SETUP);
    EXPECT_EQ(shown, "Serial adapter, 16457 baud");
    EXPECT_EQ(GetProfileString("Lines", "COM1"), "57600 rtscts");
    EXPECT_EQ(Get([&] { return Text(IDC_GROUP_NAME) == "Olv12345"; }), QStringList {"Got Settings Ok"});

    // Back to the adapter: the entry goes, and the dialog showed the stored line.
    WithPortDialog([&](CPortSelectionDialog& dialog) {
        shown = dialog.m_interface->m_interfaceCombo->currentText();
        dialog.m_interface->m_interfaceCombo->setCurrentIndex(CInterfaceChoice::SerialAdapter);
        dialog.accept();
    });
    m_app->MainFrame()->OnCommand(ID_PORT_SETUP);
    EXPECT_EQ(shown, "USB interface, 57600 baud, RTS/CTS");
    EXPECT_TRUE(GetProfileString("Lines", "COM1").isNull());
}

TEST_F(FormTest, ADeviceTypedInPortSelectionIsStoredWithItsInterfaceAndTheFormReopensIt)
{
    SimOnPty sim(UsbInterfaceSim());
    Start(); // COM1 leads to a missing path
    Clock().Tick();
    EXPECT_EQ(Text(IDC_PORT_STATUS), "COM Port Closed");
    WithPortDialog([&](CPortSelectionDialog& dialog) {
        dialog.m_device->m_deviceCombo->setEditText(QString::fromStdString(sim.Path()));
        dialog.m_interface->m_interfaceCombo->setCurrentIndex(CInterfaceChoice::UsbInterface);
        QTest::mouseClick(GetDlgItem(dialog, IDOK), Qt::LeftButton);
    });
    m_app->MainFrame()->OnCommand(ID_PORT_SETUP);
    EXPECT_EQ(GetProfileString("Ports", "COM1").toStdString(), sim.Path());
    EXPECT_EQ(GetProfileString("Lines", "COM1"), "57600 rtscts");
    Clock().Tick();
    EXPECT_EQ(Text(IDC_PORT_STATUS), "COM Port 1 Open");
    EXPECT_EQ(Get([&] { return Text(IDC_GROUP_NAME) == "Olv12345"; }), QStringList {"Got Settings Ok"});

    // A refused entry stores nothing: Escape leaves the port as it was, reopened.
    QString answer;
    WithPortDialog([&](CPortSelectionDialog& dialog) {
        dialog.m_device->m_deviceCombo->setEditText("/dev/null");
        QTest::mouseClick(GetDlgItem(dialog, IDOK), Qt::LeftButton);
        answer = dialog.m_device->m_answer->text();
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    m_app->MainFrame()->OnCommand(ID_PORT_SETUP);
    EXPECT_EQ(answer, "cannot open: not a serial device");
    EXPECT_EQ(GetProfileString("Ports", "COM1").toStdString(), sim.Path());
    Clock().Tick();
    EXPECT_EQ(Text(IDC_PORT_STATUS), "COM Port 1 Open");
}

TEST_F(FormTest, OtherTakesAValidBaudRateOnlyAndCancelStoresNothing)
{
    PseudoTerminal device;
    MapPort(1, device.SlavePath());
    Start();
    bool stayedOpen = false;
    WithPortDialog([&](CPortSelectionDialog& dialog) {
        CInterfaceChoice& choice = *dialog.m_interface;
        choice.m_interfaceCombo->setCurrentIndex(CInterfaceChoice::Other);
        choice.m_baudEdit->setText("5"); // on the way to a rate, not one
        dialog.accept();
        stayedOpen = dialog.isVisible();
        choice.m_baudEdit->setText("115200");
        choice.m_rtsCtsCheck->setChecked(true);
        dialog.accept();
    });
    m_app->MainFrame()->OnCommand(ID_PORT_SETUP);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(m_messages, QStringList {CInterfaceChoice::BaudRule()});
    EXPECT_EQ(GetProfileString("Lines", "COM1"), "115200 rtscts");
    EXPECT_EQ(LineSeenAt(device.Master()).baudRate, 115200u);
    EXPECT_TRUE(LineSeenAt(device.Master()).rtsCtsFlow);

    WithPortDialog([&](CPortSelectionDialog& dialog) {
        dialog.m_interface->m_interfaceCombo->setCurrentIndex(CInterfaceChoice::SerialAdapter);
        dialog.reject();
    });
    m_app->MainFrame()->OnCommand(ID_PORT_SETUP);
    EXPECT_EQ(GetProfileString("Lines", "COM1"), "115200 rtscts");
}

TEST_F(FormTest, AWriteHeldBackPastItsTimeOutSaysTheInterfaceIsNotReady)
{
    PseudoTerminal device;
    MapPort(1, device.SlavePath());
    WriteProfileString("Lines", "COM1", "57600 rtscts");
    // The device takes nothing more: its side of the line is full.
    const int filler = ::open(device.Path(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(filler, 0);
    // The kernel moves what was written on to the other side a little later,
    // making room again: fill until no room comes back.
    pollfd room {filler, POLLOUT, 0};
    do {
        for (std::size_t size : {4096, 1}) {
            const std::vector<char> block(size, 0x55);
            while (::write(filler, block.data(), block.size()) > 0) {
            }
        }
    } while (::poll(&room, 1, 200) > 0);
    Start().BusPort().SetWriteTimeout(std::chrono::milliseconds(100));
    Clock().Tick();
    EXPECT_EQ(Text(IDC_PORT_STATUS), "COM Port 1 Open");
    EXPECT_EQ(Get(), QStringList {"Communications Failed"});
    Clock().Tick();
    EXPECT_EQ(Text(IDC_PORT_STATUS), "Interface Not Ready");
    ::close(filler);
}

class ComingAndGoingTest : public FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        char pattern[] = "/tmp/brenvik-by-id-XXXXXX";
        m_folder = ::mkdtemp(pattern);
        m_link = m_folder + "/usb-Olvarn_Bus_Interface_0001-if00";
    }
    void TearDown() override
    {
        FormTest::TearDown();
        fs::remove_all(m_folder);
    }
    // The device appears as udev shows it: a link made in a watched folder.
    void Plug(const SimOnPty& device) { fs::create_symlink(device.Path(), m_link); }

    std::string m_folder;
    std::string m_link;
};

TEST_F(ComingAndGoingTest, ADeviceThatAppearsAfterStartIsOpenedWithoutARestart)
{
    MapPort(1, m_link);
    Start();
    Clock().Tick();
    EXPECT_EQ(Text(IDC_PORT_STATUS), "COM Port Closed");
    EXPECT_TRUE(View().IsWatchingForPort());
    EXPECT_TRUE(Ctrl(IDC_PORT_STATUS).toolTip().contains("no such device; it is opened when it appears"));

    for (int round = 0; round < 2; ++round) {
        auto device = std::make_unique<SimOnPty>();
        Plug(*device);
        ASSERT_TRUE(WaitUntil([&] { return View().SerialPort().IsOpen(); })) << round;
        Clock().Tick();
        EXPECT_EQ(Text(IDC_PORT_STATUS), "COM Port 1 Open");
        EXPECT_FALSE(View().IsWatchingForPort());
        EXPECT_EQ(Get([&] { return Text(IDC_GROUP_NAME) == "Olv12345"; }), QStringList {"Got Settings Ok"});

        // Unplugged: closed, and watched for again.
        device.reset();
        fs::remove(m_link);
        ASSERT_TRUE(WaitUntil([&] { return !View().SerialPort().IsListening(); }));
        Clock().Tick();
        EXPECT_EQ(Text(IDC_PORT_STATUS), "COM Port Closed");
        EXPECT_TRUE(View().IsWatchingForPort());
    }
}

// A device that comes back while a scan runs or a Get waits for its reply:
// the scan goes on through the reopened port, channel after channel at its
// pace and with its wording in the status line; the Get ends as four silent
// ticks would end it, never without an outcome.
TEST_F(ComingAndGoingTest, ADeviceBackMidScanOrMidGetIsReopenedAndNothingEndsSilently)
{
    const struct {
        const char* name;
        bool scan;
        QStringList outcomes;
        QString statusAfter;
    } cases[] = {
        {"scan", true, {}, "COM port Closed"},
        {"Get", false, {"Communications Failed"}, "COM Port 1 Open"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sim::SimOptions quiet = SimOnPty::Fast();
        quiet.faults.dropReplies = true; // the Get keeps waiting
        auto device = std::make_unique<SimOnPty>(quiet);
        Plug(*device);
        MapPort(1, m_link);
        Start();
        PaintedTexts outcome(Ctrl(IDC_GET_RESULT));
        Click(c.scan ? IDC_SCAN_BUTTON : IDC_GET);
        Clock().Tick(3); // a scan asks for channels 11, 12, 13

        device.reset();
        fs::remove(m_link);
        ASSERT_TRUE(WaitUntil([&] { return !View().SerialPort().IsListening(); }));
        Clock().Tick(3); // the port closes; a scan's queries for 14, 15, 16 fail
        EXPECT_EQ(Text(IDC_PORT_STATUS), "COM Port Closed");
        EXPECT_EQ(View().ReplyCountdown(), c.scan ? 0 : 1);

        SimOnPty back;
        Plug(back);
        ASSERT_TRUE(WaitUntil([&] { return View().SerialPort().IsOpen(); }));
        EXPECT_EQ(outcome.Texts().filter(QRegularExpression(".+")), c.outcomes);
        EXPECT_EQ(View().ReplyCountdown(), 0);
        Clock().Tick(3);
        EXPECT_EQ(Text(IDC_PORT_STATUS), c.statusAfter);
        if (c.scan) {
            EXPECT_EQ(View().TimerPeriod(), CBrenvikView::kScanPeriodMs);
            std::vector<int> channels;
            ASSERT_TRUE(WaitUntil([&] {
                channels.clear();
                for (const bus::GroupMessageFields& fields : back.Written())
                    channels.push_back(fields.data[0]);
                return channels.size() == 3;
            }));
            EXPECT_EQ(channels, (std::vector {17, 18, 19}));
            EXPECT_EQ(Text(IDC_SCAN_BUTTON), "59 Stop Scan"); // nine ticks of the minute gone
        }
        Exit();
        fs::remove(m_link);
    }
}

TEST_F(ComingAndGoingTest, APortAnotherProgramHoldsIsLeftToTheUser)
{
    SimOnPty device;
    CSerialLine holder;
    ASSERT_EQ(holder.Open(device.Path().c_str(), 512, 512, false), 0);
    MapPort(1, m_link);
    Plug(device);
    Start();
    Clock().Tick();
    EXPECT_EQ(Text(IDC_PORT_STATUS), "COM Port Closed");
    EXPECT_FALSE(View().IsWatchingForPort());
    EXPECT_TRUE(Ctrl(IDC_PORT_STATUS).toolTip().contains("reopen it through PortSetup"));

    // Freed, it stays closed until the user reopens it.
    holder.Close();
    fs::remove(m_link);
    Plug(device);
    QApplication::processEvents();
    Clock().Tick();
    EXPECT_FALSE(View().SerialPort().IsOpen());
    WithPortDialog([](CPortSelectionDialog& dialog) { dialog.accept(); });
    m_app->MainFrame()->OnCommand(ID_PORT_SETUP);
    Clock().Tick();
    EXPECT_EQ(Text(IDC_PORT_STATUS), "COM Port 1 Open");
}

TEST_F(ComingAndGoingTest, APortsEntryNamingAFolderOrAFileSaysSoAndStaysClosed)
{
    const std::string file = m_folder + "/not-a-device";
    { std::ofstream(file) << "text"; }
    for (const std::string& path : {m_folder, file}) {
        MapPort(1, path);
        Start();
        Clock().Tick();
        EXPECT_EQ(Text(IDC_PORT_STATUS), "COM Port Closed") << path;
        EXPECT_FALSE(View().IsWatchingForPort()) << path;
        EXPECT_TRUE(Ctrl(IDC_PORT_STATUS).toolTip().startsWith(QString::fromStdString(path + ": "))) << path;
        Exit();
    }
}

TEST_F(FormTest, PortSelectionNamesTheAdapterAndKeepsTheChosenPortByItsByIdName)
{
    SimOnPty adapter, other;
    FakeSystemTree tree("form-adapters");
    const std::string tty = fs::path(adapter.Path()).filename().string();
    tree.AddUsbTty(tty, "2", {"0403", "6001", "Olvarn", "Bus Interface", "A1B2"});
    tree.AddByIdLink("usb-Olvarn_Bus_Interface_A1B2-if00-port0", adapter.Path());
    const QString byId = QString::fromStdString((tree.Root() / "by-id/usb-Olvarn_Bus_Interface_A1B2-if00-port0").string());
    m_identityRoots = tree.Roots();
    MapPort(1, adapter.Path());
    MapPort(5, other.Path()); // written by hand
    Start();

    QStringList tips;
    QString note;
    WithPortDialog([&](CPortSelectionDialog& dialog) {
        for (int i = 0; i < dialog.m_portCombo->count(); ++i)
            tips << dialog.m_portCombo->itemData(i, Qt::ToolTipRole).toString();
        note = dialog.m_adapterNote->text();
        dialog.accept(); // COM1, as it was
    });
    m_app->MainFrame()->OnCommand(ID_PORT_SETUP);
    ASSERT_EQ(tips.size(), 2);
    EXPECT_EQ(tips[0], QString::fromStdString(adapter.Path()) + "\nOlvarn Bus Interface, serial A1B2 (USB 0403:6001)\n" + byId);
    EXPECT_EQ(tips[1], QString::fromStdString(other.Path()));
    EXPECT_TRUE(note.startsWith(tips[0] + "\nOK keeps this port by its by-id name")) << note.toStdString();
    EXPECT_EQ(GetProfileString("Ports", "COM1"), byId);
    EXPECT_EQ(GetProfileString("Ports", "COM5"), QString::fromStdString(other.Path()));
    Clock().Tick();
    EXPECT_EQ(Text(IDC_PORT_STATUS), "COM Port 1 Open"); // through its by-id name

    // A port without such a name keeps its entry as the user wrote it.
    WithPortDialog([&](CPortSelectionDialog& dialog) {
        dialog.m_portCombo->setCurrentIndex(1);
        dialog.m_portCombo->activated(1);
        note = dialog.m_adapterNote->text();
        dialog.accept();
    });
    m_app->MainFrame()->OnCommand(ID_PORT_SETUP);
    EXPECT_EQ(note, QString::fromStdString(other.Path()));
    EXPECT_EQ(Doc().m_ActiveComPort, 5);
    EXPECT_EQ(GetProfileString("Ports", "COM5"), QString::fromStdString(other.Path()));
    EXPECT_EQ(GetProfileString("Ports", "COM1"), byId);
}

} // namespace
