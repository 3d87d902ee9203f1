#include "bus/GroupRequests.h"
#include "bus/GroupReply.h"
#include "cli/BusSession.h"
#include "cli/Commands.h"
#include "cli/ExitCode.h"
#include "busreport/ScanStats.h"

#include <cerrno>
#include <cstring>
#include <fstream>

namespace cli {
namespace {

using Clock = CBusSession::Clock;

// "\r" and erase to the end of the line: the progress line is rewritten in place.
constexpr const char* kRewriteLine = "\r\x1b[K";

void ShowProgress(const CliContext& context, const CliOptions& options, Clock::duration elapsed,
                  const CScanStats& stats)
{
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(elapsed).count();
    context.err << kRewriteLine << "Scanning: " << seconds << " s of " << options.seconds << ", "
                << stats.TotalSamples() << " samples (Ctrl+C stops and reports)" << std::flush;
}

} // namespace

int RunScan(const CliContext& context, const CliOptions& options)
{
    // The file is opened before the scan, so a minute is not spent for nothing.
    std::ofstream csv;
    if (options.csvPath) {
        csv.open(*options.csvPath, std::ios::trunc);
        if (!csv) {
            context.err << "brenvik-cli: cannot write " << *options.csvPath << ": " << std::strerror(errno) << '\n';
            return ExitUsage;
        }
    }
    CBusSession session(context);
    if (const int opened = session.Open(options))
        return opened;

    CScanStats stats;
    session.Framer().SetGroupMessageHandler([&stats](std::span<const std::uint8_t> message) {
        const bus::GroupReply reply = bus::DecodeGroupReply(
            bus::UnpackGroupMessage(message.first<bus::kGroupMessageSize>()));
        if (const auto* level = std::get_if<bus::ChannelLevelReply>(&reply))
            stats.Add(level->channel, level->level);
    });

    // One query per tick on a fixed schedule, channels 11 to 26 round and
    // round; the replies are framed while waiting for the next tick.
    const auto interval = std::chrono::milliseconds(options.intervalMs);
    const int ticks = std::max(1, options.seconds * 1000 / options.intervalMs);
    const auto start = Clock::now();
    const auto never = [] { return false; };
    int channel = kFirstChannel;
    int queries = 0;
    long shownSecond = -1;
    for (int tick = 0; tick < ticks && !session.Interrupted(); ++tick) {
        session.PumpUntil(start + tick * interval, never);
        if (session.PortFailure())
            break;
        if (context.progressLine) {
            const long second = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - start).count();
            if (second != shownSecond)
                ShowProgress(context, options, Clock::now() - start, stats);
            shownSecond = second;
        }
        if (const bus::LineError failed = session.Send(bus::MakeLevelQuery(channel)))
            break;
        ++queries;
        channel = channel == kLastChannel ? kFirstChannel : channel + 1;
    }
    // The last query gets its tick to be answered, and the reply window
    // beyond it when its reply is still on the way.
    session.PumpUntil(start + ticks * interval, never);
    session.PumpUntil(Clock::now() + std::chrono::milliseconds(options.timeoutMs),
                      [&] { return stats.TotalSamples() >= queries; });
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (context.progressLine)
        context.err << kRewriteLine << std::flush;

    if (session.PortFailure())
        return session.ReportPortFailure();
    if (stats.TotalSamples() == 0) {
        context.err << "brenvik-cli: no level replies from the transceiver on " << session.PortLabel() << '\n';
        return ExitNoReply;
    }
    if (session.Interrupted())
        context.err << "Scan stopped after " << static_cast<int>(seconds) << " s; the levels so far:\n";
    if (options.json)
        WriteScanJson(context.out, stats, session.PortName(), session.DevicePath(), seconds);
    else
        WriteScanTable(context.out, stats);
    if (csv.is_open()) {
        WriteScanCsv(csv, stats);
        csv.close();
        if (!csv) {
            context.err << "brenvik-cli: cannot write " << *options.csvPath << '\n';
            return ExitUsage;
        }
    }
    return ExitOk;
}

} // namespace cli
