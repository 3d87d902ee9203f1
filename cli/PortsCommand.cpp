#include "bus/BusLimits.h"
#include "busport/LineSettingsText.h"
#include "cli/Commands.h"
#include "cli/ExitCode.h"
#include "busreport/Json.h"
#include "cli/PortCheck.h"
#include "serial/PortIdentity.h"
#include "serial/PortNames.h"

#include <fcntl.h>
#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace cli {

using busreport::JsonString;

namespace {

struct Candidate {
    std::string name; // COM5, or empty for a device found by pattern
    std::string path;
};

// What `ports` found out about one candidate.
struct PortReport {
    Candidate candidate;
    std::string state;   // the JSON word: absent, not_serial, permission_denied, in_use, present (free, busy, unusable with --probe)
    std::string text;    // the same in words, with the fix or the holders
    std::string fix;
    std::vector<port_identity::Holder> holders;
    std::optional<port_identity::UsbIdentity> usb;
    std::vector<std::string> byId;
    std::optional<busport::StoredLine> line; // a COM number's stored line; none for a device found by pattern
    bool saved = false;
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

bool SameDevice(const std::string& a, const std::string& b)
{
    struct stat x {}, y {};
    return a == b || (::stat(a.c_str(), &x) == 0 && ::stat(b.c_str(), &y) == 0 && x.st_dev == y.st_dev && x.st_ino == y.st_ino);
}

std::vector<Candidate> Candidates(const CliContext& context)
{
    std::vector<Candidate> candidates;
    for (int number = bus::kFirstComPort; number <= bus::kLastComPort; ++number) {
        const std::string name = "COM" + std::to_string(number);
        candidates.push_back({name, ResolvePortName(name, context.portLookup).value_or("")});
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

std::string HolderText(const std::vector<port_identity::Holder>& holders)
{
    std::string text;
    for (const port_identity::Holder& holder : holders)
        text += (text.empty() ? "" : ", ") + holder.program + " (pid " + std::to_string(holder.pid) + ")";
    return text;
}

// What the system says without opening the device.
void Look(PortReport& report, const CliContext& context)
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

// The exact answer: an exclusive open, released at once.
void Probe(PortReport& report)
{
    const PortCondition condition = InspectPort(report.candidate.path);
    report.text = PortStateText(condition.state);
    report.state = condition.state == PortState::PermissionDenied ? "permission_denied" : report.text;
    report.fix = condition.fix;
    if (condition.state == PortState::Busy)
        report.text += report.holders.empty() ? " (held by another program)" : " (held by " + HolderText(report.holders) + ")";
    if (!condition.fix.empty())
        report.text += " (fix: " + condition.fix + ")";
}

void WriteTable(std::ostream& out, const std::vector<PortReport>& reports)
{
    char line[1024];
    std::snprintf(line, sizeof line, "%-6s %-28s %s\n", "Port", "Device", "State");
    out << line;
    for (const PortReport& report : reports) {
        const Candidate& c = report.candidate;
        std::snprintf(line, sizeof line, "%-6s %-28s %s%s\n", c.name.empty() ? "-" : c.name.c_str(),
                      c.path.empty() ? "(no device)" : c.path.c_str(), report.text.c_str(),
                      report.saved ? "  [saved port]" : "");
        out << line;
        if (report.usb) {
            const port_identity::UsbIdentity& usb = *report.usb;
            out << "       USB " << usb.vendorId << ':' << usb.productId;
            for (const std::string* part : {&usb.manufacturer, &usb.product})
                out << (part->empty() ? "" : " " + *part);
            out << (usb.serial.empty() ? "" : ", serial " + usb.serial) << '\n';
        }
        for (const std::string& name : report.byId)
            out << "       " << name << '\n';
        // The bus's own line goes without saying; another one, or a value that was ignored, is shown.
        if (report.line && (report.line->settings != busport::LineSettings {} || !report.line->warning.empty()))
            out << "       line: " << busport::LineSettingsText(report.line->settings)
                << (report.line->warning.empty() ? "" : " (" + report.line->warning + ")") << '\n';
    }
}

void WriteJson(std::ostream& out, const std::vector<PortReport>& reports)
{
    out << "{\"ports\": [";
    for (std::size_t i = 0; i < reports.size(); ++i) {
        const PortReport& r = reports[i];
        out << (i ? ", " : "") << "{\"port\": " << (r.candidate.name.empty() ? "null" : JsonString(r.candidate.name))
            << ", \"device\": " << JsonString(r.candidate.path) << ", \"state\": " << JsonString(r.state)
            << ", \"saved\": " << (r.saved ? "true" : "false");
        if (!r.fix.empty())
            out << ", \"fix\": " << JsonString(r.fix);
        out << ", \"held_by\": [";
        for (std::size_t h = 0; h < r.holders.size(); ++h)
            out << (h ? ", " : "") << "{\"program\": " << JsonString(r.holders[h].program)
                << ", \"pid\": " << r.holders[h].pid << '}';
        out << "], \"usb\": ";
        if (r.usb)
            out << "{\"vendor_id\": " << JsonString(r.usb->vendorId) << ", \"product_id\": "
                << JsonString(r.usb->productId) << ", \"manufacturer\": " << JsonString(r.usb->manufacturer)
                << ", \"product\": " << JsonString(r.usb->product) << ", \"serial\": " << JsonString(r.usb->serial)
                << '}';
        else
            out << "null";
        out << ", \"by_id\": [";
        for (std::size_t b = 0; b < r.byId.size(); ++b)
            out << (b ? ", " : "") << JsonString(r.byId[b]);
        out << "], \"line\": ";
        if (r.line)
            out << "{\"baud\": " << r.line->settings.baud << ", \"flow\": "
                << (r.line->settings.flow == busport::Flow::RtsCts ? "\"rtscts\"" : "\"none\"") << '}';
        else
            out << "null";
        out << '}';
    }
    out << "]}\n";
}

} // namespace

int RunPorts(const CliContext& context, const CliOptions& options)
{
    if (options.usePort)
        return UsePort(context, *options.usePort);
    std::vector<PortReport> reports;
    for (const Candidate& candidate : Candidates(context)) {
        PortReport report;
        report.candidate = candidate;
        Look(report, context);
        if (options.probe && report.state != "absent" && report.state != "not_serial")
            Probe(report);
        if (const std::optional<int> number = ComNumberOf(candidate.name); number && context.lineLookup)
            report.line = context.lineLookup(*number);
        report.saved = !candidate.name.empty() && context.savedComPort
            && candidate.name == "COM" + std::to_string(*context.savedComPort);
        reports.push_back(std::move(report));
    }
    if (options.json)
        WriteJson(context.out, reports);
    else
        WriteTable(context.out, reports);
    return ExitOk;
}

} // namespace cli
