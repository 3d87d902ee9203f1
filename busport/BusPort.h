#pragma once

#include "bus/BusFramer.h"
#include "bus/GroupMessage.h"
#include "bus/GroupReply.h"
#include "bus/LineError.h"
#include "busport/LineSettings.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <span>
#include <string>

class CSerialLine;

namespace busport {

// The echo wait before each send: up to five pauses of 50 ms, ending once
// the previous send's echo has been framed; then the message goes anyway.
inline constexpr std::chrono::milliseconds kEchoPause {50};
inline constexpr int kEchoPauses = 5;
// How long a send waits for the line to take its bytes.
inline constexpr std::chrono::milliseconds kWriteTimeout {2000};
// One notification reads at most this much; the rest waits for the next.
inline constexpr std::size_t kSerialReadSize = 1024;

// Lets time pass while the echo is awaited: the form sleeps (it frames
// nothing meanwhile), the command line frames what arrives.
using Pause = std::function<void(std::chrono::milliseconds)>;

// Why a step got no answer.
enum class NoAnswer {
    NoEcho,      // nothing came back, not even the echo of what was sent
    NoReply,     // the bus echoed, the transceiver did not answer
    BadChecksum, // what came back was garbled
    LineFault,   // the port failed (see Failure)
};

// What came back since the open: the bytes, and what the framer made of
// them. The difference of two counts tells what came back in between.
struct Heard {
    std::uint64_t bytes = 0;
    std::uint64_t messageBytes = 0; // of them, in messages (good or garbled)
    std::uint64_t messages = 0;     // good messages
    std::uint64_t ours = 0;         // of them, echoes of our sends and replies of a transceiver
    std::uint64_t badChecksums = 0; // messages dropped for a bad checksum

    Heard Since(const Heard& before) const;
    // Bytes that formed no message (a message still arriving among them).
    std::uint64_t StrayBytes() const { return bytes - messageBytes; }
    std::uint64_t OtherMessages() const { return messages - ours; }
};

// The one conversation with the bus, for the window and the command line
// alike. It owns its serial line and its framer: opens the line with its
// settings and arms it, frames what arrives, sends the conversation's
// messages through the transmit procedure (the echo wait, then one write),
// and keeps in one place what the bus answered: which sends were echoed,
// the replies, and whether a Get has its settings. Every failure is a
// bus::LineError with the system's reason kept (see bus/LineError.h).
//
// Used from its owner's thread only.
class CBusPort {
public:
    // Driver queue sizes asked for at open.
    static constexpr std::uint32_t kQueueSize = 512;

    // Opens the named device on the line as the owner needs it (the form's
    // port listens and posts to the form); false when it failed, the line
    // keeping why.
    using Opener = std::function<bool(const char* device)>;
    // Gets every good group reply, decoded; a reply is a reply also where
    // an echo was awaited (an interface that does not echo, a lost echo).
    using ReplyHandler = std::function<void(const bus::GroupReply& reply)>;
    // Sees every good message framed, and whether it was the echo of a send.
    using MessageObserver = std::function<void(std::span<const std::uint8_t> message, bool echo)>;
    // Sees every message dropped for a bad checksum, as it was received.
    using BadMessageObserver = std::function<void(std::span<const std::uint8_t> message)>;
    // Hears of a line error, with the line's error flags.
    using LineErrorObserver = std::function<void(std::uint32_t errors)>;

    // On a plain line, or on the one the owner gives (the form's, which listens).
    CBusPort();
    explicit CBusPort(std::unique_ptr<CSerialLine> line);
    ~CBusPort();
    CBusPort(const CBusPort&) = delete;
    CBusPort& operator=(const CBusPort&) = delete;

    CSerialLine& Line() { return *m_line; }

    // Closes the line if it is open, forgets the conversation so far and
    // opens `device` (with `open`, or a plain open allowing time-outs), then
    // sets the line up: the settings' speed with 8N1, their flow control,
    // data and line-error events, and reads that return at once. A failing
    // step closes the line again and is returned.
    bus::LineError Open(const std::string& device, const LineSettings& settings, const Opener& open = {});
    void Close();
    bool IsOpen() const;

    // One notification's event word: reads what waits and frames it, or
    // discards it after a line error. Only the two exact event codes do
    // anything: a word carrying both is ignored as a whole.
    void OnSerialEvent(std::uint32_t eventWord);
    // Waits up to `timeout` for data or a line error and handles it like a
    // notification, reading on while a read fills its buffer, but not past
    // `timeout`. Running out of time is no failure.
    bus::LineError WaitForEvent(std::chrono::milliseconds timeout);

