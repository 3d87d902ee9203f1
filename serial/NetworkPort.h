#pragma once

#include "serial/LineCounters.h"
#include "serial/LineParams.h"
#include "serial/NetworkAddress.h"
#include "serial/Sockets.h"
#include "serial/SerialTypes.h"
#include "serial/TelnetCodec.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <system_error>
#include <optional>
#include <string>
#include <vector>

// A bus interface on the network, the serial line's second back-end: a TCP
// connection to a serial-to-network server, either a plain byte stream or
// Telnet with the COM port option, through which the line is set.
//
// Results follow the serial layer's contract (SerialLine.h): a Win32 code,
// 0 for success, with the system's reason (an errno value, or Winsock's
// error on Windows; 0 for none) in `systemError`. What the codes mean here
// (the reasons named as on POSIX):
// - ERROR_FILE_NOT_FOUND: nothing answers at the address: the connection was
//   refused or the host is unreachable (errno says which), or the host name
//   does not resolve (no errno).
// - ERROR_PATH_NOT_FOUND with EINVAL: the text is no usable address.
// - ERROR_TIMEOUT with ETIMEDOUT: no connection, or no answer to the line
//   settings, within the time-out; with EPROTO: the server sent, but never
//   answered the line settings (it floods, or speaks no RFC 2217).
// - ERROR_ACCESS_DENIED with EBUSY: the server turned the client away, as a
//   server does when another client or program has the port: over RFC 2217
//   it closed the connection before the line was set (Connect tries again
//   for half a second first: a server may still be releasing the device of
//   the connection before); over a plain stream, which has no greeting, a
//   read finds that all the server sent was a line of text, then the end.
// - ERROR_INVALID_PARAMETER: the server set another value than the one asked
//   for; ERROR_NOT_SUPPORTED: it refused the COM port option.
// - ERROR_GEN_FAILURE with ECONNRESET: the connection was lost.
//
// Every wait (connection, the server's answers, a read) ends at its deadline
// whatever the server keeps sending meanwhile.
//
// The socket is non-blocking (serial/Sockets.h: BSD sockets or Winsock 2). The owning thread reads, writes
// and sets the line; another thread may wait on the descriptor and read the
// line-error counts.
// Whether a connection to the address succeeds within `timeoutMs` (then closed;
// a plain stream is first given a moment to be refused in): the probe's PortFree, PortAbsent (nothing answers there),
// PortBusy (the server turned the probe away) or PortUnknown; `reason`, when
// given, gets the system's reason of a failure.
int ProbeNetworkPort(const NetworkAddress& address, win32::DWORD timeoutMs, std::error_code* reason);

class CNetworkPort {
public:
    // How long a connection and each answer of the server may take, unless
    // the line's owner says otherwise.
    static constexpr win32::DWORD kDefaultTimeoutMs = 2000;
    // How long a probe gives a plain stream's server to turn it away; a
    // server that does so sends its line of text as soon as it accepts.
    static constexpr win32::DWORD kRefusalWaitMs = 200;

    // Connects to an address; the name resolution and the connection
    // together take at most `timeoutMs`.
    // Over RFC 2217 the connection is up once the server has answered.
    static win32::LONG Connect(const NetworkAddress& address, win32::DWORD timeoutMs, std::unique_ptr<CNetworkPort>& port,
                               int& systemError);
    ~CNetworkPort();
    CNetworkPort(const CNetworkPort&) = delete;
    CNetworkPort& operator=(const CNetworkPort&) = delete;

    net::Socket Fd() const { return m_fd; }

    // Sets the line: over RFC 2217 each value that differs from what the
    // server last confirmed is sent, and the server's answers must all come
    // within the time-out and match (the first time, within what is left of
    // the connection's time-out: an open never takes longer than that); bytes that arrive meanwhile belong to
    // the old settings and are dropped. Over a plain stream the settings are
    // only kept (the server's side sets the line).
    win32::LONG SetLine(const serial_line::LineParams& params, int& systemError);
    // The line as last set.
    const serial_line::LineParams& Line() const { return m_line; }

