#pragma once

#include "bus/GroupReply.h"
#include "cli/BusSession.h"

#include <cstdint>
#include <vector>

// The Get exchange: one request, then every settings reply that comes back.
namespace cli {

// What came back when no answer did.
struct Silence {
    busport::NoAnswer why = busport::NoAnswer::NoEcho;
    std::uint64_t badChecksums = 0; // messages dropped for a bad checksum
    busport::Heard heard;           // all that came back meanwhile
};

// Why the step sent when the session had heard `before` got no answer, and
// what came back since.
Silence SilenceSince(const CBusSession& session, const busport::Heard& before);

struct SettingsAnswers {
    std::vector<bus::RadioSettings> replies; // in order of arrival, one per transceiver
    Silence silence;                         // what else came back
};

// Sends the Get request and waits up to `timeoutMs` for the first reply.
// Another transceiver may answer right behind it, so after a reply the wait
// goes on while bytes keep arriving and ends once the line has been quiet
// for a little longer than one message takes. A reply without the echo is
// taken, with a warning.
SettingsAnswers QuerySettings(CBusSession& session, int timeoutMs);

// Why no answer came, as JSON's "error" names it: "no_echo" (not even the
// echo came back: nothing, or only bytes and messages that were not it),
// "no_reply" (the bus echoed, the
// transceiver did not answer), "bad_checksum" (what came back was garbled:
// wrong speed or noise).
const char* SilenceKind(const Silence& silence);
// The same in words, with what came back and what did not; `within` says
// where ("within 1000 ms on COM3").
std::string SilenceText(const Silence& silence, const std::string& within);

// The failure of a Get that got no reply, a failed port or an interrupt
// (with --json its object also gives "bad_checksums" and `fields`); gives the exit code.
int ReportNoReply(CBusSession& session, const SettingsAnswers& answers, int timeoutMs,
                  const Json& fields = Json::object());

// True when every reply carries the same settings.
bool AllAgree(const std::vector<bus::RadioSettings>& replies);

} // namespace cli
