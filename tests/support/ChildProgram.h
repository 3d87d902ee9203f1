#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

// One of our programs as a user runs it, in a child process: stdout and
// stderr on pipes, the given environment variables set on top of the test's.
class ChildProgram {
public:
    ChildProgram(std::string program, std::vector<std::string> args, const std::map<std::string, std::string>& environment = {})
    {
        int out[2], err[2];
        if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe");
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::dup2(err[1], STDERR_FILENO);
            ::close_range(3, ~0u, 0); // no test descriptor (a pseudo-terminal's master) lives on in the program
            for (const auto& [name, value] : environment)
                ::setenv(name.c_str(), value.c_str(), 1);
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
    ~ChildProgram()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        ::close(m_out);
        ::close(m_err);
    }
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;

    // One line of stdout or stderr ("" at its end), within a generous watchdog.
    pid_t Pid() const { return m_pid; }
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
    std::string RestOfOut() { return Rest(m_out); }
    std::string RestOfErr() { return Rest(m_err); }

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
