#include "cli/SettingsQuery.h"

#include "cli/ExitCode.h"

#include <algorithm>

namespace cli {

namespace {

// A little over one 20-byte message of silence: nothing more is on its way.
constexpr int kQuietByteTimes = 25;

} // namespace

std::string SilenceText(const Silence& silence, const std::string& within)
{
    if (silence.why == busport::NoAnswer::BadChecksum)
        return "no good reply " + within + ": " + std::to_string(silence.badChecksums)
            + (silence.badChecksums == 1 ? " message" : " messages")
            + " came back with a bad checksum (wrong --baud, or noise on the line)";
    if (silence.why == busport::NoAnswer::NoEcho)
        return "nothing came back " + within
            + ", not even the echo of the request (wrong port, wrong --baud, or the bus interface is not "
              "connected to the bus)";
    return "no reply from the transceiver " + within
        + "; the bus echoed the request, so the line works (is the transceiver powered, plugged in and on this "
          "bus?)";
}

const char* SilenceKind(const Silence& silence)
{
    switch (silence.why) {
    case busport::NoAnswer::BadChecksum: return "bad_checksum";
    case busport::NoAnswer::NoReply: return "no_reply";
    case busport::NoAnswer::NoEcho: return "no_echo";
    case busport::NoAnswer::LineFault: break;
    }
    return "port_error";
}

SettingsAnswers QuerySettings(CBusSession& session, int timeoutMs)
{
    SettingsAnswers answers;
    session.SetReplyHandler([&answers](const bus::GroupReply& reply) {
        if (const auto* settings = std::get_if<bus::RadioSettings>(&reply))
            answers.replies.push_back(*settings);
    });
    const std::uint64_t badBefore = session.BadChecksums();
    const auto windowEnd = session.Now() + std::chrono::milliseconds(timeoutMs);
    if (!session.SendGetRequest()) { // it went out
        session.PumpUntil(windowEnd, [&answers] { return !answers.replies.empty(); });
        const auto quiet = session.ByteTime() * kQuietByteTimes;
        while (!answers.replies.empty() && !session.PortFailure() && !session.Interrupted()) {
            const auto settleEnd = std::min(windowEnd, session.LastReceived() + quiet);
            if (session.Now() >= settleEnd)
                break;
            session.PumpUntil(settleEnd, [] { return false; });
        }
    }
    session.SetReplyHandler({});
    answers.silence = {session.WhyNoAnswer(badBefore), session.BadChecksums() - badBefore};
    if (!answers.replies.empty())
        session.WarnOnceIfEchoMissing();
    return answers;
}

int ReportNoReply(CBusSession& session, const SettingsAnswers& answers, int timeoutMs, const Json& fields)
{
    Json details = {{"bad_checksums", answers.silence.badChecksums}};
    details.update(fields);
    if (session.PortFailure())
        return session.ReportPortFailure(details);
    if (session.Interrupted())
        return session.Report({"interrupted", "interrupted before the transceiver answered", session.InterruptExit(),
                               details});
    return session.Report({SilenceKind(answers.silence),
                           SilenceText(answers.silence,
                                       "within " + std::to_string(timeoutMs) + " ms on " + session.PortLabel()),
                           ExitNoReply, details});
}

bool AllAgree(const std::vector<bus::RadioSettings>& replies)
{
    return std::all_of(replies.begin(), replies.end(),
                       [&replies](const bus::RadioSettings& s) { return s == replies.front(); });
}

} // namespace cli
