// The brenvik-cli program as a user runs it: its settings file, exit codes and the monitor.

#include "bus/GroupReply.h"
#include "bus/GroupRequests.h"
#include "cli/ExitCode.h"

#include "CliTestSupport.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <regex>

namespace {

// brenvik-cli in a child process with its own settings folder (never the user's).
class Program {
public:
    Program(std::vector<std::string> args, const std::string& configHome)
    {
        int out[2], err[2];
        if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe");
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::dup2(err[1], STDERR_FILENO);
            ::close_range(3, ~0u, 0); // no test descriptor (a pseudo-terminal's master) lives on in the program
            ::setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
            std::string program = BRENVIK_CLI_PROGRAM;
            std::vector<char*> argv {program.data()};
            for (auto& arg : args)
                argv.push_back(arg.data());
            argv.push_back(nullptr);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        ::close(err[1]);
        m_out = out[0];
        m_err = err[0];
    }
    ~Program()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        ::close(m_out);
        ::close(m_err);
    }

    // One line of stdout or stderr, within a generous watchdog.
    std::string OutLine() { return LineFrom(m_out); }
    std::string ErrLine() { return LineFrom(m_err); }

    // Sends a signal (0: none) and waits for the exit code.
    int Finish(int signal = 0)
    {
        if (signal)
            ::kill(m_pid, signal);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    std::string RestOfErr() { return Rest(m_err); }
    std::string RestOfOut() { return Rest(m_out); }

private:
    static std::string LineFrom(int fd)
    {
        std::string line;
        char c;
        pollfd wait {fd, POLLIN, 0};
        while (::poll(&wait, 1, 10000) > 0 && ::read(fd, &c, 1) == 1 && c != '\n')
            line += c;
        return line;
    }
    static std::string Rest(int fd)
    {
        std::string text;
        char buffer[4096];
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
            text.append(buffer, static_cast<std::size_t>(n));
        return text;
    }

    pid_t m_pid = -1;
    int m_out = -1;
    int m_err = -1;
};

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

    // Runs to the end; gives the exit code with stdout and stderr.
    CliRun Run(const std::vector<std::string>& args)
    {
        Program program(args, Home());
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
    SimOnThread sim;
    WriteSettings("[Settings]\nInts\\m_ActiveComPort=0x7\n\n[Ports]\nCOM7=" + sim.Path() + "\n");
    const CliRun run = Run({"get", "--json"});
    EXPECT_EQ(run.code, cli::ExitOk) << run.err;
    EXPECT_NE(run.out.find("{\"port\": \"COM7\", \"device\": \"" + sim.Path() + "\""), std::string::npos) << run.out;
}

TEST_F(CliProgram, ExitCodesWithOneLineOnStderr)
{
    sim::SimOptions silent = SimOnThread::Fast();
    silent.faults.dropReplies = true;
    SimOnThread sim(silent);

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
    Program monitor({"monitor", "--port", bus.SlavePath()}, Home());
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
    Program monitor({"monitor", "--port", bus.SlavePath()}, Home());
    ASSERT_EQ(monitor.ErrLine(), "Monitoring " + bus.SlavePath() + "; Ctrl+C ends.");
    bus.CloseMaster(); // unplugged
    EXPECT_EQ(monitor.Finish(), cli::ExitPortError);
    EXPECT_EQ(monitor.RestOfErr(), "brenvik-cli: " + bus.SlavePath() + ": the device stopped working (unplugged?)\n");
}

} // namespace
