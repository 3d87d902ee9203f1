#include "bus/BusLimits.h"
#include "bus/GroupMessage.h"
#include "busreport/BusTraffic.h"
#include "busreport/MessageText.h"
#include "cli/BusSession.h"
#include "cli/Commands.h"
#include "cli/ExitCode.h"
#include "cli/SettingsText.h"

namespace cli {

using busreport::DescribeMessage;
using busreport::HexBytes;
using busreport::Printable;
using busreport::TrafficKind;
using busreport::WallClockStamp;

namespace {

const char* KindName(TrafficKind kind)
{
    switch (kind) {
    case TrafficKind::Settings: return "settings";
    case TrafficKind::Writes: return "writes";
    case TrafficKind::Levels: return "levels";
    case TrafficKind::Echo: return "echo";
    case TrafficKind::Error: return "error";
    case TrafficKind::Other: break;
    }
    return "other";
}

// What a group configuration message carries, for its JSON line; null for any other message.
Json DecodedFields(std::span<const std::uint8_t> message)
{
    if (message.size() != bus::kGroupMessageSize || message[0] != bus::kGroupOpcode || message[1] != bus::kGroupLength)
        return nullptr;
    const bus::GroupMessageFields fields = bus::UnpackGroupMessage(message.first<bus::kGroupMessageSize>());
    Json decoded = {{"command", fields.command}, {"direction", fields.direction}, {"data", fields.data}};
    if (fields.direction != bus::DirReply)
        return decoded;
    const bus::GroupReply reply = bus::DecodeGroupReply(fields);
    if (const auto* settings = std::get_if<bus::RadioSettings>(&reply))
        decoded["settings"] = SettingsJson(*settings);
    else if (const auto* level = std::get_if<bus::ChannelLevelReply>(&reply))
        decoded["level"] = {{"channel", level->channel}, {"level", level->level}};
    return decoded;
}

// One message as one line: text, or with --json one object.
void ShowMessage(std::ostream& out, bool json, std::span<const std::uint8_t> message, bool echo, bool badChecksum)
{
    const std::string words = badChecksum ? "bad checksum, dropped" : DescribeMessage(message);
    if (json) {
        const TrafficKind kind = badChecksum ? TrafficKind::Error : busreport::KindOfMessage(message, echo);
        WriteJson(out, {{"time", WallClockStamp()},
                        {"hex", HexBytes(message)},
                        {"kind", KindName(kind)},
                        {"words", words},
                        {"fields", badChecksum ? Json(nullptr) : DecodedFields(message)},
                        {"echo", echo},
                        {"bad_checksum", badChecksum}});
        return;
    }
    // A name may carry control characters: they show as \xNN.
    out << WallClockStamp() << "  " << HexBytes(message) << (words.empty() ? "" : "  " + Printable(words))
        << std::endl; // a line as it happens, also into a pipe
}

std::string Count(std::uint64_t n, const char* what)
{
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

} // namespace

int RunMonitor(const CliContext& context, const CliOptions& options)
{
    CBusSession session(context);
    if (const int opened = options.wait ? session.OpenWhenPresent(options) : session.Open(options))
        return opened;
    if (session.Interrupted())
        return ExitOk; // while waiting for the device
    context.err << "Monitoring " << Printable(session.PortLabel()) << "; Ctrl+C ends.\n" << std::flush;
    session.SetMessageObserver([&](std::span<const std::uint8_t> message, bool echo) {
        ShowMessage(context.out, options.json, message, echo, false);
    });
    session.SetBadMessageObserver([&](std::span<const std::uint8_t> message) {
        ShowMessage(context.out, options.json, message, false, true);
    });
    session.PumpUntil(CBusSession::Clock::time_point::max(), [] { return false; });
    if (session.PortFailure())
        return session.ReportPortFailure();
    context.err << Count(session.GoodMessages(), "message") << ", " << session.BadChecksums()
                << " dropped for a bad checksum.\n";
    return ExitOk;
}

} // namespace cli
