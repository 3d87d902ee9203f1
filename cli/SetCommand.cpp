#include "bus/GroupRequests.h"
#include "cli/BusSession.h"
#include "cli/Commands.h"
#include "cli/ExitCode.h"
#include "cli/SettingsQuery.h"
#include "cli/SettingsText.h"

namespace cli {
namespace {

// What a Get returns once the transceiver holds `written`: the name as eight
// Latin-1 bytes with its trailing blanks gone, the key as four digits.
bus::RadioSettings AsReadBack(const bus::RadioSettings& written)
{
    return std::get<bus::RadioSettings>(bus::DecodeGroupReply(bus::MakeSettingsReply(written)));
}

// The four writes in the order they go out.
constexpr const char* kWriteNames[] = {"name", "channel", "group ID", "key"};

// "name and channel": the writes from `first` up to (not including) `end`.
std::string WriteList(std::size_t first, std::size_t end)
{
    std::string text;
    for (std::size_t i = first; i < end; ++i)
        text += std::string(i == first ? "" : i + 1 == end ? " and " : ", ") + kWriteNames[i];
    return text;
}

// An interrupt between the writes: which went out and which did not.
int ReportInterruptedWrites(CBusSession& session, std::size_t written)
{
    const std::size_t total = std::size(kWriteNames);
    session.Err() << "brenvik-cli: interrupted after " << written << " of the " << total << " writes";
    if (written == 0)
        session.Err() << "; nothing was written\n";
    else
        session.Err() << " (" << WriteList(0, written) << " went out, " << WriteList(written, total)
                      << " did not): the transceiver may hold a mix of old and new settings\n";
    return session.InterruptExit();
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
    bus::RadioSettings wanted = before.replies.front();
    if (options.name)
        wanted.name = bus::PadName(*options.name);
    if (options.channel)
        wanted.rfChannel = *options.channel;
    if (options.key)
        wanted.pwKey = *options.key;

    const busport::CBusPort::WritesSent sent = session.SendWrites(wanted);
    if (sent.error)
        return session.ReportPortFailure();
    if (sent.count < std::size(kWriteNames))
        return ReportInterruptedWrites(session, sent.count);
    session.AwaitEcho();
    context.out << "Written to " << session.PortLabel() << ":\n";
    WriteSettings(context.out, AsReadBack(wanted), "  "); // the name as get shows it
    if (!options.verify)
        return ExitOk;

    if (session.Interrupted()) {
        session.Err() << "brenvik-cli: interrupted after all four writes went out, before the read-back\n";
        return session.InterruptExit();
    }
    const SettingsAnswers after = QuerySettings(session, options.timeoutMs);
    if (after.replies.empty())
        return ReportNoReply(session, after, options.timeoutMs);
    const bus::RadioSettings expected = AsReadBack(wanted);
    for (std::size_t i = 0; i < after.replies.size(); ++i) {
        if (after.replies[i] != expected) {
            context.err << "brenvik-cli: verify failed: ";
            if (after.replies.size() > 1)
                context.err << "transceiver " << i + 1 << " of " << after.replies.size() << ' ';
            context.err << "holds " << Differences(after.replies[i], expected) << '\n';
            return ExitNoReply;
        }
    }
    context.out << "Verified: the transceiver" << (after.replies.size() > 1 ? "s hold" : " holds")
                << " the written settings.\n";
    return ExitOk;
}

} // namespace cli