    // The conversation's steps; each is a send (see Send).
    bus::LineError SendGetRequest(const Pause& pause);
    bus::LineError SendLevelQuery(int channel, const Pause& pause);
    struct WritesSent {
        std::size_t count = 0; // how many of the four went out
        bus::LineError error;  // why the next did not
    };
    // The four writes of `settings`, in the bus's order; stops at the first
    // that fails, or when `goOn` (asked after each echo wait) says no.
    WritesSent SendWrites(const bus::RadioSettings& settings, const Pause& pause,
                          const std::function<bool()>& goOn = {});
    // The transmit procedure: the echo wait, then one write of the whole
    // message. A write that took fewer bytes without a failure of its own is
    // TimedOut. After a failure no echo is awaited.
    bus::LineError Send(const bus::GroupMessageFields& fields, const Pause& pause);
    // The echo wait alone: until the last send's echo has been framed, at
    // most the five pauses.
    void AwaitEcho(const Pause& pause);

    void SetReplyHandler(ReplyHandler handler) { m_replyHandler = std::move(handler); }
    void SetMessageObserver(MessageObserver observer) { m_messageObserver = std::move(observer); }
    void SetBadMessageObserver(BadMessageObserver observer);
    void SetLineErrorObserver(LineErrorObserver observer) { m_lineErrorObserver = std::move(observer); }

    // Whether the echo wait would still wait: no good message came since the
    // last send (the first one after a send is taken as its echo).
    bool AwaitingEcho() const { return m_framer.AwaitingEcho(); }
    // Whether a settings reply came since the last Get request went out.
    bool ReplySeen() const { return m_bReplySeen; }
    // Whether the bus echoed the last message sent.
    bool LastEchoSeen() const { return m_lastEchoSeen; }
    // How many sends were echoed since the open.
    int Echoes() const { return m_echoes; }
    // Whether the bus leaves sends unechoed: it echoed nothing yet, or no
    // echo came since one was given up on. A bus slower than the sends
    // echoes late, not never: its echoes keep coming.
    bool EchoesMissing() const;
    // How many messages were dropped for a bad checksum since the open.
    std::uint64_t BadChecksums() const { return m_heard.badChecksums; }
    // Why a step that sent at the time of `badChecksumsBefore` got no answer.
    NoAnswer WhyNoAnswer(std::uint64_t badChecksumsBefore) const;
    // What came back since the open.
    const Heard& HeardSoFar() const { return m_heard; }

    // How long an open may take to reach a network interface and have its
    // answers (two seconds unless set).
    void SetConnectTimeout(std::chrono::milliseconds timeout);
    // How long a send waits for the line to take its bytes (an interface
    // that holds them back with RTS/CTS); tests shorten it.
    void SetWriteTimeout(std::chrono::milliseconds timeout) { m_writeTimeout = timeout; }

    // The first read, write or wait that failed since the open; success
    // while the line works.
    const bus::LineError& Failure() const { return m_failure; }
    // How many bytes were read, and written, since the open.
    std::uint64_t BytesReceived() const { return m_heard.bytes; }
    std::uint64_t BytesSent() const { return m_bytesSent; }

private:
    // Keeps the first failure since the open, and gives it back.
    bus::LineError Keep(const bus::LineError& error);
    // One notification's read; `filled` tells that it took a whole buffer.
    bus::LineError ReadAndFrame(std::uint32_t eventWord, bool& filled);
    void OnGoodMessage(std::span<const std::uint8_t> message);
    void OnBadMessage(std::span<const std::uint8_t> message);

    std::unique_ptr<CSerialLine> m_line;
    CBusFramer m_framer;
    ReplyHandler m_replyHandler;
    MessageObserver m_messageObserver;
    BadMessageObserver m_badMessageObserver;
    LineErrorObserver m_lineErrorObserver;
    // Sent messages whose echo has not come yet, oldest first; an echo may
    // come late, behind the next send, when the bus cannot keep up.
    std::deque<bus::GroupMessageBytes> m_unechoed;
    int m_sendsWithoutEcho = 0; // given up on: too far behind
    int m_echoesAtGiveUp = 0;   // m_echoes when the last one was given up on
    int m_echoes = 0;
    bool m_lastEchoSeen = false;
    bool m_bReplySeen = false;
    bus::LineError m_failure;
    std::uint64_t m_bytesSent = 0;
    Heard m_heard;
    std::chrono::milliseconds m_writeTimeout {kWriteTimeout};
};

} // namespace busport
