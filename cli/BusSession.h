#pragma once

#include "bus/BusFramer.h"
#include "bus/GroupMessage.h"
#include "bus/LineError.h"
#include "busport/BusPort.h"
#include "busport/LineErrorText.h"
#include "cli/CliContext.h"
#include "cli/CliOptions.h"
#include "serial/SerialLine.h"

#include <chrono>
#include <deque>
#include <functional>
#include <string>

// One conversation with the bus on an open port, run on the calling thread:
// messages go out through the transmit procedure and what comes back is
// framed as the program frames it. Waits read the port, so an awaited echo
// ends the echo wait as soon as it has been framed.
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

    CBusFramer& Framer() { return m_framer; }
    // Sees every good message framed, echoes included (the framer's own
    // observer is the session's, to count them).
    void SetMessageObserver(CBusFramer::MessageHandler observer) { m_observer = std::move(observer); }
    // Gets every good group configuration reply. A reply is a reply even
    // when it came where the echo was awaited (an interface that does not
    // echo, or a lost echo): the framer takes it for the echo, this does not.
    void SetReplyHandler(CBusFramer::MessageHandler handler) { m_replyHandler = std::move(handler); }

    // The transmit procedure; the failed write, also kept as PortFailure.
    bus::LineError Send(const bus::GroupMessageFields& fields);
    // Until the last send's echo has been framed, at most the program's five pauses.
    void AwaitEcho();

    // Reads and frames until `done` holds, the deadline passes, an interrupt
    // comes or the port fails. True when `done` held.
    bool PumpUntil(Clock::time_point deadline, const std::function<bool()>& done);

    // The time on the context's clock.
    Clock::time_point Now() const { return m_context.clock->Now(); }
    // When the last byte arrived (the session's start before any).
    Clock::time_point LastReceived() const { return m_lastReceived; }
    // How many good messages of any kind were framed.
    int GoodMessages() const { return m_goodMessages; }
    // Whether the bus echoed the last message sent.
    bool LastEchoSeen() const { return m_lastEchoSeen; }
    // How many echoes came, and when the last one did: the pace the bus kept.
    int Echoes() const { return m_echoes; }
    Clock::time_point LastEchoAt() const { return m_lastEchoAt; }
    // Writes, once per session, that the bus did not echo what was sent:
    // it echoed nothing, or an echo is long overdue.
    void WarnOnceIfEchoMissing();
    // The failed read or write; success while the port works.
    const bus::LineError& PortFailure() const { return m_port.Failure(); }
    // Writes the one error line for a failed port and gives ExitPortError.
    int ReportPortFailure();

    bool Interrupted() const { return m_context.Stopped(); }
    // The exit code of the interrupt that came (130 for SIGINT, 143 for SIGTERM).
    int InterruptExit() const { return 128 + m_context.StopSignal(); }
    std::ostream& Err() const { return m_context.err; }
    std::ostream& Out() const { return m_context.out; }

    // The time one byte takes on the line at the session's speed.
    std::chrono::microseconds ByteTime() const { return m_byteTime; }

private:
    int Fail(const std::string& what);
    // Names the port the options give (m_name, m_path, m_label); true when
    // no port was ever chosen (no --port, BRENVIK_PORT or saved port).
    bool NamePort(const CliOptions& options);
    // The echo wait's pause: frames what arrives meanwhile.
    void PumpForEcho(std::chrono::milliseconds length);
    void OnGoodMessage(std::span<const std::uint8_t> message);

    const CliContext& m_context;
    CSerialLine m_line;
    CBusFramer m_framer;
    busport::CBusPort m_port {m_line, m_framer};
    CBusFramer::MessageHandler m_observer;
    CBusFramer::MessageHandler m_replyHandler;
    // Sent messages whose echo has not come yet, oldest first; an echo may
    // come late, behind the next send, when the bus cannot keep up.
    std::deque<bus::GroupMessageBytes> m_unechoed;
    bool m_lastEchoSeen = false;
    int m_sendsWithoutEcho = 0; // given up on: too far behind
    int m_echoes = 0;
    Clock::time_point m_lastEchoAt;
    bool m_warnedNoEcho = false;
    std::string m_name;
    std::string m_label;
    std::string m_path;
    std::chrono::microseconds m_byteTime {608};
    Clock::time_point m_lastReceived;
    int m_goodMessages = 0;
};

// A line failure in words, as the window says it too.
using busport::LineErrorText;

} // namespace cli
