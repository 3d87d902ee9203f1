#include "serial/SerialListener.h"

#include "serial/ErrnoMap.h"
#include "serial/LineControl.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

using namespace win32;

namespace {

// How often the thread looks at the input queue while it does not watch
// for input, and at the line-error counters where the driver keeps them.
constexpr int kRecheckMs = 20;

}  // namespace

CSerialListener::~CSerialListener()
{
    CSerialListener::Close();
}

LONG CSerialListener::Open(const char* device, DWORD inQueue, DWORD outQueue, bool startListening)
{
    if (LONG result = CSerialLine::Open(device, inQueue, outQueue, true))
        return result;
    m_listenerEvent = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_listenerEvent < 0) {
        const int error = errno;
        CSerialLine::Close();
        return FailErrno(error);
    }
    if (startListening) {
        if (LONG result = StartListening())
            return result;
    }
    return m_lastError;
}

LONG CSerialListener::Close()
{
    StopListening(INFINITE);
    if (m_listenerEvent >= 0) {
        ::close(m_listenerEvent);
        m_listenerEvent = -1;
    }
    return CSerialLine::Close();
}

LONG CSerialListener::SetMask(DWORD mask)
{
    const LONG result = CSerialLine::SetMask(mask);
    if (result == 0)
        Wake();
    return result;
}

LONG CSerialListener::Read(void* buffer, DWORD count, DWORD* read, OVERLAPPED* overlapped, DWORD timeoutMs)
{
    const LONG result = CSerialLine::Read(buffer, count, read, overlapped, timeoutMs);
    if (m_inputParked.exchange(false))
        Wake();
    return result;
}

LONG CSerialListener::StartListening()
{
    if (m_listenerThread.joinable()) {
        ClearLastError();
        return 0;
    }
    if (!IsOpen() || m_listenerEvent < 0)
        return Fail(ERROR_INVALID_HANDLE);
    m_listenerResult = 0;
    m_inputParked = false;
    m_listening = true;
    try {
        m_listenerThread = std::thread(ListenerThreadProc, this);
    } catch (const std::system_error&) {
        m_listening = false;
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    ClearLastError();
    return 0;
}

LONG CSerialListener::StopListening(DWORD /*timeoutMs*/)
{
    if (m_listenerThread.joinable()) {
        m_stopRequested = true;
        Wake();
        m_listenerThread.join();
        m_stopRequested = false;
        m_listening = false;
    }
    ClearLastError();
    return 0;
}

void CSerialListener::Wake()
{
    if (m_listenerEvent < 0)
        return;
    const std::uint64_t one = 1;
    // A full counter (never in practice) still leaves the thread woken.
    [[maybe_unused]] ssize_t ignored = ::write(m_listenerEvent, &one, sizeof one);
}

LONG CSerialListener::ListenerThreadProc(CSerialListener* listener)
{
    return listener->ListenerLoop();
}

LONG CSerialListener::EndListening(LONG result, int systemError)
{
    m_listenerResult = result;
    m_listening = false;
    if (result != 0)
        Fail(result, systemError);
    return result;
}

LONG CSerialListener::ListenerLoop()
{
    const int port = PortFd();
    const bool recheckCounters = HasLineCounters();
    int queuedAtPark = 0;
    for (;;) {
        const bool watchInput = !m_inputParked;
        pollfd waits[2] = {
            {m_listenerEvent, POLLIN, 0},
            // POLLRDHUP: a network interface's server ended the connection.
            {port, static_cast<short>((watchInput ? POLLIN : 0) | POLLRDHUP), 0},
        };
        const int timeout = (watchInput && !recheckCounters) ? -1 : kRecheckMs;
        if (::poll(waits, 2, timeout) < 0) {
            if (errno == EINTR)
                continue;
            return EndListening(Win32FromErrno(errno), errno);
        }
        if (m_stopRequested)
            return EndListening(0);
        if (waits[0].revents & POLLIN) {
            std::uint64_t count;
            [[maybe_unused]] ssize_t ignored = ::read(m_listenerEvent, &count, sizeof count);
        }
        // A vanished device reports hang-up or error on every poll: the end.
        if (waits[1].revents & POLLNVAL)
            return EndListening(ERROR_INVALID_HANDLE);
        if (waits[1].revents & (POLLHUP | POLLERR | POLLRDHUP))
            return EndListening(ERROR_GEN_FAILURE);

        bool arrived = false;
        if (watchInput && (waits[1].revents & POLLIN)) {
            // Park before measuring: a Read from now on re-arms the watch.
            m_inputParked = true;
            arrived = true;
        }
        int queued = 0;
        if (int err = serial_line::BytesWaiting(port, queued))
            return EndListening(Win32FromErrno(err), err);
        if (!arrived && !watchInput)
            arrived = queued > queuedAtPark;
        queuedAtPark = queued;
        arrived = arrived && queued > 0;

        const DWORD events = TakeLineEvents(arrived) & m_eventMask;
        m_pendingEvents = events;
        const DWORD errors = ClearLineErrors();
        if (events != 0)
            OnPortEvent(events, errors);
        if (m_stopRequested)
            return EndListening(0);
    }
}
