#include "cli/CliHelp.h"
#include "cli/Commands.h"
#include "cli/ExitCode.h"

namespace cli {

int RunCli(const std::vector<std::string>& args, const CliContext& context)
{
    CliOptions options;
    std::string error;
    if (!ParseCliOptions(args, options, error)) {
        const std::string help = options.command.empty() || options.command == "help"
            ? "brenvik-cli --help" : "brenvik-cli " + options.command + " --help";
        context.err << "brenvik-cli: " << error << " (see " << help << ")\n";
        return ExitUsage;
    }
    if (options.version) {
        context.out << "brenvik-cli " BRENVIK_VERSION "\n";
        return ExitOk;
    }
    if (options.help) {
        context.out << HelpText(options.command);
        return ExitOk;
    }
    if (options.command == "ports")
        return RunPorts(context, options);
    if (options.command == "get")
        return RunGet(context, options);
    if (options.command == "set")
        return RunSet(context, options);
    if (options.command == "scan")
        return RunScan(context, options);
    return RunMonitor(context, options);
}

} // namespace cli
