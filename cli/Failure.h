#pragma once

#include "bus/LineError.h"
#include "cli/CliContext.h"
#include "cli/JsonOut.h"

#include <string>

// How a command ends when it fails: one line on stderr and, with --json,
// one object on stdout that names the failure, so a script reads `.error`
// whatever went wrong.
namespace cli {

struct Failure {
    std::string kind;    // the JSON "error": usage, busy, no_reply, ...
    std::string message; // the line on stderr, without the program's name
    int code = 0;        // the exit code
    Json fields = Json::object(); // what else the JSON object says (port, device, writes, ...)
};

// Writes the failure (texts from outside with control characters escaped)
// and gives its exit code.
int Report(const CliContext& context, bool json, const Failure& failure);

// The JSON "error" of a failed port: no_device, permission_denied, busy,
// not_serial, settings_refused, device_gone, timed_out or port_error.
const char* FaultKind(bus::LineFault fault);

// Whether the arguments ask for JSON (--json or -j before any "--").
bool WantsJson(const std::vector<std::string>& args);

} // namespace cli
