#include "serial/SerialListener.h"

#include "serial/ErrnoMap.h"
#include "serial/LineControl.h"

#include <poll.h>

#include <cerrno>
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
    if (startListening) {
        if (LONG result = StartListening())
            return result;
    }
    return m_lastError;
}

LONG CSerialListener::Close()
{
    StopListening(INFINITE);
    return CSerialLine::Close();
}

LONG CSerialListener::Read(void* buffer, DWORD count, DWORD* read, OVERLAPPED* overlapped, DWORD timeoutMs)
{
    const LONG result = CSerialLine::Read(buffer, count, read, overlapped, timeoutMs);
    if (m_inputParked.exchange(false))
        WakeWaiters();
    return result;
}

LONG CSerialListener::StartListening()
{
    if (m_listenerThread.joinable()) {
        ClearLastError();
        return 0;
    }
    if (!IsOpen())
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
        WakeWaiters();
        m_listenerThread.join();
        m_stopRequested = false;
        m_listening = false;
    }
    ClearLastError();
    return 0;
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
    const int wakeEvent = WakeEvent();
    const bool recheckCounters = HasLineCounters();
    int queuedAtPark = 0;
    for (;;) {
        const bool watchInput = !m_inputParked;
        pollfd waits[2] = {
            {wakeEvent, POLLIN, 0},
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
        if (waits[0].revents & POLLIN)
            DrainWakeEvent(wakeEvent);
        if (waits[1].revents & POLLNVAL)
            return EndListening(ERROR_INVALID_HANDLE);
        // A vanished device reports hang-up or error on every poll: after
        // this pass, which still announces bytes that came with it, the end.
        const bool hungUp = waits[1].revents & (POLLHUP | POLLERR | POLLRDHUP);

        bool arrived = false;
        if (watchInput && (waits[1].revents & (POLLIN | POLLHUP | POLLERR))) {
            // Park before measuring: a Read from now on re-arms the watch.
            m_inputParked = true;
            arrived = true;
        }
        const int queued = InputWaiting();
        if (!arrived && !watchInput)
            arrived = queued > queuedAtPark;
        queuedAtPark = queued;
        arrived = arrived && queued > 0;

        const DWORD events = TakeLineEvents(arrived) & m_eventMask;
        m_pendingEvents = events;
        const DWORD errors = ClearLineErrors();
        if (events != 0)
            OnPortEvent(events, errors);
        if (hungUp)
            return EndListening(ERROR_GEN_FAILURE);
        if (m_stopRequested)
            return EndListening(0);
    }
}
