#include "serial/SerialLine.h"

#include "serial/ErrnoMap.h"
#include "serial/LineControl.h"
#include "serial/NetworkPort.h"
#include "serial/PortDevice.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
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
// poll, where the driver keeps them, and at the input queue while bytes
// already reported wait unread (they keep the port readable).
constexpr int kCounterRecheckMs = 10;

// How far the baud rate the driver runs at may be off the one asked for.
constexpr std::int64_t kBaudTolerancePercent = 2;

bool CloseEnough(std::uint32_t taken, std::uint32_t wanted)
{
    const std::int64_t off = std::llabs(std::int64_t(taken) - std::int64_t(wanted));
    return off * 100 <= std::int64_t(wanted) * kBaudTolerancePercent;
}

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
    const int wakeEvent = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeEvent < 0) {
        const int err = errno;
        ReleasePort(fd);
        return FailErrno(err);
    }

    m_overlapped = overlapped;
    m_readMode = ReadModeImmediate;
    m_evtChar = 0;
    m_pendingEvents = 0;
    m_inputSeen = 0;
    m_wakeEvent = wakeEvent;
    m_port = fd;
    LineCounters start;
    if (ReadCounters(start) != 0)
        start = {};
    {
        const std::lock_guard guard(m_countersLock);
        m_countersSeen = start;
        m_countersCleared = start;
    }

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

void CSerialLine::ReleasePort(int fd)
{
    if (m_network)
        m_network.reset(); // closes its socket, fd
    else
        serial_device::Release(fd, true);
}

LONG CSerialLine::Close()
{
    ClearLastError();
    const int fd = m_port.exchange(-1);
    if (fd < 0)
        return 0;
    // A wait on another thread ends now and must be gone before the
    // descriptor it polls is closed (and maybe reused).
    WakeWaiters();
    for (int waits = m_waitsInProgress.load(); waits != 0; waits = m_waitsInProgress.load())
        m_waitsInProgress.wait(waits);
    ReleasePort(fd);
    ::close(m_wakeEvent.exchange(-1));
    return 0;
}

void CSerialLine::WakeWaiters()
{
    const int wakeEvent = m_wakeEvent.load();
    if (wakeEvent < 0)
        return;
    const std::uint64_t one = 1;
    // A full counter (never in practice) still leaves the waiters woken.
    [[maybe_unused]] ssize_t ignored = ::write(wakeEvent, &one, sizeof one);
}

void CSerialLine::DrainWakeEvent(int wakeEvent)
{
    std::uint64_t count;
    [[maybe_unused]] ssize_t ignored = ::read(wakeEvent, &count, sizeof count);
}

int CSerialLine::InputWaiting()
{
    int waiting = 0;
    if (m_driver.inputWaiting(PortFd(), waiting) != 0)
        return 0;
    return waiting;
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
    // Some drivers (pseudo-terminals among them) silently keep 8 data bits
    // and no parity, and adapters round the rate to a table of their own;
    // a line that would run otherwise than asked is refused.
    return ApplyLineParams(before, params, [&](const serial_line::LineParams& taken) {
        const bool asked = taken.byteSize == params.byteSize && taken.parity == params.parity
            && taken.twoStopBits == params.twoStopBits && CloseEnough(taken.baudRate, params.baudRate);
        return asked ? ERROR_SUCCESS : Fail(ERROR_INVALID_PARAMETER);
    });
}

template <typename Finish>
LONG CSerialLine::ApplyLineParams(const serial_line::LineParams& before, const serial_line::LineParams& wanted,
                                  Finish finish)
{
    const int fd = PortFd();
    serial_line::LineParams taken;
    LONG result;
    if (int err = m_driver.writeParams(fd, wanted))
        result = FailErrno(err);
    else if (int err = m_driver.readParams(fd, taken))
        result = FailErrno(err);
    else
        result = finish(taken);
    if (result != ERROR_SUCCESS)
        m_driver.writeParams(fd, before);
    return result;
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
    WakeWaiters();
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
    // Counted before the port is looked at again: a Close that took the
    // descriptor away first is seen here, any later one waits for this call.
    m_waitsInProgress.fetch_add(1);
    struct Leave {
        CSerialLine& line;
        ~Leave()
        {
            line.m_waitArmed = false;
            line.m_waitsInProgress.fetch_sub(1);
            line.m_waitsInProgress.notify_all();
        }
    } leave {*this};
    const int port = PortFd();
    const int wakeEvent = WakeEvent();
    if (port < 0)
        return Fail(ERROR_INVALID_HANDLE);
    // Only a SetMask or Close from now on ends this wait.
    DrainWakeEvent(wakeEvent);
    m_pendingEvents = 0;
    m_waitArmed = true;

    // Input makes poll return; line errors do not, so where the driver counts
    // them the wait looks at the counters every kCounterRecheckMs as well.
    const bool watchCounters = HasLineCounters();
    const Deadline deadline(timeoutMs);
    for (;;) {
        const DWORD mask = m_eventMask;
        if (mask == 0)
            return Fail(ERROR_INVALID_PARAMETER);
        const int waiting = InputWaiting();
        const bool arrived = waiting > m_inputSeen.exchange(waiting);
        if (const DWORD events = TakeLineEvents(arrived) & mask) {
            m_pendingEvents = events;
            return 0;
        }
        const int remaining = deadline.RemainingMs();
        if (remaining == 0)
            return Fail(ERROR_TIMEOUT);
        // Reported input keeps the port readable: then only a look at the
        // queue now and then tells of new bytes.
        const bool recheck = watchCounters || waiting > 0;
        pollfd waits[2] = {
            {wakeEvent, POLLIN, 0},
            // POLLRDHUP: a network interface's server ended the connection.
            {port, static_cast<short>((waiting > 0 ? 0 : POLLIN) | POLLRDHUP), 0},
        };
        const int slice = remaining < 0 ? kCounterRecheckMs : std::min(remaining, kCounterRecheckMs);
        if (::poll(waits, 2, recheck ? slice : remaining) < 0 && errno != EINTR)
            return FailErrno(errno);
        if (waits[0].revents & POLLIN) {
            // SetMask or Close: the wait completes with no events.
            if (!IsOpen())
                return Fail(ERROR_INVALID_HANDLE);
            return 0;
        }
        if (waits[1].revents & POLLNVAL)
            return Fail(ERROR_INVALID_HANDLE);
        // Bytes that came with a hang-up are reported (next round) before the end.
        const bool newInput = (mask & EV_RXCHAR) && InputWaiting() > m_inputSeen;
        if ((waits[1].revents & (POLLHUP | POLLERR | POLLRDHUP)) && !newInput)
            return Fail(ERROR_GEN_FAILURE, (waits[1].revents & POLLRDHUP) ? ECONNRESET : 0);
    }
}

