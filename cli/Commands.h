#pragma once

#include "cli/CliContext.h"
#include "cli/CliOptions.h"

// The commands of brenvik-cli. Each writes its results to context.out and
// any failure as one line to context.err, and gives the exit code.
namespace cli {

int RunPorts(const CliContext& context, const CliOptions& options);
int RunGet(const CliContext& context, const CliOptions& options);
int RunSet(const CliContext& context, const CliOptions& options);
int RunScan(const CliContext& context, const CliOptions& options);
int RunMonitor(const CliContext& context, const CliOptions& options);

// ports --use: stores PORT (a COM name or a device path, which then gets a
// COM number in the port map) as the saved port.
int UsePort(const CliContext& context, const std::string& port);

// The whole command line (without the program name): parse, then run.
int RunCli(const std::vector<std::string>& args, const CliContext& context);

} // namespace cli
