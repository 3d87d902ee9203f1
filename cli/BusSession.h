#pragma once

#include "bus/GroupReply.h"
#include "bus/LineError.h"
#include "busport/BusPort.h"
#include "busport/LineErrorText.h"
#include "cli/CliContext.h"
#include "cli/CliOptions.h"
#include "cli/Failure.h"

#include <chrono>
#include <functional>
#include <span>
#include <string>

// The bus conversation (busport::CBusPort) driven from the command line's
// own loop, on the calling thread: it names and opens the port the options
// give, and lets time pass on the context's clock while reading the port, so
// an awaited echo ends the echo wait as soon as it has been framed.
namespace cli {

class CBusSession {
public:
    using Clock = ISessionClock::Clock;

    explicit CBusSession(const CliContext& context) : m_context(context), m_lastReceived(Now()) {}

    // Opens the port the options name (or the saved one) and sets up the
    // line. On failure writes the one error line and returns ExitPortError;
    // ExitOk when the port is ready.
    int Open(const CliOptions& options);
    // Like Open, but a device that is not there is first waited for, until
    // it appears or an interrupt comes (then ExitOk, with nothing open).
    int OpenWhenPresent(const CliOptions& options);

    // The port as named ("COM5" or a path), for showing with its device
    // ("COM5 (/dev/ttyACM4)"), and the device path.
    const std::string& PortName() const { return m_name; }
    const std::string& PortLabel() const { return m_label; }
    const std::string& DevicePath() const { return m_path; }

    // Sees every good message framed, echoes included (and marked).
    void SetMessageObserver(busport::CBusPort::MessageObserver observer) { m_observer = std::move(observer); }
    // Sees every message dropped for a bad checksum.
    void SetBadMessageObserver(busport::CBusPort::BadMessageObserver observer)
    {
        m_port.SetBadMessageObserver(std::move(observer));
    }
    // Gets every good group reply (see busport::CBusPort::ReplyHandler).
    void SetReplyHandler(busport::CBusPort::ReplyHandler handler) { m_port.SetReplyHandler(std::move(handler)); }

    // The conversation's steps, their echo waits reading the port; a failed
    // write is also kept as PortFailure.
    bus::LineError SendGetRequest() { return m_port.SendGetRequest(EchoPause()); }
    bus::LineError SendLevelQuery(int channel) { return m_port.SendLevelQuery(channel, EchoPause()); }
    // The four writes; an interrupt stops them before the next goes out.
    busport::CBusPort::WritesSent SendWrites(const bus::RadioSettings& settings);
    // Until the last send's echo has been framed, at most the program's five pauses.
    void AwaitEcho() { m_port.AwaitEcho(EchoPause()); }
    // Why the step sent when `badChecksumsBefore` were counted got no answer.
    busport::NoAnswer WhyNoAnswer(std::uint64_t badChecksumsBefore) const
    {
        return m_port.WhyNoAnswer(badChecksumsBefore);
    }
    std::uint64_t BadChecksums() const { return m_port.BadChecksums(); }
    const busport::Heard& HeardSoFar() const { return m_port.HeardSoFar(); }

    // Reads and frames until `done` holds, the deadline passes, an interrupt
    // comes or the port fails. True when `done` held.
    bool PumpUntil(Clock::time_point deadline, const std::function<bool()>& done);

    // The time on the context's clock.
    Clock::time_point Now() const { return m_context.clock->Now(); }
    // When the last byte arrived (the session's start before any).
    Clock::time_point LastReceived() const { return m_lastReceived; }
    // How many good messages of any kind were framed.
    int GoodMessages() const { return m_goodMessages; }
    // How many echoes came, and when the last one did: the pace the bus kept.
    int Echoes() const { return m_port.Echoes(); }
    Clock::time_point LastEchoAt() const { return m_lastEchoAt; }
    // Writes, once per session, that the bus did not echo what was sent:
    // it echoed nothing, or an echo is long overdue.
    void WarnOnceIfEchoMissing();
    // The failed read or write; success while the port works.
    const bus::LineError& PortFailure() const { return m_port.Failure(); }
    // Writes the one error line for a failed port (and with --json its
    // object, `fields` added) and gives ExitPortError.
    int ReportPortFailure(const Json& fields = Json::object());
    // "PORT: why", for a failure of the port once open.
    std::string FailureLine(const bus::LineError& error) const;
    // Ends the command with `failure`, naming the port in its JSON.
    int Report(Failure failure) const;
    // Whether the options asked for JSON.
    bool JsonWanted() const { return m_json; }

    bool Interrupted() const { return m_context.Stopped(); }
    // The exit code of the interrupt that came (130 for SIGINT, 143 for SIGTERM).
    int InterruptExit() const { return 128 + m_context.StopSignal(); }
    std::ostream& Err() const { return m_context.err; }
    std::ostream& Out() const { return m_context.out; }

    // The time one byte takes on the line at the session's speed.
    std::chrono::microseconds ByteTime() const { return m_byteTime; }

private:
    // A port that could not be opened: its label, what went wrong.
    int Fail(bus::LineFault fault, const std::string& what);
    // Names the port the options give (m_name, m_path, m_label); true when
    // no port was ever chosen (no --port, BRENVIK_PORT or saved port).
    bool NamePort(const CliOptions& options);
    // The echo wait's pause: frames what arrives meanwhile.
    busport::Pause EchoPause();

    const CliContext& m_context;
    busport::CBusPort m_port;
    busport::CBusPort::MessageObserver m_observer;
    Clock::time_point m_lastEchoAt;
    bool m_warnedNoEcho = false;
    std::string m_name;
    std::string m_label;
    std::string m_path;
    std::chrono::microseconds m_byteTime {608};
    Clock::time_point m_lastReceived;
    int m_goodMessages = 0;
    bool m_json = false;
};

// A line failure in words, as the window says it too.
using busport::LineErrorText;

} // namespace cli
