#include "cli/BusSession.h"
#include "cli/Commands.h"
#include "cli/ExitCode.h"
#include "busreport/MessageText.h"

namespace cli {

using busreport::HexBytes;
using busreport::DescribeMessage;
using busreport::WallClockStamp;

int RunMonitor(const CliContext& context, const CliOptions& options)
{
    CBusSession session(context);
    if (const int opened = options.wait ? session.OpenWhenPresent(options) : session.Open(options))
        return opened;
    if (session.Interrupted())
        return ExitOk; // while waiting for the device
    context.err << "Monitoring " << session.PortLabel() << "; Ctrl+C ends.\n" << std::flush;
    session.SetMessageObserver([&context](std::span<const std::uint8_t> message) {
        context.out << WallClockStamp() << "  " << HexBytes(message);
        if (const std::string words = DescribeMessage(message); !words.empty())
            context.out << "  " << words;
        context.out << std::endl; // a line as it happens, also into a pipe
    });
    session.PumpUntil(CBusSession::Clock::time_point::max(), [] { return false; });
    if (session.PortFailure())
        return session.ReportPortFailure();
    context.err << session.GoodMessages() << " messages, " << session.BadChecksums()
                << " dropped for a bad checksum.\n";
    return ExitOk;
}

} // namespace cli
