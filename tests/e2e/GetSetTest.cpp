// Get, Set, the edit rules and the status line, against brenvik-sim on a
// pseudo-terminal.

#include "tests/e2e/FormFixture.h"
#include "tests/support/SimOnPty.h"

#include <QAbstractButton>
#include <QMenu>
#include <QMenuBar>

#include "bus/GroupReply.h"
#include "bus/GroupRequests.h"
#include "serial/SerialLine.h"
#include "tests/support/PseudoTerminal.h"

#include <poll.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// A single-value reply has the shape of the write of that value.
bus::GroupMessageFields AsReply(bus::GroupMessageFields write)
{
    write.direction = bus::DirReply;
    return write;
}

sim::SimOptions Transceiver(const char* name, int groupId, int key, int channel)
{
    sim::SimOptions options = SimOnPty::Fast();
    options.settings = {name, key, channel, groupId};
    return options;
}

TEST_F(FormTest, GetShowsPlaceholdersAtOnceThenTheTransceiversSettings)
{
    SimOnPty sim(Transceiver("Shed42", 7, 1234, 15));
    MapPort(1, sim.Path());
    Start();
    Clock().Tick();
    EXPECT_EQ(Text(IDC_PORT_STATUS), "COM Port 1 Open");

    PaintedTexts name(Ctrl(IDC_GROUP_NAME));
    EXPECT_EQ(Get([&] { return Text(IDC_GROUP_NAME) == "Shed42"; }), QStringList {"Got Settings Ok"});
    EXPECT_EQ(name.Texts().value(0), "........");
    // After the request, and while the outcome is shown.
    EXPECT_EQ(Clock().Pauses(), (std::vector {100ms, 250ms}));
    EXPECT_EQ(Settings(), (QStringList {"Shed42", "7", "15", "1234"}));
    EXPECT_EQ(Doc().m_NetName, "Shed42");
    EXPECT_EQ(Doc().m_NetWorkID, 7);
    EXPECT_EQ(Doc().m_RFChannel, 15);
    EXPECT_EQ(Doc().m_PwKey, 1234);
    // The status line comes back on the tick after the report.
    Clock().Tick();
    EXPECT_EQ(Text(IDC_PORT_STATUS), "COM Port 1 Open");
}

// The shipped timing end to end: the form on the wall clock, the simulator
// at bus speed.
TEST_F(FormTest, SetWritesFourMessagesEachAfterTheEchoWaitAndGetReadsThemBack)
{
    SimOnPty sim(sim::SimOptions {});
    MapPort(1, sim.Path());
    Start(Timing::WallClock);
    Enter(IDC_GROUP_NAME, "Yard");
    Enter(IDC_RF_CHANNEL, "21");
    Enter(IDC_PASSWORD_KEY, "42");
    m_answerYes = true; // a first run: the group ID is a starting value
    Click(IDC_SET);
    EXPECT_EQ(m_questions.size(), 1);
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join('\n').toStdString();
    ASSERT_TRUE(WaitUntil([&] { return sim.Written().size() == 4; }));

    // Name, channel, group ID, key; each goes out only after the previous
    // one's echo came back on the bus (the form waits for it while it sends):
    // the simulator had sent all the echoes before it read the next write.
    std::vector<SimFrame> writes;
    std::vector<std::size_t> echoedBytes;  // before each write
    std::size_t sent = 0;
    for (const SimFrame& frame : sim.Frames()) {
        if (!frame.rx) {
            sent += frame.bytes.size();
        } else if (frame.IsGroupMessage()) {
            writes.push_back(frame);
            echoedBytes.push_back(sent);
        }
    }
    ASSERT_EQ(writes.size(), 4u);
    EXPECT_EQ(echoedBytes, (std::vector<std::size_t> {0, 20, 40, 60}));
    const std::uint8_t commands[] = {bus::CmdSettings, bus::CmdRfChannel, bus::CmdGroupId, bus::CmdPasswordKey};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(writes[i].Fields().command, commands[i]);
        EXPECT_EQ(writes[i].Fields().direction, bus::DirWrite);
    }
    EXPECT_EQ(std::string(writes[0].bytes.begin() + 5, writes[0].bytes.begin() + 9), "Yard");
    EXPECT_EQ(writes[1].Fields().data[0], 21);
    EXPECT_EQ(std::string(writes[3].bytes.begin() + 5, writes[3].bytes.begin() + 9), "0042");

    EXPECT_EQ(Get(), QStringList {"Got Settings Ok"});
    EXPECT_EQ(Settings(), (QStringList {"Yard", "0", "21", "42"}));
}

