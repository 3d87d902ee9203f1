#include "cli/SettingsQuery.h"

#include "cli/ExitCode.h"

#include <algorithm>

namespace cli {

namespace {

// A little over one 20-byte message of silence: nothing more is on its way.
constexpr int kQuietByteTimes = 25;

std::string Counted(std::uint64_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// What came back beside the answers: bytes that formed no message and
// messages that were not ours, or "".
std::string Strays(const busport::Heard& heard)
{
    std::string text;
    if (heard.OtherMessages() > 0)
        text = Counted(heard.OtherMessages(), "message that was", "messages that were") + " not ours";
    if (heard.StrayBytes() > 0)
        text += (text.empty() ? "" : " and ") + Counted(heard.StrayBytes(), "byte", "bytes") + " that formed no message";
    return text;
}

} // namespace

Silence SilenceSince(const CBusSession& session, const busport::Heard& before)
{
    const busport::Heard heard = session.HeardSoFar().Since(before);
    return {session.WhyNoAnswer(before.badChecksums), heard.badChecksums, heard};
}

std::string SilenceText(const Silence& silence, const std::string& within)
{
    const std::string strays = Strays(silence.heard);
    switch (silence.why) {
    case busport::NoAnswer::BadChecksum:
        return "no good reply " + within + ": " + Counted(silence.badChecksums, "message", "messages")
            + " came back with a bad checksum (wrong --baud, or noise on the line)"
            + (strays.empty() ? "" : ", and " + strays);
    case busport::NoAnswer::NoEcho:
        if (silence.heard.bytes == 0)
            return "nothing came back " + within
                + ", not even the echo of the request (wrong port, wrong --baud, the bus interface is not "
                  "connected to the bus, or another program reading this port takes what comes back)";
        if (silence.heard.OtherMessages() > 0)
            return "no echo of the request " + within + ": " + strays + " came back (another program talking on "
                + "this bus, or one reading this port and taking the echo?)";
        return "no message came back " + within + ", not even the echo of the request: what came back was " + strays
            + " (wrong --baud, noise on the line, a device that is no bus interface, or another program reading "
              "this port and taking part of what comes back)";
    case busport::NoAnswer::NoReply:
    case busport::NoAnswer::LineFault: break;
    }
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
    const busport::Heard before = session.HeardSoFar();
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
    answers.silence = SilenceSince(session, before);
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
