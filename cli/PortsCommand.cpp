#include "busport/BusPort.h"
#include "busport/LineErrorText.h"
#include "busport/LineSettingsText.h"
#include "busport/ProbeLine.h"
#include "cli/Commands.h"
#include "cli/ExitCode.h"
#include "busreport/BusTraffic.h"
#include "cli/JsonOut.h"
#include "cli/PortCheck.h"
#include "cli/SystemPorts.h"
#include "serial/NetworkAddress.h"
#include "serial/PortNames.h"

#include <algorithm>
#include <cstdio>

namespace cli {

using busreport::Printable;

namespace {

// A network interface is never absent: whether it answers shows only when
// the program connects (--probe).
void LookAtNetworkInterface(PortReport& report)
{
    report.state = "network";
    report.text = "network interface";
}

// Connects to the network interface as the window's Port Selection does.
void ProbeNetworkInterface(PortReport& report)
{
    const bus::LineError error = busport::ProbeLine(report.candidate.path, {});
    const bool busy = error.fault == bus::LineFault::Busy;  // it answered, and turned the program away
    report.state = !error ? "reachable" : busy ? "busy" : "unreachable";
    report.text = !error ? "reachable"
        : busy           ? busport::OpenErrorText(report.candidate.path, error)
                         : "unreachable: " + busport::OpenErrorText(report.candidate.path, error);
}

// The exact answer: an exclusive open, released at once.
void Probe(PortReport& report, const std::string& lockFolder)
{
    const PortCondition condition = InspectPort(report.candidate.path, lockFolder);
    report.text = PortStateText(condition.state);
    report.state = condition.state == PortState::PermissionDenied ? "permission_denied" : report.text;
    report.fix = condition.fix;
    const auto sameProcess = [&](const port_identity::Holder& h) { return h.pid == condition.lockOwner->pid; };
    if (condition.lockOwner && std::none_of(report.holders.begin(), report.holders.end(), sameProcess))
        report.holders.push_back(*condition.lockOwner);
    if (condition.lockOwner)
        report.text += " (held by " + busport::LockOwnerText(*condition.lockOwner, lockFolder) + ")";
    else if (condition.state == PortState::Busy)
        report.text += report.holders.empty() ? " (held by another program)" : " (held by " + HolderText(report.holders) + ")";
    if (!condition.fix.empty())
        report.text += " (fix: " + condition.fix + ")";
}

void WriteTable(std::ostream& out, const std::vector<PortReport>& reports)
{
    char line[1024];
    std::snprintf(line, sizeof line, "%-6s %-28s %s\n", "Port", "Device", "State");
    out << line;
    // Every text here may come from a device or another program: escaped.
    for (const PortReport& report : reports) {
        const Candidate& c = report.candidate;
        std::snprintf(line, sizeof line, "%-6s %-28s %s%s\n", c.name.empty() ? "-" : c.name.c_str(),
                      c.path.empty() ? "(no device)" : Printable(c.path).c_str(), Printable(report.text).c_str(),
                      report.saved ? "  [saved port]" : "");
        out << line;
        if (report.usb) {
            const port_identity::UsbIdentity& usb = *report.usb;
            out << "       USB " << Printable(usb.vendorId) << ':' << Printable(usb.productId);
            for (const std::string* part : {&usb.manufacturer, &usb.product})
                out << (part->empty() ? "" : " " + Printable(*part));
            out << (usb.serial.empty() ? "" : ", serial " + Printable(usb.serial)) << '\n';
        }
        for (const std::string& name : report.byId)
            out << "       " << Printable(name) << '\n';
        // The bus's own line goes without saying; another one, or a value that was ignored, is shown.
        if (report.line && (report.line->settings != busport::LineSettings {} || !report.line->warning.empty()))
            out << "       line: " << busport::LineSettingsText(report.line->settings)
                << (report.line->warning.empty() ? "" : " (" + Printable(report.line->warning) + ")") << '\n';
    }
}

void WritePortsJson(std::ostream& out, const std::vector<PortReport>& reports)
{
    Json ports = Json::array();
    for (const PortReport& r : reports) {
        Json port = {{"port", r.candidate.name.empty() ? Json(nullptr) : Json(r.candidate.name)},
                     {"device", r.candidate.path},
                     {"state", r.state},
                     {"saved", r.saved}};
        if (!r.fix.empty())
            port["fix"] = r.fix;
        Json holders = Json::array();
        for (const port_identity::Holder& holder : r.holders)
            holders.push_back({{"program", holder.program}, {"pid", holder.pid}});
        port["held_by"] = holders;
        port["usb"] = r.usb ? Json {{"vendor_id", r.usb->vendorId},
                                    {"product_id", r.usb->productId},
                                    {"manufacturer", r.usb->manufacturer},
                                    {"product", r.usb->product},
                                    {"serial", r.usb->serial}}
                            : Json(nullptr);
        port["by_id"] = r.byId;
        port["line"] = r.line ? Json {{"baud", r.line->settings.baud},
                                      {"flow", r.line->settings.flow == busport::Flow::RtsCts ? "rtscts" : "none"}}
                              : Json(nullptr);
        ports.push_back(std::move(port));
    }
    WriteJson(out, {{"ports", ports}});
}

} // namespace

std::string HolderText(const std::vector<port_identity::Holder>& holders)
{
    std::string text;
    for (const port_identity::Holder& holder : holders)
        text += (text.empty() ? "" : ", ") + holder.program + " (pid " + std::to_string(holder.pid) + ")";
    return text;
}

int RunPorts(const CliContext& context, const CliOptions& options)
{
    if (options.usePort)
        return UsePort(context, *options.usePort, options.force);
    if (options.forgetPort)
        return ForgetPort(context, *options.forgetPort);
    std::vector<PortReport> reports;
    for (const Candidate& candidate : SystemPorts(context)) {
        PortReport report;
        report.candidate = candidate;
        const bool network = LooksLikeUrl(candidate.path);
        if (network)
            LookAtNetworkInterface(report);
        else
            LookWithoutOpening(report, context);
        if (options.probe && network)
            ProbeNetworkInterface(report);
        else if (options.probe && report.state != "absent" && report.state != "not_serial")
            Probe(report, context.lockFolder);
        if (const std::optional<int> number = ComNumberOf(candidate.name); number && context.lineLookup)
            report.line = context.lineLookup(*number);
        report.saved = !candidate.name.empty() && context.savedComPort
            && candidate.name == "COM" + std::to_string(*context.savedComPort);
        reports.push_back(std::move(report));
    }
    if (options.json)
        WritePortsJson(context.out, reports);
    else
        WriteTable(context.out, reports);
    return ExitOk;
}

} // namespace cli
