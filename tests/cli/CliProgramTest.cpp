// The brenvik-cli program as a user runs it: its settings file, exit codes and the monitor.

#include "bus/GroupReply.h"
#include "bus/GroupRequests.h"
#include "cli/ExitCode.h"

#include "CliTestSupport.h"
#include "tests/support/ChildProgram.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <memory>
#include <regex>

namespace {

// Leaves a Unix socket at `path`, as a server that went away would.
void BindSocket(const std::filesystem::path& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    path.string().copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0) << path;
    ::close(fd);
}

class CliProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_home = std::filesystem::path(::testing::TempDir()) / ("brenvik-cli-config-" + std::to_string(::getpid()));
        std::filesystem::remove_all(m_home);
        std::filesystem::create_directories(m_home / "Olvarn");
    }
    void TearDown() override { std::filesystem::remove_all(m_home); }

    // A settings file as the program keeps it: the user's alone.
    void WriteSettings(const std::string& text)
    {
        const std::filesystem::path file = m_home / "Olvarn" / "Brenvik.conf";
        std::ofstream(file) << text;
        std::filesystem::permissions(file, std::filesystem::perms(0600));
    }
    std::string Home() const { return m_home.string(); }

    // brenvik-cli in a child process with this test's settings folder (never the user's).
    ChildProgram Start(std::vector<std::string> args) const
    {
        return ChildProgram(BRENVIK_CLI_PROGRAM, std::move(args), {{"XDG_CONFIG_HOME", Home()}, {"BRENVIK_LOCK_DIR", Home()}});
    }

    // Runs to the end; gives the exit code with stdout and stderr.
    CliRun Run(const std::vector<std::string>& args)
    {
        ChildProgram program = Start(args);
        CliRun run;
        run.code = program.Finish();
        run.out = program.RestOfOut();
        run.err = program.RestOfErr();
        return run;
    }

private:
    std::filesystem::path m_home;
};

TEST_F(CliProgram, OpensTheSavedPortThroughTheProgramsPortMap)
{
    if (!BRENVIK_CLI_READS_SETTINGS)
        GTEST_SKIP() << "built without QtCore: no settings store to read";
    SimOnPty sim;
    WriteSettings("[Settings]\nInts\\m_ActiveComPort=0x7\n\n[Ports]\nCOM7=" + sim.Path() + "\n");
    const CliRun run = Run({"get", "--json"});
    EXPECT_EQ(run.code, cli::ExitOk) << run.err;
    EXPECT_NE(run.out.find("{\"port\": \"COM7\", \"device\": \"" + sim.Path() + "\""), std::string::npos) << run.out;
}

TEST_F(CliProgram, PortsUseMapsADevicePathThatGetThenOpens)
{
    if (!BRENVIK_CLI_READS_SETTINGS)
        GTEST_SKIP() << "built without QtCore: no settings store";
    SimOnPty sim;
    WriteSettings("[Ports]\nCOM1=/nonexistent/brenvik-a\nCOM2=/nonexistent/brenvik-b\n");
    const CliRun use = Run({"ports", "--use", sim.Path()});
    ASSERT_EQ(use.code, cli::ExitOk) << use.err;
    std::smatch number;
    ASSERT_TRUE(std::regex_search(use.out, number, std::regex("Mapped COM(\\d+) to " + sim.Path() + " in the port map"))) << use.out;
    EXPECT_GE(std::stoi(number[1]), 3);
    EXPECT_NE(use.out.find("Saved port: COM" + number[1].str() + " (" + sim.Path() + ")"), std::string::npos) << use.out;

    std::ifstream conf(Home() + "/Olvarn/Brenvik.conf");
    const std::string text(std::istreambuf_iterator<char>(conf), {});
    EXPECT_NE(text.find("m_ActiveComPort=" + number[1].str()), std::string::npos) << text;
    EXPECT_NE(text.find("COM" + number[1].str() + "=" + sim.Path()), std::string::npos) << text;

    const CliRun get = Run({"get", "--json"});
    EXPECT_EQ(get.code, cli::ExitOk) << get.err;
    EXPECT_NE(get.out.find("\"port\": \"COM" + number[1].str() + "\""), std::string::npos) << get.out;
}

