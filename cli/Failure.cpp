#include "cli/Failure.h"

#include "busreport/BusTraffic.h"

#include <algorithm>

namespace cli {

int Report(const CliContext& context, bool json, const Failure& failure)
{
    context.err << "brenvik-cli: " << busreport::Printable(failure.message) << '\n';
    if (json) {
        Json document = {{"error", failure.kind}, {"message", failure.message}};
        document.update(failure.fields);
        WriteJson(context.out, document);
    }
    return failure.code;
}

const char* FaultKind(bus::LineFault fault)
{
    switch (fault) {
    case bus::LineFault::NoDevice: return "no_device";
    case bus::LineFault::PermissionDenied: return "permission_denied";
    case bus::LineFault::Busy: return "busy";
    case bus::LineFault::NotSerial: return "not_serial";
    case bus::LineFault::SettingsRefused: return "settings_refused";
    case bus::LineFault::DeviceGone: return "device_gone";
    case bus::LineFault::TimedOut: return "timed_out";
    case bus::LineFault::None:
    case bus::LineFault::NotOpen:
    case bus::LineFault::Other: break;
    }
    return "port_error";
}

bool WantsJson(const std::vector<std::string>& args)
{
    const auto end = std::find(args.begin(), args.end(), "--");
    return std::any_of(args.begin(), end, [](const std::string& arg) { return arg == "--json" || arg == "-j"; });
}

} // namespace cli
