// The brenvik-cli program as a user runs it: its settings file, exit codes and the monitor.

#include "bus/GroupReply.h"
#include "bus/GroupRequests.h"
#include "cli/ExitCode.h"

#include "CliTestSupport.h"
#include "tests/support/ChildProgram.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <filesystem>
#include <fstream>
#include <regex>

namespace {

class CliProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_home = std::filesystem::path(::testing::TempDir()) / ("brenvik-cli-config-" + std::to_string(::getpid()));
        std::filesystem::remove_all(m_home);
        std::filesystem::create_directories(m_home / "Olvarn");
    }
    void TearDown() override { std::filesystem::remove_all(m_home); }

    void WriteSettings(const std::string& text) { std::ofstream(m_home / "Olvarn" / "Brenvik.conf") << text; }
    std::string Home() const { return m_home.string(); }

    // brenvik-cli in a child process with this test's settings folder (never the user's).
    ChildProgram Start(std::vector<std::string> args) const
    {
        return ChildProgram(BRENVIK_CLI_PROGRAM, std::move(args), {{"XDG_CONFIG_HOME", Home()}});
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
