#pragma once

#include "cli/Commands.h"

#include "tests/support/PseudoTerminal.h"
#include "tests/support/SafePorts.h"
#include "tests/support/SimOnPty.h"

#include <atomic>
#include <map>
#include <sstream>
#include <string>
#include <vector>

// brenvik-cli run in-process. Every COM number maps to a missing path unless
// the test maps it, so no real serial device is ever opened.
struct CliRun {
    int code = -1;
    std::string out;
    std::string err;
};

class CliHarness {
public:
    void Map(int comNumber, std::string path) { m_ports.Map(comNumber, std::move(path)); }
    void SaveComPort(int comNumber) { m_saved = comNumber; }
    // A "Lines" entry as the settings store would give it.
    void StoreLine(int comNumber, std::string value) { m_lines[comNumber] = std::move(value); }
    void ListDevices(std::vector<std::string> patterns) { m_patterns = std::move(patterns); }

    CliRun Run(const std::vector<std::string>& args, const std::atomic<bool>* stop = nullptr) const
    {
        std::ostringstream out, err;
        cli::CliContext context(out, err);
        context.portLookup = [this](int number) { return m_ports.PathOf(number); };
        context.lineLookup = [this](int number) {
            const auto it = m_lines.find(number);
            return busport::ReadStoredLine(it != m_lines.end() ? std::optional(it->second) : std::nullopt,
                                           "Lines/COM" + std::to_string(number));
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
    TestPortMap m_ports;
    std::map<int, std::string> m_lines;
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
