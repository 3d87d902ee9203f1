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
// COM number in the port map) as the saved port; a device that is not there
// now only with `force`.
int UsePort(const CliContext& context, const std::string& port, bool force);
// ports --forget: removes COM n from the port map, so the built-in table names its device again.
int ForgetPort(const CliContext& context, int comNumber);

// The whole command line (without the program name): parse, then run.
int RunCli(const std::vector<std::string>& args, const CliContext& context);

} // namespace cli