LONG CSerialLine::SetHandshake(int mode)
{
    serial_line::LineParams params;
    if (!FetchLineParams(params))
        return m_lastError;
    if (mode != HandshakeNone && mode != HandshakeRtsDtr && mode != HandshakeXonXoff)
        return Fail(E_INVALIDARG);
    const serial_line::LineParams before = params;
    params.rtsCtsFlow = mode == HandshakeRtsDtr;
    params.xonXoffOut = mode == HandshakeXonXoff;
    params.xonXoffIn = mode == HandshakeXonXoff;
    if (m_network)
        return SetNetworkLine(params);
    // No handshake raises RTS and lowers DTR; hardware handshake starts with
    // both raised; XON/XOFF lowers both. Lines that fail to follow get their
    // old flow control back.
    const bool rts = mode != HandshakeXonXoff;
    const bool dtr = mode == HandshakeRtsDtr;
    return ApplyLineParams(before, params, [&](const serial_line::LineParams&) {
        const int err = m_driver.setModemLines(PortFd(), rts, dtr);
        return err ? FailErrno(err) : ERROR_SUCCESS;
    });
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
    if (int err = m_driver.readParams(PortFd(), params)) {
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

    // A write that runs out of time is cancelled: what the driver still
    // holds is discarded, and the count says what has left.
    const auto* bytes = static_cast<const unsigned char*>(data);
    const Deadline deadline(timeoutMs);
    while (done < count) {
        const ssize_t n = ::write(PortFd(), bytes + done, count - done);
        if (n > 0) {
            done += static_cast<DWORD>(n);
        } else if (n < 0 && errno == EAGAIN) {
            int why = 0;
            if (LONG result = WaitReady(Direction::Out, deadline.RemainingMs(), why)) {
                if (result == ERROR_TIMEOUT)
                    done = DiscardUnsentOutput(done);
                return Fail(result, why);
            }
        } else if (n < 0 && errno != EINTR) {
            return FailErrno(errno);
        }
    }
    return 0;
}

DWORD CSerialLine::DiscardUnsentOutput(DWORD written)
{
    int queued = 0;
    if (m_driver.outputQueued(PortFd(), queued) != 0)
        queued = 0;
    m_driver.flushOutput(PortFd());
    // The queue may still hold the tail of an earlier write, which this
    // call's count never included.
    return written - std::min<DWORD>(written, DWORD(std::max(queued, 0)));
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
            ForgetReadInput(static_cast<int>(n));
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

void CSerialLine::ForgetReadInput(int count)
{
    int seen = m_inputSeen.load();
    while (!m_inputSeen.compare_exchange_weak(seen, std::max(seen - count, 0))) {
    }
}

void CSerialLine::SetLineCounterReader(LineCounterReader reader)
{
    m_counterReader = std::move(reader);
}

void CSerialLine::SetLineDriver(serial_line::LineDriver driver)
{
    m_driver = std::move(driver);
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
    const std::lock_guard guard(m_countersLock);
    if (ReadCounters(now) == 0) {
        events |= LineEventsBetween(m_countersSeen, now);
        m_countersSeen = now;
    }
    return events;
}

DWORD CSerialLine::ClearLineErrors()
{
    LineCounters now;
    const std::lock_guard guard(m_countersLock);
    if (int err = ReadCounters(now)) {
        FailErrno(err);
        return 0;
    }
    const DWORD errors = LineErrorsBetween(m_countersCleared, now);
    m_countersCleared = now;
    return errors;
}