    // Reads line data into `buffer`. With waitAll false it takes one
    // receive of what has arrived (possibly only Telnet, then no data) and
    // returns at once; with waitAll true it waits for `count` bytes within
    // `timeoutMs` (win32::INFINITE: no limit), however much else arrives. `done` counts the
    // bytes read, also when the call fails; `received` the bytes taken from
    // the connection for them, Telnet's included.
    win32::LONG Read(std::uint8_t* buffer, win32::DWORD count, win32::DWORD& done, bool waitAll,
                     win32::DWORD timeoutMs, std::size_t& received, int& systemError);
    // Writes line data within `timeoutMs`; `done` counts the bytes the
    // connection took whole.
    win32::LONG Write(const std::uint8_t* data, win32::DWORD count, win32::DWORD& done, win32::DWORD timeoutMs,
                      int& systemError);

    // The line errors the server reported, as the driver's counters would
    // count them. Any thread.
    int ReadLineCounters(LineCounters& counters) const;

    // Over a plain stream, waits up to `timeoutMs` for the server to turn the
    // client away (a server does so at once); 0 when it has not.
    win32::LONG AwaitRefusal(win32::DWORD timeoutMs, int& systemError);
    // The server ended the connection: ERROR_GEN_FAILURE with ECONNRESET, or
    // its refusal (ERROR_ACCESS_DENIED with EBUSY). Any thread.
    win32::LONG PeerClosed(int& systemError) const;

private:
    CNetworkPort(net::Socket fd, NetworkAddress::Protocol protocol, win32::DWORD timeoutMs,
                 std::optional<std::chrono::steady_clock::time_point> openEnd);

    bool SpeaksTelnet() const { return m_codec != nullptr; }
    // Sends all of `bytes` before the deadline (nothing = no limit).
    win32::LONG SendAll(std::span<const std::uint8_t> bytes, std::size_t& sent, int timeoutMs, int& systemError);
    // One non-blocking receive, decoded into `data` (`got` data bytes);
    // `more` is false when nothing was waiting; `received` grows by the bytes
    // taken from the connection.
    win32::LONG ReceiveOnce(std::uint8_t* data, std::size_t room, std::size_t& got, bool& more, std::size_t& received,
                            int& systemError);
    // Over RFC 2217: offers the options and waits, within the connection's
    // time-out, until the server answers a query of the speed.
    win32::LONG Greet(int& systemError);
    // Reads and decodes (dropping data) until `answered` holds or `end`.
    win32::LONG AwaitAnswers(const std::function<bool()>& answered,
                             const std::optional<std::chrono::steady_clock::time_point>& end, int& systemError);
    // Sends the codec's negotiation answers, if any, as far as the socket
    // takes them without waiting.
    win32::LONG SendAnswers(int& systemError);
    static constexpr std::size_t kUnsentAnswersLimit = 4096;
    // `result` of a transfer, except that a connection lost (ended or reset:
    // the client may have written after the server closed) after all the
    // server sent was a line of text is the server's refusal.
    win32::LONG Ended(win32::LONG result, int& systemError) const;
    // Whether all a plain stream's server sent, read or still queued, is one
    // short line of text.
    bool SentOnlyText() const;
    // A refusal is short; a longer stream is the bus's.
    static constexpr std::size_t kRefusalTextLimit = 160;

    net::Socket m_fd = net::kNoSocket;
    win32::DWORD m_timeoutMs;
    std::optional<std::chrono::steady_clock::time_point> m_openEnd;  // the connection's deadline
    std::unique_ptr<CTelnetCodec> m_codec;  // RFC 2217 only
    std::vector<std::uint8_t> m_unsentAnswers;  // negotiation answers the socket has not taken yet
    // A plain stream's first bytes, up to kRefusalTextLimit + 1; taken from
    // the socket under the lock, so that SentOnlyText sees each byte once.
    mutable std::mutex m_firstBytesLock;
    std::vector<std::uint8_t> m_firstBytes;
    serial_line::LineParams m_line;
    std::optional<serial_line::LineParams> m_confirmed;  // what the server last confirmed
    mutable std::mutex m_countersLock;
    LineCounters m_counters;
};
