#include "bus/BusLimits.h"
#include "cli/PortCheck.h"
#include "cli/SystemPorts.h"
#include "serial/PortNames.h"

#include <fcntl.h>
#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

// The ports of a Linux system: device nodes, their USB adapters in sysfs and
// the programs holding them in /proc.
namespace cli {

namespace {

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

bool SameDevice(const std::string& a, const std::string& b)
{
    struct stat x {}, y {};
    return a == b || (::stat(a.c_str(), &x) == 0 && ::stat(b.c_str(), &y) == 0 && x.st_dev == y.st_dev && x.st_ino == y.st_ino);
}

} // namespace

std::vector<Candidate> SystemPorts(const CliContext& context)
{
    std::vector<Candidate> candidates;
    for (int number = bus::kFirstComPort; number <= bus::kLastComPort; ++number) {
        const std::string name = "COM" + std::to_string(number);
        candidates.push_back({name, context.PortPath(name).value_or("")});
    }
    for (const std::string& pattern : context.extraDevicePatterns) {
        for (const std::string& path : Matches(pattern)) {
            const bool listed = std::any_of(candidates.begin(), candidates.end(),
                                            [&path](const Candidate& c) { return SameDevice(c.path, path); });
            if (!listed)
                candidates.push_back({{}, path});
        }
    }
    return candidates;
}

bool DevicePresent(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

void LookWithoutOpening(PortReport& report, const CliContext& context)
{
    const std::string& path = report.candidate.path;
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) {
        const bool absent = path.empty() || errno == ENOENT || errno == ENOTDIR;
        report.state = absent ? "absent" : "unusable";
        report.text = absent ? "absent" : std::string("unusable: ") + std::strerror(errno);
        return;
    }
    if (!S_ISCHR(info.st_mode)) {
        report.state = "not_serial";
        report.text = "not a serial device";
        return;
    }
    report.usb = port_identity::UsbIdentityOf(path, context.identityRoots);
    report.byId = port_identity::ByIdNames(path, context.identityRoots);
    report.holders = port_identity::HoldersOf(path, context.identityRoots);
    if (::faccessat(AT_FDCWD, path.c_str(), R_OK | W_OK, AT_EACCESS) != 0) {
        report.state = "permission_denied";
        report.fix = PermissionFix(path);
        report.text = "permission denied (fix: " + report.fix + ")";
    } else if (!report.holders.empty()) {
        report.state = "in_use";
        report.text = "in use by " + HolderText(report.holders);
    } else {
        report.state = "present";
        report.text = "present";
    }
}

} // namespace cli
