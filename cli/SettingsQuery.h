#pragma once

#include "bus/GroupReply.h"
#include "cli/BusSession.h"

#include <cstdint>
#include <vector>

// The Get exchange: one request, then every settings reply that comes back.
namespace cli {

struct SettingsAnswers {
    std::vector<bus::RadioSettings> replies; // in order of arrival, one per transceiver
    bool echoed = false;                     // the bus echoed the request
    std::uint64_t badChecksums = 0;          // messages dropped for a bad checksum meanwhile
};

// Sends the Get request and waits up to `timeoutMs` for the first reply.
// Another transceiver may answer right behind it, so after a reply the wait
// goes on while bytes keep arriving and ends once the line has been quiet
// for a little longer than one message takes. A reply without the echo is
// taken, with a warning.
SettingsAnswers QuerySettings(CBusSession& session, int timeoutMs);

// Why a Get got no settings, as JSON's "error" names it: "no_echo" (nothing
// came back: wrong port or speed, or no bus), "no_reply" (the bus echoed,
// the transceiver did not answer), "bad_checksum" (what came back was
// garbled: wrong speed or noise).
const char* NoReplyKind(const SettingsAnswers& answers);

// Writes the one error line for a Get that got no reply, a failed port or
// an interrupt, and gives the exit code. With `json`, stdout also gets one
// JSON object naming the failure.
int ReportNoReply(CBusSession& session, const SettingsAnswers& answers, int timeoutMs, bool json = false);

// True when every reply carries the same settings.
bool AllAgree(const std::vector<bus::RadioSettings>& replies);

} // namespace cli