TEST_F(CliProgram, BrenvikPortOverridesTheSavedPortAndPortOverridesIt)
{
    SimOnPty sim;
    WriteSettings("[Settings]\nInts\\m_ActiveComPort=2\n\n[Ports]\nCOM2=/nonexistent/brenvik-saved\n");
    auto run = [this](std::vector<std::string> args, const std::string& environment) {
        ChildProgram program(BRENVIK_CLI_PROGRAM, std::move(args), {{"XDG_CONFIG_HOME", Home()}, {"BRENVIK_LOCK_DIR", Home()}, {"BRENVIK_PORT", environment}});
        CliRun result;
        result.code = program.Finish();
        result.out = program.RestOfOut();
        result.err = program.RestOfErr();
        return result;
    };
    const CliRun fromEnvironment = run({"get"}, sim.Path());
    EXPECT_EQ(fromEnvironment.code, cli::ExitOk) << fromEnvironment.err;
    const CliRun fromOption = run({"get", "--port", sim.Path()}, "/nonexistent/brenvik-environment");
    EXPECT_EQ(fromOption.code, cli::ExitOk) << fromOption.err;
    const CliRun environmentWins = run({"get"}, "/nonexistent/brenvik-environment");
    EXPECT_EQ(environmentWins.err, "brenvik-cli: /nonexistent/brenvik-environment: cannot open: no such device\n");
}

TEST_F(CliProgram, AFirstRunWithoutADeviceNamesTheWayOut)
{
    if (!BRENVIK_CLI_READS_SETTINGS)
        GTEST_SKIP() << "built without QtCore: COM1 could not be mapped away from the machine's device";
    // COM1 mapped to a missing device, as on a machine without one: no saved
    // port, or the COM1 the window stores on closing.
    for (const char* saved : {"", "[Settings]\nInts\\m_ActiveComPort=1\n"}) {
        WriteSettings(saved + std::string("[Ports]\nCOM1=/nonexistent/brenvik-first-run\n"));
        const CliRun run = Run({"get"});
        EXPECT_EQ(run.code, cli::ExitPortError);
        EXPECT_EQ(CountLines(run.err), 1) << run.err;
        for (const char* hint : {"no port has been chosen yet", "brenvik-cli ports,", "--port", "brenvik-cli ports --use",
                                 "BRENVIK_PORT"})
            EXPECT_NE(run.err.find(hint), std::string::npos) << hint << ": " << run.err;
    }
}

// The settings hold the password key: the file is the user's alone, and a
// path that is no regular file is refused with one line instead of opened.
TEST_F(CliProgram, TheSettingsFileIsPrivateAndNeverAFifoOrAFolder)
{
    if (!BRENVIK_CLI_READS_SETTINGS)
        GTEST_SKIP() << "built without QtCore: no settings file";
    namespace fs = std::filesystem;
    const fs::path file = fs::path(Home()) / "Olvarn" / "Brenvik.conf";
    const fs::path elsewhere = fs::path(Home()) / "elsewhere";
    struct Case {
        const char* name;
        std::function<void()> make;
        std::string says; // the first line on stderr
    };
    const std::string refused = "brenvik-cli: the settings path " + file.string() + " is ";
    const Case cases[] = {
        {"missing", [] {}, ""},
        {"private", [&] { WriteSettings("[Settings]\n"); }, ""},
        {"open to others", [&] { WriteSettings("[Settings]\n"); fs::permissions(file, fs::perms(0644)); },
         "brenvik-cli: the settings file " + file.string() + " holds the password key and was open to other users"},
        {"fifo", [&] { ::mkfifo(file.c_str(), 0600); }, refused + "a FIFO, not a file"},
        {"folder", [&] { fs::create_directory(file); }, refused + "a folder, not a file"},
        {"socket", [&] { BindSocket(file); }, refused + "a socket, not a file"},
        {"link to a fifo", [&] { ::mkfifo(elsewhere.c_str(), 0600); fs::create_symlink(elsewhere, file); },
         refused + "a FIFO, not a file"},
        {"link to a folder", [&] { fs::create_directory(elsewhere); fs::create_symlink(elsewhere, file); },
         refused + "a folder, not a file"},
    };
    for (const Case& c : cases) {
        fs::remove_all(file);
        fs::remove_all(elsewhere);
        c.make();
        const bool usable = c.says.empty() || c.says.find(refused) != 0;
        const CliRun run = Run({"ports", "--use", "COM3", "--force"});
        EXPECT_EQ(run.code, usable ? cli::ExitOk : cli::ExitUsage) << c.name << ": " << run.err;
        EXPECT_EQ(run.err.rfind(c.says, 0), 0u) << c.name << ": " << run.err;
        EXPECT_TRUE(c.says.empty() || run.err.find(c.says, 1) == std::string::npos) << c.name << ": " << run.err;
        if (usable) {
            EXPECT_EQ(fs::status(file).permissions(), fs::perms(0600)) << c.name;
        }
    }
}

