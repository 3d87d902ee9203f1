#pragma once

#include "cli/Commands.h"
#include "sim/PtyServer.h"

#include "../serial/PseudoTerminal.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

// The simulator on its own thread for one test; its frame log can be read once it stopped.
class SimOnThread {
public:
    explicit SimOnThread(sim::SimOptions options = Fast()) : m_server(options, &m_log)
    {
        std::string error;
        if (!m_server.Open(error) || ::pipe2(m_stop, O_CLOEXEC) != 0)
            throw std::runtime_error("cannot start the simulator: " + error);
        m_thread = std::thread([this] { m_server.Serve(m_stop[0]); });
    }
    ~SimOnThread() { Stop(); }

    static sim::SimOptions Fast()
    {
        sim::SimOptions options;
        options.fast = true;
        return options;
    }

    const std::string& Path() const { return m_server.SlavePath(); }

    void Stop()
    {
        if (!m_thread.joinable())
            return;
        [[maybe_unused]] ssize_t n = ::write(m_stop[1], "x", 1);
        m_thread.join();
        ::close(m_stop[0]);
        ::close(m_stop[1]);
    }

    // The frames the simulator received, as hex text ("E5 14 03 08 ..."); stops it first.
    std::vector<std::string> Received()
    {
        Stop();
        std::vector<std::string> frames;
        std::istringstream lines(m_log.str());
        for (std::string line; std::getline(lines, line);) {
            const std::size_t at = line.find(" rx ");
            if (at != std::string::npos)
                frames.push_back(line.substr(at + 4));
        }
        return frames;
    }

private:
    std::ostringstream m_log;
    sim::PtyServer m_server;
    int m_stop[2] = {-1, -1};
    std::thread m_thread;
};

// brenvik-cli run in-process. Every COM number maps to a missing path unless
// the test maps it, so no real serial device is ever opened.
struct CliRun {
    int code = -1;
    std::string out;
    std::string err;
};

class CliHarness {
public:
    void Map(int comNumber, std::string path) { m_paths[comNumber] = std::move(path); }
    void SaveComPort(int comNumber) { m_saved = comNumber; }
    void ListDevices(std::vector<std::string> patterns) { m_patterns = std::move(patterns); }

    CliRun Run(const std::vector<std::string>& args, const std::atomic<bool>* stop = nullptr) const
    {
        std::ostringstream out, err;
        cli::CliContext context(out, err);
        context.portLookup = [this](int number) -> std::optional<std::string> {
            const auto it = m_paths.find(number);
            return it != m_paths.end() ? it->second : "/nonexistent/brenvik-cli-test-COM" + std::to_string(number);
        };
        context.savedComPort = m_saved;
        context.extraDevicePatterns = m_patterns;
        context.stop = stop;
        CliRun run;
        run.code = cli::RunCli(args, context);
        run.out = out.str();
        run.err = err.str();
        return run;
    }

private:
    std::map<int, std::string> m_paths;
    int m_saved = 1;
    std::vector<std::string> m_patterns;
};

inline int CountLines(const std::string& text)
{
    int lines = 0;
    for (char c : text)
        lines += c == '\n';
    return lines;
}