TEST_F(FormTest, WithoutRepliesGetFailsKeepsThePlaceholdersAndSetSendsNothing)
{
    sim::SimOptions options = SimOnPty::Fast();
    options.faults.dropReplies = true;
    SimOnPty sim(options);
    MapPort(1, sim.Path());
    Start();
    EXPECT_EQ(Get([&] { return sim.Written().size() == 1; }), QStringList {"Communications Failed"});
    EXPECT_EQ(Clock().Pauses(), (std::vector {100ms, 1000ms}));
    EXPECT_EQ(Settings(), (QStringList {"........", "0", "0", "0"}));
    EXPECT_EQ(Doc().m_NetName, "Olv12345");

    Click(IDC_SET);
    EXPECT_EQ(m_messages, QStringList {CBrenvikView::kPlaceholdersRefused});
    ASSERT_EQ(sim.Written().size(), 1u);
    EXPECT_EQ(sim.Written()[0].command, bus::CmdSettings);
    EXPECT_EQ(sim.Written()[0].direction, bus::DirReadRequest);
}

// What Set may write: never the placeholders of a Get that was not answered
// (the group ID keeps its placeholder whatever the user types), starting
// values of a first run only when the user says so, and settings an earlier
// run stored (a replacement transceiver) or a Get read without a question.
TEST_F(FormTest, SetWritesOnlyValuesThatCameFromATransceiverAnEarlierRunOrTheUser)
{
    enum class Step { Get, GetPending, TypeNameChannelKey, LateSettingsReply, CloseAndRunAgain, Set };
    const struct {
        const char* name;
        bool storedByEarlierRun;
        bool transceiverAnswers;
        std::vector<Step> steps;
        bool answerYes;
        bool asked;
        bool refused;
        std::size_t writes;
    } cases[] = {
        {"first run, No", false, true, {Step::Set}, false, true, false, 0},
        {"first run, Yes", false, true, {Step::Set}, true, true, false, 4},
        {"first run, typed values, No", false, true, {Step::TypeNameChannelKey, Step::Set}, false, true, false, 0},
        {"first run after a Get", false, true, {Step::Get, Step::Set}, false, false, false, 4},
        {"first run only opened and closed, No", false, true, {Step::CloseAndRunAgain, Step::Set}, false, true, false, 0},
        {"first run, typed values, closed", false, true, {Step::TypeNameChannelKey, Step::CloseAndRunAgain, Step::Set},
         false, false, false, 4},
        {"stored by an earlier run", true, true, {Step::Set}, false, false, false, 4},
        {"failed Get", true, false, {Step::Get, Step::Set}, true, false, true, 0},
        {"failed Get, all but the group ID typed", true, false, {Step::Get, Step::TypeNameChannelKey, Step::Set},
         true, false, true, 0},
        {"Set while the Get waits", true, false, {Step::GetPending, Step::Set}, true, false, true, 0},
        {"failed Get, then its settings came", false, false, {Step::Get, Step::LateSettingsReply, Step::Set}, false,
         false, false, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QSettings(QSettings::NativeFormat, QSettings::UserScope, "Olvarn", "Brenvik").remove("Settings");
        if (c.storedByEarlierRun)
            WriteProfileString("Settings\\Strings", "m_NetName", "Kept");
        sim::SimOptions options = SimOnPty::Fast();
        options.faults.dropReplies = !c.transceiverAnswers;
        SimOnPty sim(options);
        MapPort(1, sim.Path());
        m_messages.clear();
        m_questions.clear();
        m_answerYes = c.answerYes;
        Start();
        for (const Step step : c.steps) {
            switch (step) {
            case Step::Get:
                Get([&] { return c.transceiverAnswers ? Text(IDC_GROUP_NAME) != "........" : sim.Written().size() == 1; });
                break;
            case Step::GetPending:
                Click(IDC_GET);
                break;
            case Step::TypeNameChannelKey:
                // The channel first: leaving any edit checks the channel's placeholder 0.
                Enter(IDC_RF_CHANNEL, "21");
                Enter(IDC_GROUP_NAME, "Yard");
                Enter(IDC_PASSWORD_KEY, "42");
                break;
            case Step::LateSettingsReply:
                View().DecodeGroupMessage(bus::PackGroupMessage(bus::MakeSettingsReply({"Late", 3, 14, 2})));
                break;
            case Step::CloseAndRunAgain:
                Exit();
                Start();
                break;
            case Step::Set:
                Click(IDC_SET);
                break;
            }
        }
        const bool got = std::find_if(c.steps.begin(), c.steps.end(), [](Step step) {
                             return step == Step::Get || step == Step::GetPending;
                         }) != c.steps.end();
        const std::size_t expected = c.writes + (got ? 1 : 0);
        EXPECT_TRUE(WaitUntil([&] { return sim.Written().size() == expected; }));
        std::size_t writes = 0;
        for (const bus::GroupMessageFields& fields : sim.Written())
            writes += fields.direction == bus::DirWrite ? 1 : 0;
        EXPECT_EQ(writes, c.writes);
        EXPECT_EQ(m_questions.join('|').toStdString(), c.asked ? CBrenvikView::kStartingValuesQuestion : "");
        EXPECT_EQ(m_messages.join('|').toStdString(), c.refused ? CBrenvikView::kPlaceholdersRefused : "");
        Exit();
    }
}

// A device that vanishes part-way through a Set: the user is told which
// writes went out, and the settings stored at exit are what the transceiver
// is known to hold (the writes that went out, the rest as an earlier run
// stored them).
TEST_F(FormTest, ASetCutShortSaysWhichWritesWentOutAndStoresOnlyThose)
{
    const struct {
        std::size_t vanishAfter;
        QString report;
        QStringList stored; // name, channel, group ID, key
    } cases[] = {
        {0, "Set wrote nothing: the device stopped working (unplugged?).", {"Kept", "12", "5", "7"}},
        {1, "Set was cut short after 1 of the 4 writes (name went out, channel, group ID and key did not): "
            "the device stopped working (unplugged?). The transceiver may hold a mix of old and new settings.",
         {"Yard    ", "12", "5", "7"}},
        {2, "Set was cut short after 2 of the 4 writes (name and channel went out, group ID and key did not): "
            "the device stopped working (unplugged?). The transceiver may hold a mix of old and new settings.",
         {"Yard    ", "21", "5", "7"}},
        {3, "Set was cut short after 3 of the 4 writes (name, channel and group ID went out, key did not): "
            "the device stopped working (unplugged?). The transceiver may hold a mix of old and new settings.",
         {"Yard    ", "21", "5", "7"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.vanishAfter);
        WriteProfileString("Settings\\Strings", "m_NetName", "Kept");
        WriteProfileString("Settings\\Ints", "m_RFChannel", "12");
        WriteProfileString("Settings\\Ints", "m_NetWorkID", "5");
        WriteProfileString("Settings\\Ints", "m_PwKey", "7");
        PseudoTerminal line; // the test plays the device, which echoes nothing
        MapPort(1, line.SlavePath());
        m_messages.clear();
        Start();
        Enter(IDC_GROUP_NAME, "Yard");
        Enter(IDC_RF_CHANNEL, "21");
        Enter(IDC_PASSWORD_KEY, "42");
        // Each write after the first waits for the echo of the one before,
        // five pauses: the device goes once it has taken `vanishAfter` writes.
        std::size_t pauses = 0, taken = 0;
        const auto vanishOnceTaken = [&] {
            if (pauses++ % busport::kEchoPauses != 0 || line.Master() < 0)
                return;
            const std::size_t written = (pauses / busport::kEchoPauses + 1) * bus::kGroupMessageSize;
            unsigned char bytes[256];
            pollfd readable {line.Master(), POLLIN, 0};
            while (taken < written && ::poll(&readable, 1, 5000) == 1)
                taken += std::size_t(std::max<ssize_t>(0, ::read(line.Master(), bytes, sizeof bytes)));
            if (taken >= c.vanishAfter * bus::kGroupMessageSize)
                line.CloseMaster();
        };
        if (c.vanishAfter == 0)
            line.CloseMaster();
        Clock().OnPause(vanishOnceTaken);
        Click(IDC_SET);
        Clock().OnPause({});
        EXPECT_EQ(taken, c.vanishAfter * bus::kGroupMessageSize);
        EXPECT_EQ(m_messages, QStringList {c.report});
        ASSERT_TRUE(WaitUntil([&] { return !View().SerialPort().IsListening(); }));
        Clock().Tick(); // the port closes, its tooltip says why and keeps the report
        EXPECT_TRUE(Ctrl(IDC_PORT_STATUS).toolTip().endsWith("\n" + c.report)) << Ctrl(IDC_PORT_STATUS).toolTip().toStdString();
        Exit();
        EXPECT_EQ((QStringList {GetProfileString("Settings\\Strings", "m_NetName"),
                                GetProfileString("Settings\\Ints", "m_RFChannel"),
                                GetProfileString("Settings\\Ints", "m_NetWorkID"),
                                GetProfileString("Settings\\Ints", "m_PwKey")}),
                  c.stored);
    }
}

TEST_F(FormTest, OnlyASettingsReplyCountsAsTheAnswerToAGet)
{
    PseudoTerminal line; // the test plays the transceiver
    MapPort(1, line.SlavePath());
    Start();
    // The request's echo, then a level reply (as a scan would get) and a
    // channel reply, but no settings. The channel shown tells that all of it
    // has been read before the reply window ends.
    PaintedTexts outcome(Ctrl(IDC_GET_RESULT));
    Click(IDC_GET);
    std::vector<unsigned char> bytes;
    for (const bus::GroupMessageFields& fields :
         {bus::MakeSettingsRequest(), bus::MakeLevelReply(14, 90), AsReply(bus::MakeRfChannelWrite(17))}) {
        const bus::GroupMessageBytes message = bus::PackGroupMessage(fields);
        bytes.insert(bytes.end(), message.begin(), message.end());
    }
    line.Send(bytes);
    ASSERT_TRUE(WaitUntil([&] { return Text(IDC_RF_CHANNEL) == "17"; }));
    Clock().Tick(CBrenvikView::kReplyTicks);
    EXPECT_EQ(outcome.Texts().filter(QRegularExpression(".+")), QStringList {"Communications Failed"});
    EXPECT_EQ(Settings(), (QStringList {"........", "0", "17", "0"}));
}

TEST_F(FormTest, AGroupIdOutOfRangeIsStillWrittenAsItStands)
{
    SimOnPty sim;
    MapPort(1, sim.Path());
    Start();
    // A reply may carry a group ID up to 255; the field cannot be edited.
    bus::RadioSettings settings {"Far", 0, 12, 200};
    const bus::GroupMessageBytes reply = bus::PackGroupMessage(bus::MakeSettingsReply(settings));
    View().DecodeGroupMessage(reply);
    EXPECT_EQ(Text(IDC_GROUP_ID), "200");

    Click(IDC_SET);
    EXPECT_EQ(m_messages, QStringList {"Please enter an integer between 0 and 127."});
    ASSERT_TRUE(WaitUntil([&] { return sim.Written().size() == 4; }));
    const auto written = sim.Written();
    ASSERT_EQ(written.size(), 4u);
    EXPECT_EQ(written[2].data[0], 200);
    // No echo is read while the form sends: each write after the first
    // waits out the echo of the one before.
    EXPECT_EQ(Clock().Pauses(), std::vector(3 * 5, 50ms));
}

TEST_F(FormTest, WithoutAPortTheStatusSaysClosedAndGetReportsNothing)
{
    Start();
    Clock().Tick();
    EXPECT_EQ(Text(IDC_PORT_STATUS), "COM Port Closed");
    PaintedTexts outcome(Ctrl(IDC_GET_RESULT));
    Click(IDC_GET);
    Clock().Tick(6); // the countdown stands still while the port is closed
    EXPECT_EQ(View().ReplyCountdown(), 4);
    EXPECT_TRUE(outcome.Texts().filter(QRegularExpression(".+")).isEmpty());
}

TEST_F(FormTest, LeavingAnEditClampsAndStoresAndTheNameIsSavedPaddedAtExit)
{
    Start();
    Enter(IDC_RF_CHANNEL, "30");
    EXPECT_EQ(Text(IDC_RF_CHANNEL), "26");
    EXPECT_EQ(Doc().m_RFChannel, 26);
    Enter(IDC_RF_CHANNEL, "5");
    EXPECT_EQ(Text(IDC_RF_CHANNEL), "11");
    EXPECT_EQ(Doc().m_RFChannel, 11);
    Enter(IDC_PASSWORD_KEY, "12345");
    EXPECT_EQ(Text(IDC_PASSWORD_KEY), "9999");
    EXPECT_EQ(Doc().m_PwKey, 9999);
    // The exchange validates first, so each out-of-range value is also reported.
    EXPECT_EQ(m_messages.size(), 3);

    // Enter and pasted line breaks never reach the name.
    auto& name = static_cast<QLineEdit&>(Ctrl(IDC_GROUP_NAME));
    name.setFocus();
    name.clear();
    name.insert("A\nB");
    QTest::keyClick(&name, Qt::Key_Return);
    QTest::keyClicks(&name, "C");
    QTest::keyClick(&name, Qt::Key_Tab);
    EXPECT_EQ(Doc().m_NetName, "ABC     ");
    Exit();
    EXPECT_EQ(GetProfileString("Settings\\Strings", "m_NetName"), "ABC     ");
    EXPECT_EQ(GetProfileString("Settings\\Ints", "m_RFChannel"), "11");

    // The next start reads back what was written at exit.
    Start();
    EXPECT_EQ(Settings(), (QStringList {"ABC     ", "0", "11", "9999"}));
}

TEST_F(FormTest, AStoredNameTooLongIsShownWholeAndItsRuleSpeaks)
{
    WriteProfileString("Settings\\Strings", "m_NetName", "Olv123456789");
    Start();
    auto& name = static_cast<QLineEdit&>(Ctrl(IDC_GROUP_NAME));
    EXPECT_EQ(name.text(), "Olv123456789");
    name.setFocus();
    QTest::keyClick(&name, Qt::Key_Tab); // the rule puts the focus back
    static_cast<QAbstractButton&>(Ctrl(IDC_SET)).click();
    EXPECT_EQ(m_messages, QStringList(2, "Please enter no more than 8 characters."));
    EXPECT_EQ(name.text(), "Olv123456789");
}

TEST_F(FormTest, SwitchingToAnotherWindowLeavesTheEdit)
{
    Start();
    auto& channel = static_cast<QLineEdit&>(Ctrl(IDC_RF_CHANNEL));
    channel.setFocus();
    channel.selectAll();
    QTest::keyClicks(&channel, "30");
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_EQ(Text(IDC_RF_CHANNEL), "26");
    EXPECT_EQ(Doc().m_RFChannel, 26);
    EXPECT_EQ(m_messages, QStringList {"Please enter an integer between 11 and 26."});
    // A close that never gives the window back saves what was typed.
    Exit();
    EXPECT_EQ(GetProfileString("Settings\\Ints", "m_RFChannel"), "26");
}

TEST_F(FormTest, AMenuOpenedOverTheEditDoesNotLeaveIt)
{
    Start();
    auto& channel = static_cast<QLineEdit&>(Ctrl(IDC_RF_CHANNEL));
    channel.setFocus();
    channel.selectAll();
    QTest::keyClicks(&channel, "30");
    QMenu* menu = m_app->MainFrame()->menuBar()->actions().first()->menu();
    ASSERT_NE(menu, nullptr);
    menu->popup(m_app->MainFrame()->geometry().center());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    menu->close();
    EXPECT_EQ(Text(IDC_RF_CHANNEL), "30");
    EXPECT_EQ(Doc().m_RFChannel, 11);
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST_F(FormTest, TheMenuBarTakingTheKeysDoesNotLeaveTheEditGoingOnFromThereDoes)
{
    Start();
    auto& channel = static_cast<QLineEdit&>(Ctrl(IDC_RF_CHANNEL));
    QMenuBar& menuBar = *m_app->MainFrame()->menuBar();
    channel.setFocus();
    channel.selectAll();
    QTest::keyClicks(&channel, "30");
    // Alt+F or F10 hands the keys to the menu bar, Esc gives them back.
    menuBar.setFocus(Qt::MenuBarFocusReason);
    channel.setFocus(Qt::MenuBarFocusReason);
    EXPECT_TRUE(m_messages.isEmpty());
    EXPECT_EQ(Text(IDC_RF_CHANNEL), "30");

    menuBar.setFocus(Qt::MenuBarFocusReason);
    Ctrl(IDC_PASSWORD_KEY).setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(m_messages, QStringList {"Please enter an integer between 11 and 26."});
    EXPECT_EQ(Text(IDC_RF_CHANNEL), "26");
    EXPECT_EQ(Doc().m_RFChannel, 26);
}

TEST_F(FormTest, AStatusLineFollowsAPortWhoseDeviceVanishes)
{
    auto sim = std::make_unique<SimOnPty>();
    MapPort(1, sim->Path());
    Start();
    Clock().Tick();
    EXPECT_EQ(Text(IDC_PORT_STATUS), "COM Port 1 Open");
    sim.reset();
    // The listener ends when the device goes; the next tick closes the port.
    ASSERT_TRUE(WaitUntil([&] { return !View().SerialPort().IsListening(); }));
    Clock().Tick();
    EXPECT_EQ(Text(IDC_PORT_STATUS), "COM Port Closed");
    EXPECT_FALSE(View().SerialPort().IsOpen());
}

} // namespace