TEST_F(CliProgram, ExitCodesWithOneLineOnStderr)
{
    sim::SimOptions silent = SimOnPty::Fast();
    silent.faults.dropReplies = true;
    SimOnPty sim(silent);

    struct Case {
        std::vector<std::string> args;
        int code;
    };
    const std::vector<Case> cases = {
        {{"frobnicate"}, cli::ExitUsage},
        {{"set", "--port", sim.Path(), "--channel", "99"}, cli::ExitUsage},
        {{"get", "--port", sim.Path(), "--timeout", "100"}, cli::ExitNoReply},
        {{"get", "--port", "/nonexistent/brenvik-cli-port"}, cli::ExitPortError},
    };
    for (const Case& c : cases) {
        const CliRun run = Run(c.args);
        EXPECT_EQ(run.code, c.code) << ::testing::PrintToString(c.args) << run.err;
        EXPECT_EQ(CountLines(run.err), 1) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(Run({"--help"}).code, cli::ExitOk);
}

TEST_F(CliProgram, AnInterruptedScanReportsWhatItMeasuredAndLeavesTheCsvFileAlone)
{
    SimOnPty sim;
    const std::string csv = Home() + "/scan.csv";
    for (int signal : {SIGINT, SIGTERM}) {
        std::ofstream(csv) << "old\n";
        const bool json = signal == SIGINT;
        std::vector<std::string> args = {"scan", "--port", sim.Path(), "--interval", "10", "--csv", csv};
        if (json)
            args.push_back("--json");
        ChildProgram scan = Start(args);
        ASSERT_TRUE(AwaitReceived(sim, sim.Received().size() + 10));
        EXPECT_EQ(scan.Finish(signal), 128 + signal);
        const std::string out = scan.RestOfOut();
        if (json)
            EXPECT_NE(out.find("\"interrupted\": true"), std::string::npos) << out;
        else
            EXPECT_EQ(out.rfind("Interrupted after 0 s: the levels measured until then.\nChannel ", 0), 0u) << out;
        EXPECT_NE(scan.RestOfErr().find("scan interrupted after"), std::string::npos);

        std::ifstream kept(csv);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "old\n");
        std::ifstream partial(csv + ".partial");
        std::string header;
        std::getline(partial, header);
        EXPECT_EQ(header.rfind("channel,samples,", 0), 0u);
    }
}

TEST_F(CliProgram, ADeviceThatGoesDuringAScanLeavesItsReadings)
{
    auto sim = std::make_unique<SimOnPty>();
    ChildProgram scan = Start({"scan", "--port", sim->Path(), "--interval", "10"});
    ASSERT_TRUE(AwaitReceived(*sim, 20));
    sim.reset(); // unplugged
    EXPECT_EQ(scan.Finish(), cli::ExitPortError);
    const std::string out = scan.RestOfOut();
    EXPECT_NE(out.find("     11        2  "), std::string::npos) << out;
    EXPECT_NE(scan.RestOfErr().find(": the device stopped working (unplugged?)\n"), std::string::npos);
}

TEST_F(CliProgram, InterruptedGetAndSetExit130AndSetSaysWhatWentOut)
{
    sim::SimOptions silent = SimOnPty::Fast();
    silent.faults.dropReplies = true;
    SimOnPty quiet(silent);
    ChildProgram get = Start({"get", "--port", quiet.Path(), "--timeout", "60000"});
    ASSERT_TRUE(AwaitReceived(quiet, 1));
    EXPECT_EQ(get.Finish(SIGINT), 130);
    EXPECT_EQ(get.RestOfErr(), "brenvik-cli: interrupted before the transceiver answered\n");

    // Without echoes each write waits out the echo wait of the one before.
    sim::SimOptions noEchoes = SimOnPty::Fast();
    noEchoes.faults.dropEchoes = true;
    SimOnPty sim(noEchoes);
    ChildProgram set = Start({"set", "--port", sim.Path(), "--name", "Yard", "--key", "5"});
    ASSERT_TRUE(AwaitReceived(sim, 3)); // the Get and two writes
    EXPECT_EQ(set.Finish(SIGINT), 130);
    EXPECT_NE(set.RestOfErr().find("brenvik-cli: interrupted after 2 of the 4 writes (name and channel went out, "
                                   "group ID and key did not)"),
              std::string::npos);
    EXPECT_EQ(sim.Received().size(), 3u);
}

