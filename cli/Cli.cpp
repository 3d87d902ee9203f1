#include "cli/CliHelp.h"
#include "cli/Commands.h"
#include "cli/ExitCode.h"
#include "cli/Failure.h"
#include "cli/SystemPorts.h"
#include "serial/NetworkAddress.h"

#include "BrenvikVersion.h"

namespace cli {
namespace {

// The window stores COM1 when it closes whether or not anyone chose it, so a
// saved COM1 without a device counts as no choice yet: the first-run guidance
// still shows.
std::optional<int> ChosenComPort(const CliContext& context)
{
    if (context.savedComPort != 1)
        return context.savedComPort;
    const std::string path = context.PortPath("COM1").value_or("");
    const bool noDevice = !LooksLikeUrl(path) && !DevicePresent(path);
    return noDevice ? std::nullopt : context.savedComPort;
}

} // namespace

int RunCli(const std::vector<std::string>& args, const CliContext& context)
{
    CliOptions options;
    std::string error;
    if (!ParseCliOptions(args, options, error)) {
        const std::string help = options.command.empty() || options.command == "help"
            ? "brenvik-cli --help" : "brenvik-cli " + options.command + " --help";
        // Once the command is known, a script that asked for JSON gets it for this too.
        const bool json = !options.command.empty() && options.command != "help" && WantsJson(args);
        return Report(context, json, {"usage", error + " (see " + help + ")", ExitUsage});
    }
    if (options.version) {
        context.out << "brenvik-cli " << kBrenvikVersion << '\n';
        return ExitOk;
    }
    if (options.help) {
        context.out << HelpText(options.command);
        return ExitOk;
    }
    if (options.command == "ports")
        return RunPorts(context, options);
    // BRENVIK_PORT is typed by the user as --port is, and refused alike.
    const auto wrongEnvironment = context.environmentPort && !options.port
        ? CheckPortForm("BRENVIK_PORT", *context.environmentPort) : std::nullopt;
    if (wrongEnvironment)
        return Report(context, options.json, {"usage", *wrongEnvironment, ExitUsage});
    CliContext bus = context;
    bus.savedComPort = ChosenComPort(context);
    if (options.command == "get")
        return RunGet(bus, options);
    if (options.command == "set")
        return RunSet(bus, options);
    if (options.command == "scan")
        return RunScan(bus, options);
    return RunMonitor(bus, options);
}

} // namespace cli
