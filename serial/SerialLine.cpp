#include "serial/SerialLine.h"

#include "serial/ErrnoMap.h"
#include "serial/LineControl.h"
#include "serial/NetworkPort.h"
#include "serial/PortDevice.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

using namespace win32;

namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds left until a deadline for poll: -1 = no limit.
class Deadline {
public:
    explicit Deadline(DWORD timeoutMs)
        : m_infinite(timeoutMs == INFINITE), m_end(Clock::now() + std::chrono::milliseconds(timeoutMs))
    {
    }
    int RemainingMs() const
    {
        if (m_infinite)
            return -1;
        auto left = std::chrono::ceil<std::chrono::milliseconds>(m_end - Clock::now()).count();
        return left > 0 ? static_cast<int>(std::min<long long>(left, 1 << 30)) : 0;
    }

private:
    bool m_infinite;
    Clock::time_point m_end;
};

bool Unsupported(int error)
{
    return error == ENOTTY || error == EINVAL;
}

// How often a direct wait looks at the line-error counters, which wake no
// poll: where the driver keeps them, and while input it was not asked to
// report is waiting.
constexpr int kCounterRecheckMs = 10;

}  // namespace

CSerialLine::~CSerialLine()
{
    CSerialLine::Close();
}

LONG CSerialLine::Fail(LONG code, int systemError)
{
    m_lastError = code;
    m_lastErrno = systemError;
    return code;
}

LONG CSerialLine::FailErrno(int systemError)
{
    return Fail(Win32FromErrno(systemError), systemError);
}

void CSerialLine::ClearLastError()
{
    m_lastError = 0;
    m_lastErrno = 0;
}

LONG CSerialLine::Open(const char* device, DWORD /*inQueue*/, DWORD /*outQueue*/, bool overlapped)
{
    ClearLastError();
    if (IsOpen())
        return Fail(ERROR_ALREADY_INITIALIZED);

    int fd = -1;
    if (const std::optional<std::string> url = NetworkUrlOf(device)) {
        if (LONG result = ConnectNetwork(*url, fd))
            return result;
    } else if (LONG result = OpenDevice(device, fd)) {
        return result;
    }

    m_overlapped = overlapped;
    m_readMode = ReadModeImmediate;
    m_evtChar = 0;
    m_pendingEvents = 0;
    m_port = fd;
    LineCounters start;
    if (ReadCounters(start) != 0)
        start = {};
    m_countersSeen = start;
    m_countersCleared = start;

    SetMask(EV_RXCHAR | EV_BREAK | EV_ERR);
    SetReadTimeoutMode(ReadModeImmediate);
    return m_lastError;
}

LONG CSerialLine::OpenDevice(const char* device, int& fd)
{
    if (int err = serial_device::OpenExclusive(device, true, fd))
        return FailErrno(err);
    if (int err = serial_line::MakeRaw(fd)) {
        serial_device::Release(fd, true);
        fd = -1;
        return FailErrno(err);
    }
    // A reopened device may still hold bytes from before; they belong to no one.
    serial_line::FlushInput(fd);
    return 0;
}

LONG CSerialLine::Close()
{
    ClearLastError();
    const int fd = m_port.exchange(-1);
    if (m_network)
        m_network.reset();  // closes its socket, fd
    else if (fd >= 0)
        serial_device::Release(fd, true);
    return 0;
}

LONG CSerialLine::Setup(DWORD baudRate, int byteSize, int parity, int stopBits)
{
    serial_line::LineParams params;
    if (!FetchLineParams(params))
        return m_lastError;
    // Linux lines have one or two stop bits; 1.5 is refused like any value
    // the driver cannot do, before anything changes.
    if (stopBits != ONESTOPBIT && stopBits != TWOSTOPBITS)
        return Fail(ERROR_INVALID_PARAMETER);
    const serial_line::LineParams before = params;
    params.baudRate = baudRate;
    params.byteSize = byteSize;
    params.parity = parity;
    params.twoStopBits = stopBits == TWOSTOPBITS;
    if (m_network)
        return SetNetworkLine(params);
    if (int err = serial_line::WriteLineParams(PortFd(), params))
        return FailErrno(err);
    // Some drivers (pseudo-terminals among them) silently keep 8 data bits
    // and no parity; a change the driver did not take is refused and undone.
    serial_line::LineParams taken;
    if (serial_line::ReadLineParams(PortFd(), taken) == 0
        && (taken.byteSize != byteSize || taken.parity != parity || taken.twoStopBits != params.twoStopBits)) {
        serial_line::WriteLineParams(PortFd(), before);
        return Fail(ERROR_INVALID_PARAMETER);
    }
    return m_lastError;
}

LONG CSerialLine::SetEvtChar(char eventChar, bool addToMask)
{
    serial_line::LineParams params;
    if (!FetchLineParams(params))
        return m_lastError;
    if (addToMask)
        SetMask(GetMask() | EV_RXFLAG);
    m_evtChar = eventChar;
    return m_lastError;
}