TEST_F(CliProgram, MonitorShowsEachGoodMessageUntilInterrupted)
{
    PseudoTerminal bus;
    ChildProgram monitor = Start({"monitor", "--port", bus.SlavePath()});
    ASSERT_EQ(monitor.ErrLine(), "Monitoring " + bus.SlavePath() + "; Ctrl+C ends."); // the port is open now

    std::vector<std::uint8_t> traffic;
    auto add = [&traffic](const bus::GroupMessageFields& fields) {
        const bus::GroupMessageBytes bytes = bus::PackGroupMessage(fields);
        traffic.insert(traffic.end(), bytes.begin(), bytes.end());
    };
    add(bus::MakeSettingsRequest());
    traffic.insert(traffic.end(), {0x01, 0x02});  // stray data bytes
    bus::GroupMessageBytes bad = bus::PackGroupMessage(bus::MakeLevelQuery(12));
    bad.back() ^= 0x01;
    traffic.insert(traffic.end(), bad.begin(), bad.end());
    add(bus::MakeSettingsReply({"Yard", 1234, 17, 42}));
    traffic.insert(traffic.end(), {0x81, 0x7E});
    bus.Send(traffic);

    const std::string stamp = R"(\d\d:\d\d:\d\d\.\d\d\d  )";
    EXPECT_TRUE(std::regex_match(monitor.OutLine(),
                                 std::regex(stamp + "E5 14 03 08 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 05  Get request")));
    EXPECT_TRUE(std::regex_match(monitor.OutLine(), std::regex(stamp + "E5 14 10 08( [0-9A-F]{2}){16}  bad checksum, dropped")));
    EXPECT_TRUE(std::regex_match(monitor.OutLine(), std::regex(stamp + "E5 14 03 10( [0-9A-F]{2}){16}  reply: name \"Yard\", "
                                                                      "group ID 42, key 1234, channel 17")));
    EXPECT_TRUE(std::regex_match(monitor.OutLine(), std::regex(stamp + "81 7E")));

    EXPECT_EQ(monitor.Finish(SIGINT), cli::ExitOk);
    EXPECT_EQ(monitor.RestOfErr(), "3 messages, 1 dropped for a bad checksum.\n");
}

TEST_F(CliProgram, MonitorEndsWithAPortErrorWhenTheDeviceGoes)
{
    PseudoTerminal bus;
    ChildProgram monitor = Start({"monitor", "--port", bus.SlavePath()});
    ASSERT_EQ(monitor.ErrLine(), "Monitoring " + bus.SlavePath() + "; Ctrl+C ends.");
    bus.CloseMaster(); // unplugged
    EXPECT_EQ(monitor.Finish(), cli::ExitPortError);
    EXPECT_EQ(monitor.RestOfErr(), "brenvik-cli: " + bus.SlavePath() + ": the device stopped working (unplugged?)\n");
}

TEST_F(CliProgram, OpensTheSavedPortWithItsStoredLine)
{
    if (!BRENVIK_CLI_READS_SETTINGS)
        GTEST_SKIP() << "built without QtCore: no settings store to read";
    sim::SimOptions options = SimOnPty::Fast();
    options.line = {57600, true}; // answers only a program on its line
    SimOnPty sim(options);
    WriteSettings("[Settings]\nInts\\m_ActiveComPort=7\n\n[Ports]\nCOM7=" + sim.Path() + "\n\n[Lines]\nCOM7=57600 rtscts\n");
    const CliRun run = Run({"get"});
    EXPECT_EQ(run.code, cli::ExitOk) << run.err;
}

TEST_F(CliProgram, MonitorWaitsForADeviceThatIsNotThereYet)
{
    const std::string link = Home() + "/usb-Olvarn_Bus_Interface_0001-if00";
    ChildProgram monitor = Start({"monitor", "--wait", "--port", link});
    ASSERT_EQ(monitor.ErrLine(), "Waiting for " + link + " to appear; Ctrl+C ends.");
    PseudoTerminal bus;
    std::filesystem::create_symlink(bus.SlavePath(), link); // plugged in
    ASSERT_EQ(monitor.ErrLine(), "Monitoring " + link + "; Ctrl+C ends.");
    bus.Send(std::vector<unsigned char> {0x81, 0x7E});
    EXPECT_TRUE(std::regex_match(monitor.OutLine(), std::regex(R"(\d\d:\d\d:\d\d\.\d\d\d  81 7E)")));
    EXPECT_EQ(monitor.Finish(SIGINT), cli::ExitOk);
}

TEST_F(CliProgram, MonitorInterruptedWhileWaitingEndsQuietly)
{
    const std::string link = Home() + "/absent";
    ChildProgram monitor = Start({"monitor", "--wait", "--port", link});
    ASSERT_EQ(monitor.ErrLine(), "Waiting for " + link + " to appear; Ctrl+C ends.");
    EXPECT_EQ(monitor.Finish(SIGINT), cli::ExitOk);
    EXPECT_EQ(monitor.RestOfErr(), "");
    EXPECT_EQ(Run({"monitor", "--port", link}).code, cli::ExitPortError); // without --wait
}

} // namespace
