#include "bus/GroupRequests.h"
#include "busreport/BusTraffic.h"
#include "busreport/WritesText.h"
#include "cli/BusSession.h"
#include "cli/Commands.h"
#include "cli/ExitCode.h"
#include "cli/SettingsQuery.h"
#include "cli/SettingsText.h"

#include <algorithm>

namespace cli {
namespace {

// What a Get returns once the transceiver holds `written`: the name as eight
// Latin-1 bytes with its trailing blanks gone, the key as four digits.
bus::RadioSettings AsReadBack(const bus::RadioSettings& written)
{
    return std::get<bus::RadioSettings>(bus::DecodeGroupReply(bus::MakeSettingsReply(written)));
}

// The four writes in the order they go out, as JSON names them.
constexpr const char* kWriteKeys[busreport::kWriteCount] = {"name", "channel", "group_id", "key"};

// " after 2 of the 4 writes (name and channel went out, group ID and key did not): ..."
std::string WritesCutShort(std::size_t written)
{
    if (written == 0)
        return " after 0 of the " + std::to_string(busreport::kWriteCount) + " writes; nothing was written";
    return " after " + busreport::WritesSentText(written) + ": the transceiver may hold a mix of old and new settings";
}

// What set wrote, for its JSON: the values, and which writes went out.
Json WritesJson(const bus::RadioSettings& wanted, std::size_t written)
{
    Json writes = Json::array();
    for (std::size_t i = 0; i < busreport::kWriteCount; ++i)
        writes.push_back({{"write", kWriteKeys[i]}, {"sent", i < written}});
    Json values = SettingsJson(AsReadBack(wanted));
    values.erase("out_of_range");
    return {{"written", values}, {"writes", writes}};
}

// The values the transceiver answered out of range that set would write
// back as they stand: only those the user gives anew may be written.
std::vector<std::string> OutOfRangeKept(const bus::RadioSettings& before, const CliOptions& options)
{
    std::vector<std::string> kept = OutOfRange(before);
    std::erase_if(kept, [&](const std::string& name) {
        return (name == "channel" && options.channel) || (name == "key" && options.key);
    });
    return kept;
}

} // namespace

int RunSet(const CliContext& context, const CliOptions& options)
{
    CBusSession session(context);
    if (const int opened = session.Open(options))
        return opened;

    // The Get first: what is not given is written back as it stands, and the
    // group ID, which only the transceiver sets, travels unchanged.
    const SettingsAnswers before = QuerySettings(session, options.timeoutMs);
    if (before.replies.empty())
        return ReportNoReply(session, before, options.timeoutMs);
    if (!AllAgree(before.replies))
        context.err << "brenvik-cli: warning: " << before.replies.size()
                    << " transceivers answered with different settings; what is not given is kept from the first\n";
    if (const std::vector<std::string> kept = OutOfRangeKept(before.replies.front(), options); !kept.empty()) {
        std::string names;
        for (const std::string& name : kept)
            names += (names.empty() ? "" : ", ") + name;
        return session.Report({"out_of_range",
                               "the transceiver answered " + names + " out of range, and set would write "
                                   + (kept.size() > 1 ? "them" : "it")
                                   + " back; nothing was written (give --channel or --key to write a good value; "
                                     "the group ID cannot be written)",
                               ExitUsage,
                               {{"before", SettingsJson(before.replies.front())}}});
    }
    bus::RadioSettings wanted = before.replies.front();
    if (options.name)
        wanted.name = bus::PadName(*options.name);
    if (options.channel)
        wanted.rfChannel = *options.channel;
    if (options.key)
        wanted.pwKey = *options.key;

    const busport::CBusPort::WritesSent sent = session.SendWrites(wanted);
    Json result = WritesJson(wanted, sent.count);
    if (sent.error)
        return session.Report({FaultKind(sent.error.fault),
                               session.FailureLine(sent.error) + WritesCutShort(sent.count),
                               ExitPortError, result});
    if (sent.count < busreport::kWriteCount)
        return session.Report({"interrupted", "interrupted" + WritesCutShort(sent.count), session.InterruptExit(),
                               result});
    session.AwaitEcho();
    if (!options.json) {
        context.out << "Written to " << busreport::Printable(session.PortLabel()) << ":\n";
        WriteSettings(context.out, AsReadBack(wanted), "  "); // the name as get shows it
    }
    // With --json the one object comes at the end: what was written, and the read-back.
    const auto succeed = [&](Json verified) {
        if (options.json) {
            Json document = {{"port", session.PortName()}, {"device", session.DevicePath()}};
            document.update(result);
            document["verified"] = std::move(verified);
            WriteJson(context.out, document);
        }
        return ExitOk;
    };
    if (!options.verify)
        return succeed(nullptr);

    if (session.Interrupted())
        return session.Report({"interrupted", "interrupted after all four writes went out, before the read-back",
                               session.InterruptExit(), result});
    const SettingsAnswers after = QuerySettings(session, options.timeoutMs);
    if (after.replies.empty())
        return ReportNoReply(session, after, options.timeoutMs, result);
    Json held = Json::array();
    for (const bus::RadioSettings& settings : after.replies)
        held.push_back(SettingsJson(settings));
    result["verify"] = held;
    const bus::RadioSettings expected = AsReadBack(wanted);
    const auto wrong = std::find_if(after.replies.begin(), after.replies.end(),
                                    [&](const bus::RadioSettings& reply) { return reply != expected; });
    if (wrong != after.replies.end()) {
        std::string which;
        if (after.replies.size() > 1)
            which = "transceiver " + std::to_string(wrong - after.replies.begin() + 1) + " of "
                + std::to_string(after.replies.size()) + " ";
        result["verified"] = false;
        return session.Report(
            {"verify_failed", "verify failed: " + which + "holds " + Differences(*wrong, expected), ExitNoReply, result});
    }
    if (!options.json)
        context.out << "Verified: the transceiver" << (after.replies.size() > 1 ? "s hold" : " holds")
                    << " the written settings.\n";
    return succeed(true);
}

} // namespace cli
