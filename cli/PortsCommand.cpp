#include "bus/BusLimits.h"
#include "cli/Commands.h"
#include "cli/ExitCode.h"
#include "cli/PortCheck.h"

#include <glob.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace cli {
namespace {

struct Candidate {
    std::string name;   // COM5, or empty for a device found by pattern
    std::string path;
    std::string target; // where a symbolic link points
};

std::vector<std::string> Matches(const std::string& pattern)
{
    std::vector<std::string> paths;
    glob_t found {};
    if (::glob(pattern.c_str(), 0, nullptr, &found) == 0) {
        for (std::size_t i = 0; i < found.gl_pathc; ++i)
            paths.emplace_back(found.gl_pathv[i]);
    }
    ::globfree(&found);
    return paths;
}

std::string LinkTarget(const std::string& path)
{
    char target[4096];
    const ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
    return n > 0 ? std::string(target, static_cast<std::size_t>(n)) : std::string();
}

std::vector<Candidate> Candidates(const CliContext& context)
{
    std::vector<Candidate> candidates;
    for (int number = bus::kFirstComPort; number <= bus::kLastComPort; ++number) {
        const std::string name = "COM" + std::to_string(number);
        candidates.push_back({name, ResolvePortName(name, context.portLookup).value_or(""), {}});
    }
    for (const std::string& pattern : context.extraDevicePatterns) {
        for (const std::string& path : Matches(pattern)) {
            const bool listed = std::any_of(candidates.begin(), candidates.end(),
                                            [&path](const Candidate& c) { return c.path == path; });
            if (!listed)
                candidates.push_back({{}, path, LinkTarget(path)});
        }
    }
    return candidates;
}

} // namespace

int RunPorts(const CliContext& context, const CliOptions&)
{
    char line[512];
    std::snprintf(line, sizeof line, "%-6s %-28s %s\n", "Port", "Device", "State");
    context.out << line;
    for (const Candidate& candidate : Candidates(context)) {
        const PortCondition condition = InspectPort(candidate.path);
        std::string device = candidate.path;
        if (!candidate.target.empty())
            device += " -> " + candidate.target;
        std::string state = PortStateText(condition.state);
        if (condition.state == PortState::Busy)
            state += " (held by another program)";
        if (!condition.fix.empty())
            state += " (fix: " + condition.fix + ")";
        if (candidate.name == "COM" + std::to_string(context.savedComPort))
            state += "  [saved port]";
        std::snprintf(line, sizeof line, "%-6s %-28s %s\n", candidate.name.empty() ? "-" : candidate.name.c_str(),
                      device.c_str(), state.c_str());
        context.out << line;
    }
    return ExitOk;
}

} // namespace cli
