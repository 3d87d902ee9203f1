#include "cli/BusSession.h"
#include "cli/Commands.h"
#include "cli/ExitCode.h"
#include "busreport/ScanCycle.h"
#include "cli/ReplacedFile.h"
#include "cli/SettingsQuery.h"

#include <cmath>
#include <optional>
#include <sstream>

namespace cli {

using busreport::CScanCycle;
using busreport::CScanStats;
using busreport::ScanRun;
using busreport::WriteScanTable;
using busreport::WriteScanCsv;
using busreport::WriteScanJson;
using bus::kChannelCount;

namespace {

using Clock = CBusSession::Clock;

// The bus keeps the interval when the queries go out at most this much slower.
constexpr double kKeptIntervalSlack = 1.25;

void ShowProgress(const CliContext& context, const CliOptions& options, Clock::duration elapsed,
                  const CScanStats& stats)
{
    // "\r" and erase to the end of the line, or blanks over the old text
    // where the terminal wants no escape sequences.
    const char* rewrite = context.plainTerminal ? "\r" : "\r\x1b[K";
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(elapsed).count();
    std::ostringstream text;
    text << "Scanning: " << seconds << " s of " << options.seconds << ", " << stats.TotalSamples()
         << " samples (Ctrl+C stops and reports)";
    context.err << rewrite << text.str() << std::flush;
}

void ClearProgress(const CliContext& context)
{
    context.err << (context.plainTerminal ? "\r" + std::string(79, ' ') + "\r" : std::string("\r\x1b[K")) << std::flush;
}

// The shortest --seconds that sends one query to each of the sixteen channels.
int SecondsForAll(std::chrono::duration<double> interval)
{
    return static_cast<int>(std::ceil(kChannelCount * interval.count()));
}

} // namespace

int RunScan(const CliContext& context, const CliOptions& options)
{
    CBusSession session(context);
    if (const int opened = session.Open(options))
        return opened;
    // The file's place is tried before the scan, so a minute is not spent for nothing.
    const bool csvToStdout = options.csvPath == "-";
    std::optional<CReplacedFile> csvFile;
    if (options.csvPath && !csvToStdout) {
        csvFile.emplace(*options.csvPath);
        if (const std::string failed = csvFile->Prepare(); !failed.empty())
            return session.Report({"usage", "cannot write " + *options.csvPath + ": " + failed, ExitUsage});
    }

    CScanCycle cycle;
    const CScanStats& stats = cycle.Stats();
    session.SetReplyHandler([&cycle](const bus::GroupReply& reply) { cycle.Count(reply); });

    // One query per tick on a fixed schedule, channels 11 to 26 round and
    // round; the replies are framed while waiting for the next tick. A bus
    // slower than the schedule gets fewer queries, not a longer scan.
    const auto interval = std::chrono::milliseconds(options.intervalMs);
    const int ticks = std::max(1, static_cast<int>(options.seconds * 1000 / options.intervalMs));
    const auto start = session.Now();
    const auto end = start + ticks * interval;
    const auto never = [] { return false; };
    int queries = 0;
    Clock::time_point lastQuery = start;
    long shownSecond = -1;
    for (int tick = 0; tick < ticks && !session.Interrupted(); ++tick) {
        session.PumpUntil(start + tick * interval, never);
        if (session.PortFailure() || session.Interrupted() || (tick > 0 && session.Now() >= end))
            break;
        if (context.progressLine) {
            const auto elapsed = session.Now() - start;
            const long second = std::chrono::duration_cast<std::chrono::seconds>(elapsed).count();
            if (second != shownSecond)
                ShowProgress(context, options, elapsed, stats);
            shownSecond = second;
        }
        if (const bus::LineError failed = session.SendLevelQuery(cycle.NextChannel()))
            break;
        lastQuery = session.Now();
        ++queries;
    }
    // The last query gets its tick to be answered, and the reply window
    // beyond it when its reply is still on the way.
    session.PumpUntil(end, never);
    session.PumpUntil(session.Now() + std::chrono::milliseconds(options.timeoutMs),
                      [&] { return stats.TotalSamples() >= queries; });
    if (context.progressLine)
        ClearProgress(context);

    // The pace the bus kept: that of its echoes, else that of the queries.
    const std::chrono::duration<double> kept = session.Echoes() > 1 ? (session.LastEchoAt() - start) / session.Echoes()
        : queries > 1 ? (lastQuery - start) / (queries - 1)
                      : std::chrono::duration<double>(interval);
    ScanRun run {session.PortName(), session.DevicePath(), std::chrono::duration<double>(session.Now() - start).count(),
                 queries, SecondsForAll(std::max<std::chrono::duration<double>>(kept, interval)),
                 session.Interrupted()};
    const bool deviceGone = static_cast<bool>(session.PortFailure());
    if (!deviceGone && !run.interrupted && stats.TotalSamples() == 0) {
        const Silence silence = SilenceSince(session, {});
        return session.Report({SilenceKind(silence), SilenceText(silence, "on " + session.PortLabel()), ExitNoReply,
                               {{"bad_checksums", silence.badChecksums}}});
    }
    if (kept > interval * kKeptIntervalSlack)
        context.err << "brenvik-cli: warning: the bus cannot keep --interval " << options.intervalMs
                    << " ms; the queries went out every "
                    << std::chrono::duration_cast<std::chrono::milliseconds>(kept).count() << " ms\n";
    if (stats.TotalSamples() > 0)
        session.WarnOnceIfEchoMissing();

    // The file first, so that with --json one object says how it all ended.
    std::optional<Failure> failure;
    if (csvFile) {
        // A scan cut short leaves the file as it was; what it measured goes beside it.
        const bool complete = !deviceGone && !run.interrupted;
        const std::string target = complete ? csvFile->Path() : csvFile->Path() + ".partial";
        std::ostringstream csv;
        WriteScanCsv(csv, stats);
        if (const std::string failed = csvFile->Commit(csv.str(), target); !failed.empty())
            failure = Failure {"usage", "cannot write " + target + ": " + failed, ExitUsage};
        else if (!complete)
            context.err << "brenvik-cli: " << csvFile->Path() << " left as it was; the levels measured are in "
                        << target << '\n';
    }
    if (!failure && deviceGone)
        failure = Failure {FaultKind(session.PortFailure().fault),
                           session.FailureLine(session.PortFailure()), ExitPortError};
    if (!failure && run.interrupted)
        failure = Failure {"interrupted", "scan interrupted after " + std::to_string(static_cast<int>(run.seconds)) + " s",
                           session.InterruptExit()};

    if (options.json) {
        std::ostringstream text;
        WriteScanJson(text, stats, run);
        const Json results = Json::parse(text.str());
        if (!failure) {
            WriteJson(context.out, results);
            return ExitOk;
        }
        failure->fields = {{"scan", results}};
        return session.Report(*failure);
    }
    if (csvToStdout)
        WriteScanCsv(context.out, stats);
    else
        WriteScanTable(context.out, stats, run);
    context.out << std::flush;
    if (failure)
        return cli::Report(context, false, *failure);
    return ExitOk;
}

} // namespace cli