LONG CSerialLine::SetMask(DWORD mask)
{
    ClearLastError();
    if (!IsOpen())
        return Fail(ERROR_INVALID_HANDLE);
    m_eventMask = mask;
    return 0;
}

LONG CSerialLine::StartTransfer(DWORD& count, const OVERLAPPED* overlapped, DWORD timeoutMs)
{
    count = 0;
    ClearLastError();
    if (!IsOpen())
        return Fail(ERROR_INVALID_HANDLE);
    if (overlapped || (!m_overlapped && timeoutMs != INFINITE))
        return Fail(ERROR_INVALID_FUNCTION);
    return 0;
}

LONG CSerialLine::WaitReady(Direction direction, int timeoutMs, int& systemError)
{
    systemError = 0;
    // A connection whose server ended it reports POLLRDHUP: gone, like a hung-up device.
    pollfd entry {PortFd(), static_cast<short>(direction == Direction::In ? POLLIN | POLLRDHUP : POLLOUT), 0};
    int ready;
    do {
        ready = ::poll(&entry, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready < 0) {
        systemError = errno;
        return Win32FromErrno(systemError);
    }
    if (ready == 0)
        return ERROR_TIMEOUT;
    if (entry.revents & POLLNVAL)
        return ERROR_INVALID_HANDLE;
    if (entry.revents & POLLRDHUP) {
        systemError = ECONNRESET;  // only a network interface's server ends a stream
        return ERROR_GEN_FAILURE;
    }
    if (entry.revents & (POLLHUP | POLLERR))
        return ERROR_GEN_FAILURE;
    return 0;
}

LONG CSerialLine::WaitForPortEvent(OVERLAPPED* overlapped, DWORD timeoutMs)
{
    DWORD unused = 0;
    if (LONG refused = StartTransfer(unused, overlapped, timeoutMs))
        return refused;
    const DWORD mask = m_eventMask;
    if (mask == 0)
        return Fail(ERROR_INVALID_PARAMETER);

    // Input makes poll return; line errors do not, so where the driver counts
    // them the wait looks at the counters every kCounterRecheckMs as well.
    const bool watchCounters = HasLineCounters();
    const Deadline deadline(timeoutMs);
    for (;;) {
        int waiting = 0;
        serial_line::BytesWaiting(PortFd(), waiting);
        if (const DWORD events = TakeLineEvents(waiting > 0) & mask) {
            m_pendingEvents = events;
            return 0;
        }
        const int remaining = deadline.RemainingMs();
        if (remaining == 0)
            return Fail(ERROR_TIMEOUT);
        const int slice = remaining < 0 ? kCounterRecheckMs : std::min(remaining, kCounterRecheckMs);
        if (waiting > 0) {
            // Input is there but not asked for: only the counters can bring an event.
            ::poll(nullptr, 0, slice);
            continue;
        }
        int why = 0;
        const LONG result = WaitReady(Direction::In, watchCounters ? slice : remaining, why);
        if (result != 0 && result != ERROR_TIMEOUT)
            return Fail(result, why);
    }
}

LONG CSerialLine::SetHandshake(int mode)
{
    serial_line::LineParams params;
    if (!FetchLineParams(params))
        return m_lastError;
    if (mode != HandshakeNone && mode != HandshakeRtsDtr && mode != HandshakeXonXoff)
        return Fail(E_INVALIDARG);
    params.rtsCtsFlow = mode == HandshakeRtsDtr;
    params.xonXoffOut = mode == HandshakeXonXoff;
    params.xonXoffIn = mode == HandshakeXonXoff;
    if (m_network)
        return SetNetworkLine(params);
    if (int err = serial_line::WriteLineParams(PortFd(), params))
        return FailErrno(err);
    // No handshake raises RTS and lowers DTR; hardware handshake starts with
    // both raised; XON/XOFF lowers both.
    const bool rts = mode != HandshakeXonXoff;
    const bool dtr = mode == HandshakeRtsDtr;
    if (int err = serial_line::SetModemLines(PortFd(), rts, dtr))
        return FailErrno(err);
    return m_lastError;
}

LONG CSerialLine::SetReadTimeoutMode(int mode)
{
    serial_line::LineParams params;
    if (!FetchLineParams(params))
        return m_lastError;
    if (mode != ReadModeImmediate && mode != ReadModeWaitAll)
        return Fail(E_INVALIDARG);
    m_readMode = mode;
    return 0;
}

bool CSerialLine::FetchLineParams(serial_line::LineParams& params)
{
    ClearLastError();
    if (!IsOpen()) {
        Fail(ERROR_INVALID_HANDLE);
        return false;
    }
    if (m_network) {
        params = m_network->Line();
        return true;
    }
    if (int err = serial_line::ReadLineParams(PortFd(), params)) {
        FailErrno(err);
        return false;
    }
    return true;
}

int CSerialLine::GetBaudRate()
{
    serial_line::LineParams params;
    return FetchLineParams(params) ? static_cast<int>(params.baudRate) : -1;
}

int CSerialLine::GetByteSize()
{
    serial_line::LineParams params;
    return FetchLineParams(params) ? params.byteSize : -1;
}

int CSerialLine::GetParity()
{
    serial_line::LineParams params;
    return FetchLineParams(params) ? params.parity : -1;
}

int CSerialLine::GetStopBits()
{
    serial_line::LineParams params;
    if (!FetchLineParams(params))
        return -1;
    return params.twoStopBits ? TWOSTOPBITS : ONESTOPBIT;
}

int CSerialLine::GetHandshake()
{
    serial_line::LineParams params;
    if (!FetchLineParams(params))
        return -1;
    if (params.rtsCtsFlow)
        return HandshakeRtsDtr;
    if (params.xonXoffOut && params.xonXoffIn)
        return HandshakeXonXoff;
    return HandshakeNone;
}

DWORD CSerialLine::GetMask()
{
    ClearLastError();
    if (!IsOpen()) {
        Fail(ERROR_INVALID_HANDLE);
        return 0;
    }
    return m_eventMask;
}

char CSerialLine::GetEvtChar()
{
    serial_line::LineParams params;
    return FetchLineParams(params) ? m_evtChar.load() : '\0';
}

LONG CSerialLine::WriteString(const char* text, DWORD* written, OVERLAPPED* overlapped, DWORD timeoutMs)
{
    const DWORD length = text ? static_cast<DWORD>(std::strlen(text)) : 0;
    return Write(text, length, written, overlapped, timeoutMs);
}

LONG CSerialLine::Write(const void* data, DWORD count, DWORD* written, OVERLAPPED* overlapped, DWORD timeoutMs)
{
    DWORD scratch = 0;
    DWORD& done = written ? *written : scratch;
    if (LONG refused = StartTransfer(done, overlapped, timeoutMs))
        return refused;
    if (m_network)
        return WriteNetwork(data, count, done, timeoutMs);

    // What the driver has taken is counted even when the time-out ends the
    // write: it cannot be called back, and the caller should know.
    const auto* bytes = static_cast<const unsigned char*>(data);
    const Deadline deadline(timeoutMs);
    while (done < count) {
        const ssize_t n = ::write(PortFd(), bytes + done, count - done);
        if (n > 0) {
            done += static_cast<DWORD>(n);
        } else if (n < 0 && errno == EAGAIN) {
            int why = 0;
            if (LONG result = WaitReady(Direction::Out, deadline.RemainingMs(), why))
                return Fail(result, why);
        } else if (n < 0 && errno != EINTR) {
            return FailErrno(errno);
        }
    }
    return 0;
}

LONG CSerialLine::Read(void* buffer, DWORD count, DWORD* read, OVERLAPPED* overlapped, DWORD timeoutMs)
{
    DWORD scratch = 0;
    DWORD& done = read ? *read : scratch;
    if (LONG refused = StartTransfer(done, overlapped, timeoutMs))
        return refused;
    if (m_network)
        return ReadNetwork(buffer, count, done, timeoutMs);

    // Immediate mode takes what is buffered and returns; wait-all mode waits
    // for the full count within the time-out. Bytes taken before a time-out
    // are in the buffer and counted.
    auto* bytes = static_cast<unsigned char*>(buffer);
    const Deadline deadline(timeoutMs);
    while (done < count) {
        const ssize_t n = ::read(PortFd(), bytes + done, count - done);
        if (n > 0) {
            done += static_cast<DWORD>(n);
            if (m_readMode == ReadModeImmediate)
                break;
        } else if (n == 0) {
            return Fail(ERROR_GEN_FAILURE);  // hung up: the device is gone
        } else if (errno == EAGAIN) {
            if (m_readMode == ReadModeImmediate)
                break;
            int why = 0;
            if (LONG result = WaitReady(Direction::In, deadline.RemainingMs(), why))
                return Fail(result, why);
        } else if (errno != EINTR) {
            return FailErrno(errno);
        }
    }
    return 0;
}

void CSerialLine::SetLineCounterReader(LineCounterReader reader)
{
    m_counterReader = std::move(reader);
}

int CSerialLine::ReadCounters(LineCounters& counters)
{
    if (m_network)
        return m_network->ReadLineCounters(counters);
    const int err = m_counterReader ? m_counterReader(PortFd(), counters) : ENOTTY;
    if (Unsupported(err)) {
        counters = {};
        return 0;
    }
    return err;
}

bool CSerialLine::HasLineCounters()
{
    LineCounters counters;
    return m_network || (m_counterReader && m_counterReader(PortFd(), counters) == 0);
}

DWORD CSerialLine::TakeLineEvents(bool inputWaiting)
{
    DWORD events = inputWaiting ? EV_RXCHAR : 0;
    LineCounters now;
    if (ReadCounters(now) == 0) {
        events |= LineEventsBetween(m_countersSeen, now);
        m_countersSeen = now;
    }
    return events;
}

DWORD CSerialLine::ClearLineErrors()
{
    LineCounters now;
    if (int err = ReadCounters(now)) {
        FailErrno(err);
        return 0;
    }
    const DWORD errors = LineErrorsBetween(m_countersCleared, now);
    m_countersCleared = now;
    return errors;
}
