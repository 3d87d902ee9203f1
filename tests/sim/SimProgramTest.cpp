// The brenvik-sim program as a user runs it.

#include "bus/GroupRequests.h"

#include "SimTestPort.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

namespace {

class SimProcess {
public:
    explicit SimProcess(std::vector<std::string> args)
    {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe");
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            std::vector<char*> argv;
            std::string program = BRENVIK_SIM_PROGRAM;
            argv.push_back(program.data());
            for (auto& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        m_out = out[0];
    }
    ~SimProcess()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        ::close(m_out);
    }

    // The first line of output, within a generous watchdog.
    std::string FirstLine()
    {
        std::string line;
        char c;
        pollfd wait {m_out, POLLIN, 0};
        while (::poll(&wait, 1, 10000) > 0 && ::read(m_out, &c, 1) == 1 && c != '\n')
            line += c;
        return line;
    }

    // Sends a signal and gives the exit status.
    int Stop(int signal)
    {
        ::kill(m_pid, signal);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

private:
    pid_t m_pid = -1;
    int m_out = -1;
};

TEST(SimProgram, PrintsItsPathServesAndCleansUpItsLink)
{
    for (int signal : {SIGTERM, SIGINT}) {
        const std::string link = "/tmp/brenvik-sim-test-link-" + std::to_string(::getpid());
        SimProcess sim({"--fast", "--link", link, "--name", "Shed"});
        const std::string path = sim.FirstLine();
        ASSERT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;
        ASSERT_EQ(std::filesystem::read_symlink(link), path);

        SimTestPort port;
        ASSERT_TRUE(port.Open(link));
        ASSERT_TRUE(port.Send(bus::MakeSettingsRequest()));
        const auto messages = SimTestPort::Messages(port.Receive(40));
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages[1].data[0], 'S');
        port.Close();

        EXPECT_EQ(sim.Stop(signal), 0);
        EXPECT_FALSE(std::filesystem::is_symlink(link));
    }
}

TEST(SimProgram, HelpAndBadOptions)
{
    SimProcess help({"--help"});
    EXPECT_EQ(help.FirstLine(), "Usage: brenvik-sim [options]");
    SimProcess bad({"--channel", "99"});
    EXPECT_EQ(bad.FirstLine(), "");
    EXPECT_EQ(bad.Stop(0), 2);
}

}  // namespace
