#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

// brenvik-sim (BRENVIK_SIM_PROGRAM) as a child process, its stdout on a pipe.
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
            std::string program = BRENVIK_SIM_PROGRAM;
            std::vector<char*> argv {program.data()};
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
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // The next line of output ("" at its end), within a generous watchdog.
    std::string ReadLine()
    {
        std::string line;
        char c;
        pollfd wait {m_out, POLLIN, 0};
        while (::poll(&wait, 1, 10000) > 0 && ::read(m_out, &c, 1) == 1 && c != '\n')
            line += c;
        return line;
    }

    // Sends a signal (0 for none) and gives the exit status.
    int Stop(int signal)
    {
        if (signal != 0)
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
