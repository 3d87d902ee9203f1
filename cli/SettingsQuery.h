#pragma once

#include "bus/GroupReply.h"
#include "cli/BusSession.h"

#include <vector>

// The Get exchange: one request, then every settings reply that comes back.
namespace cli {

struct SettingsAnswers {
    std::vector<bus::RadioSettings> replies; // in order of arrival, one per transceiver
    bool anythingHeard = false;              // any good message came back (the echo at least)
};

// Sends the Get request and waits up to `timeoutMs` for the first reply.
// Another transceiver may answer right behind it, so after a reply the wait
// goes on while bytes keep arriving and ends once the line has been quiet
// for a little longer than one message takes.
SettingsAnswers QuerySettings(CBusSession& session, int timeoutMs);

// Writes the one error line for a Get that got no reply (or a failed port)
// and gives the exit code.
int ReportNoReply(CBusSession& session, const SettingsAnswers& answers, int timeoutMs);

// True when every reply carries the same settings.
bool AllAgree(const std::vector<bus::RadioSettings>& replies);

} // namespace cli
