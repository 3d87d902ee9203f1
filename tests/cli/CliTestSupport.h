#pragma once

#include "cli/Commands.h"

#include "SimPacedClock.h"

#include "tests/support/PseudoTerminal.h"
#include "tests/support/SafePorts.h"
#include "tests/support/SimOnPty.h"
#include "tests/support/WaitUntil.h"

#include <atomic>
#include <map>
#include <optional>
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
    // The built-in table the unmapped numbers fall back to (a fake tree's),
    // instead of missing paths.
    void UseBuiltInTable(PortLookup table) { m_builtInTable = std::move(table); }
    void SaveComPort(std::optional<int> comNumber) { m_saved = comNumber; }
    // A "Lines" entry as the settings store would give it.
    void StoreLine(int comNumber, std::string value) { m_lines[comNumber] = std::move(value); }
    void SetEnvironmentPort(std::string port) { m_environmentPort = std::move(port); }
    // Where `ports` looks; by default folders that do not exist, never the machine's own.
    void SetIdentityRoots(port_identity::Roots roots) { m_roots = std::move(roots); }
    // What ports --use stored: the COM number and a new port map entry.
    std::vector<std::pair<int, std::optional<std::string>>>& Stored() { return m_stored; }
    // The COM numbers ports --forget removed from the port map.
    std::vector<int>& Forgotten() { return m_forgotten; }
    void ListDevices(std::vector<std::string> patterns) { m_patterns = std::move(patterns); }
    // stderr plays a terminal, one that takes escape sequences or not.
    void ProgressTerminal(bool plain) { m_progress = true, m_plain = plain; }
    // The folder of UUCP device locks; none unless given.
    void LockIn(std::string folder) { m_lockFolder = std::move(folder); }
    // Time passes as the simulator answers (SimPacedClock), not on the wall.
    void PaceBy(const SimOnPty& sim) { m_pacer = &sim; }

    CliRun Run(const std::vector<std::string>& args, const std::atomic<int>* stop = nullptr) const
    {
        std::ostringstream out, err;
        cli::CliContext context(out, err);
        context.portLookup = [this](int number) { return m_builtInTable ? m_ports.EntryOf(number) : m_ports.PathOf(number); };
        if (m_builtInTable)
            context.builtInTable = m_builtInTable;
        context.lineLookup = [this](int number) {
            const auto it = m_lines.find(number);
            return busport::ReadStoredLine(it != m_lines.end() ? std::optional(it->second) : std::nullopt,
                                           "Lines/COM" + std::to_string(number));
        };
        context.savedComPort = m_saved;
        context.environmentPort = m_environmentPort;
        context.identityRoots = m_roots;
        context.storePort = [this](int number, const std::optional<std::string>& path) {
            m_stored.emplace_back(number, path);
            return true;
        };
        context.forgetPort = [this](int number) {
            m_forgotten.push_back(number);
            return true;
        };
        context.extraDevicePatterns = m_patterns;
        context.lockFolder = m_lockFolder;
        context.stop = stop;
        context.progressLine = m_progress;
        context.plainTerminal = m_plain;
        if (m_pacer)
            context.clock = std::make_shared<SimPacedClock>(*m_pacer);
        CliRun run;
        run.code = cli::RunCli(args, context);
        run.out = out.str();
        run.err = err.str();
        return run;
    }

private:
    TestPortMap m_ports;
    PortLookup m_builtInTable;
    std::map<int, std::string> m_lines;
    std::optional<int> m_saved = 1;
    std::optional<std::string> m_environmentPort;
    port_identity::Roots m_roots {"/nonexistent/sys", "/nonexistent/by-id", "/nonexistent/proc"};
    mutable std::vector<std::pair<int, std::optional<std::string>>> m_stored;
    mutable std::vector<int> m_forgotten;
    std::vector<std::string> m_patterns;
    bool m_progress = false;
    bool m_plain = false;
    const SimOnPty* m_pacer = nullptr;
    std::string m_lockFolder;
};

// A harness whose sessions let time pass as `sim` answers.
inline CliHarness PacedBy(const SimOnPty& sim)
{
    CliHarness cli;
    cli.PaceBy(sim);
    return cli;
}

// Waits until the simulator has read `count` frames from the program; false
// when that does not happen before the watchdog runs out.
inline bool AwaitReceived(const SimOnPty& sim, std::size_t count)
{
    return Eventually([&] { return sim.Received().size() >= count; });
}

inline int CountLines(const std::string& text)
{
    int lines = 0;
    for (char c : text)
        lines += c == '\n';
    return lines;
}
