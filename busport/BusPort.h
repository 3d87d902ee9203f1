#pragma once

#include "bus/BusFramer.h"
#include "bus/BusTransmit.h"
#include "bus/GroupMessage.h"
#include "bus/LineError.h"
#include "busport/LineSettings.h"
#include "serial/SerialLine.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <system_error>

namespace busport {

// The one way to the bus, for the window and the command line alike: opens
// a serial line with its line settings and arms it, hands what arrives to a
// framer, sends through the transmit procedure, and reports every failure
// as a bus::LineError with the system's reason kept (see bus/LineError.h).
//
// It drives a line and a framer that its owner keeps (the form keeps both
// as its members) and is used from the owner's thread only.
class CBusPort {
public:
    // Driver queue sizes asked for at open.
    static constexpr win32::DWORD kQueueSize = 512;

    // Opens the named device on the line, as the owner needs it opened (the
    // form's port listens and posts to the form). Returns the line's code.
    using Opener = std::function<win32::LONG(const char* device)>;

    CBusPort(CSerialLine& line, CBusFramer& framer) : m_line(line), m_framer(framer) {}

    // Closes the line if it is open, puts the framer back to its start and
    // opens `device` (with `open`, or a plain open allowing time-outs), then
    // sets the line up: the settings' speed with 8N1, their flow control,
    // data and line-error events, and reads that return at once. A failing
    // step closes the line again and is returned; the reply flag is cleared
    // once everything succeeded.
    bus::LineError Open(const std::string& device, const LineSettings& settings, const Opener& open = {});
    void Close() { m_line.Close(); }
    bool IsOpen() const { return m_line.IsOpen(); }

    // One notification's event word: reads what waits and frames it, or
    // discards it after a line error (bus::OnSerialEvent).
    void OnSerialEvent(std::uint32_t eventWord);
    // Waits up to `timeout` for data or a line error and handles it like a
    // notification. Running out of time is no failure.
    bus::LineError WaitForEvent(std::chrono::milliseconds timeout);
    // The transmit procedure through this line; `pause` is the echo wait's.
    bus::LineError Send(const bus::GroupMessageFields& fields, const bus::BusPause& pause);
    // How long an open may take to reach a network interface and have its
    // answers (two seconds unless set).
    void SetConnectTimeout(std::chrono::milliseconds timeout) { m_line.SetConnectTimeout(win32::DWORD(timeout.count())); }
    // How long a send waits for the line to take its bytes (an interface
    // that holds them back with RTS/CTS); tests shorten it.
    void SetWriteTimeout(std::chrono::milliseconds timeout) { m_writeTimeout = timeout; }

    // The first read, write or wait that failed since the open; success
    // while the line works.
    const bus::LineError& Failure() const { return m_failure; }
    // How many bytes were read, and written, since the open.
    std::uint64_t BytesReceived() const { return m_bytesReceived; }
    std::uint64_t BytesSent() const { return m_bytesSent; }

private:
    // Keeps the first failure since the open; gives the code as a LineError.
    bus::LineError Record(win32::LONG code);
    // One notification's read; `filled` tells that it took a whole buffer.
    bus::LineError ReadAndFrame(std::uint32_t eventWord, bool& filled);

    CSerialLine& m_line;
    CBusFramer& m_framer;
    bus::LineError m_failure;
    std::uint64_t m_bytesReceived = 0;
    std::uint64_t m_bytesSent = 0;
    std::chrono::milliseconds m_writeTimeout {bus::kWriteBusTimeoutMs};
};

// A result of the serial layer in the bus layer's words, with its errno.
bus::LineError LineErrorOf(win32::LONG code, std::error_code system);

// What keeps a device from being opened at this moment (an exclusive open
// tried and released at once): LineError{} when it is free.
bus::LineError ProbeLine(const std::string& device);

} // namespace busport
