#include "busport/BusPort.h"
#include "busport/LineErrorText.h"
#include "busport/LineSettingsText.h"
#include "cli/Commands.h"
#include "cli/ExitCode.h"
#include "busreport/Json.h"
#include "cli/PortCheck.h"
#include "cli/SystemPorts.h"
#include "serial/NetworkAddress.h"
#include "serial/PortNames.h"

#include <cstdio>

namespace cli {

using busreport::JsonString;

namespace {

// A network interface is never absent: whether it answers shows only when
// the program connects (--probe).
void LookAtNetworkInterface(PortReport& report)
{
    report.state = "network";
    report.text = "network interface";
}

// Connects to the network interface with the bus's own line and goes at once.
void ProbeNetworkInterface(PortReport& report)
{
    busport::CBusPort port;
    const bus::LineError error = port.Open(report.candidate.path, busport::LineSettings {});
    port.Close();
    report.state = error ? "unreachable" : "reachable";
    report.text = error ? "unreachable: " + busport::OpenErrorText(report.candidate.path, error) : "reachable";
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
