#include "serial/SerialComWin32.h"

#include "serial/Deadline.h"

#include <algorithm>

using namespace win32;

namespace {

// The calling thread's last system error, as the result and its reason.
LONG LastFailure(int& systemError)
{
    const DWORD error = ::GetLastError();
    systemError = static_cast<int>(error);
    return static_cast<LONG>(error);
}

// A WaitCommEvent that a mask change ended: Windows completes it with an
// event word of 0, Wine fails it with ERROR_OPERATION_ABORTED. Both are a
// wait that ended without events.
// How an operation's result is taken once its event has fired: waiting,
// which then costs nothing. Wine was seen to fire the event a moment before
// the result is there; not waiting then fails with ERROR_IO_INCOMPLETE.
constexpr BOOL kAfterTheEvent = TRUE;

bool EndedWithoutEvents(DWORD& word)
{
    if (::GetLastError() != static_cast<DWORD>(ERROR_OPERATION_ABORTED))
        return false;
    word = 0;
    return true;
}

HANDLE NewManualResetEvent()
{
    return ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

void CloseIfSet(HANDLE& handle)
{
    if (handle)
        ::CloseHandle(handle);
    handle = nullptr;
}

serial_line::LineParams ParamsOf(const DCB& dcb)
{
    serial_line::LineParams params;
    params.baudRate = dcb.BaudRate;
    params.byteSize = dcb.ByteSize;
    params.parity = dcb.fParity ? dcb.Parity : NOPARITY;
    params.twoStopBits = dcb.StopBits == TWOSTOPBITS;
    // Hardware flow control is output that waits for CTS. The RTS and DTR
    // modes are not looked at: Wine, over a Linux tty, reads both back as
    // enabled whatever was set.
    params.rtsCtsFlow = dcb.fOutxCtsFlow;
    params.xonXoffOut = dcb.fOutX;
    params.xonXoffIn = dcb.fInX;
    return params;
}

}  // namespace

LONG CComPortWin32::Open(const char* device, DWORD inQueue, DWORD outQueue, std::unique_ptr<ISerialBackend>& backend,
                         int& systemError)
{
    auto port = std::unique_ptr<CComPortWin32>(new CComPortWin32());
    const HANDLE file = ::CreateFileA(device, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OVERLAPPED, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return LastFailure(systemError);
    port->m_port = file;
    for (HANDLE* event : {&port->m_ioEvent, &port->m_waitEvent, &port->m_waitWake, &port->m_listenerEvent,
                          &port->m_listenerStop}) {
        if (!(*event = NewManualResetEvent()))
            return LastFailure(systemError);
    }
    if ((inQueue != 0 || outQueue != 0) && !::SetupComm(file, inQueue, outQueue))
        return LastFailure(systemError);
    // The driver's defaults for the port, where it has any; the line's own
    // settings follow.
    COMMCONFIG config {};
    config.dwSize = sizeof config;
    DWORD size = sizeof config;
    if (::GetDefaultCommConfigA(device, &config, &size))
        ::SetCommConfig(file, &config, size);
    // Bytes an earlier user left in the queues belong to no one.
    ::PurgeComm(file, PURGE_RXCLEAR | PURGE_TXCLEAR);
    backend = std::move(port);
    return 0;
}

CComPortWin32::~CComPortWin32()
{
    CloseIfSet(m_port);
    for (HANDLE* event : {&m_ioEvent, &m_waitEvent, &m_waitWake, &m_listenerEvent, &m_listenerStop})
        CloseIfSet(*event);
}

LONG CComPortWin32::ReadLine(serial_line::LineParams& params, int& systemError)
{
    DCB dcb {};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(m_port, &dcb))
        return LastFailure(systemError);
    params = ParamsOf(dcb);
    return 0;
}

template <typename Change>
LONG CComPortWin32::ChangeState(Change change, int& systemError)
{
    DCB dcb {};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(m_port, &dcb))
        return LastFailure(systemError);
    change(dcb);
    if (!::SetCommState(m_port, &dcb))
        return LastFailure(systemError);
    return 0;
}

LONG CComPortWin32::SetFormat(const serial_line::LineParams& before, const serial_line::LineParams& wanted,
                              int& systemError)
{
    const auto format = [](const serial_line::LineParams& params) {
        return [&params](DCB& dcb) {
            dcb.BaudRate = params.baudRate;
            dcb.ByteSize = static_cast<BYTE>(params.byteSize);
            dcb.Parity = static_cast<BYTE>(params.parity);
            dcb.fParity = params.parity != NOPARITY;
            dcb.StopBits = static_cast<BYTE>(params.twoStopBits ? TWOSTOPBITS : ONESTOPBIT);
        };
    };
    if (LONG result = ChangeState(format(wanted), systemError))
        return result;
    // A driver that cannot divide its clock to the rate may take the DCB and
    // run at another one: the line read back must be what was asked.
    serial_line::LineParams taken;
    LONG result = ReadLine(taken, systemError);
    if (result == 0 && !serial_line::RunsAsAsked(taken, wanted))
        result = ERROR_INVALID_PARAMETER;
    if (result != 0) {
        int ignored = 0;
        ChangeState(format(before), ignored);
    }
    return result;
}

LONG CComPortWin32::SetFlowControl(const serial_line::LineParams& /*before*/, const serial_line::LineParams& wanted,
                                   int& systemError)
{
    // One SetCommState: a refused one leaves the line as it was.
    const bool hardware = wanted.rtsCtsFlow;
    const bool xonXoff = wanted.xonXoffOut && wanted.xonXoffIn;
    return ChangeState([&](DCB& dcb) {
        dcb.fOutxCtsFlow = hardware;
        dcb.fOutxDsrFlow = FALSE;
        dcb.fDtrControl = hardware ? DTR_CONTROL_HANDSHAKE : DTR_CONTROL_DISABLE;
        dcb.fOutX = xonXoff;
        dcb.fInX = xonXoff;
        dcb.fRtsControl = hardware ? RTS_CONTROL_HANDSHAKE : xonXoff ? RTS_CONTROL_DISABLE : RTS_CONTROL_ENABLE;
    }, systemError);
}

LONG CComPortWin32::SetReadMode(int mode, int& systemError)
{
    COMMTIMEOUTS timeouts {};
    if (!::GetCommTimeouts(m_port, &timeouts))
        return LastFailure(systemError);
    const bool immediate = mode == 0;
    timeouts.ReadIntervalTimeout = immediate ? MAXDWORD : 0;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    // A write is bounded by its own time-out, which cancels it: a driver's
    // time-out would instead end it early as if it had succeeded.
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = 0;
    if (!::SetCommTimeouts(m_port, &timeouts))
        return LastFailure(systemError);
    m_readImmediate = immediate;
    return 0;
}

LONG CComPortWin32::SetMask(DWORD mask, int& systemError)
{
    if (!::SetCommMask(m_port, mask))
        return LastFailure(systemError);
    ::SetEvent(m_waitWake);
    return 0;
}

void CComPortWin32::EndWaits()
{
    ::SetEvent(m_waitWake);
}

LONG CComPortWin32::Wait(DWORD mask, DWORD timeoutMs, DWORD& events, std::atomic<bool>& armed, int& systemError)
{
    // Only a SetMask or EndWaits from now on ends this wait.
    ::ResetEvent(m_waitWake);
    const Deadline deadline(timeoutMs);
    for (;;) {
        ::ResetEvent(m_waitEvent);
        OVERLAPPED overlapped {};
        overlapped.hEvent = m_waitEvent;
        DWORD word = 0;
        if (::WaitCommEvent(m_port, &word, &overlapped)) {
            events = word & mask;
            return 0;
        }
        if (::GetLastError() != ERROR_IO_PENDING)
            return LastFailure(systemError);
        armed = true;
        const HANDLE waits[] = {m_waitEvent, m_waitWake};
        // No limit left is -1, which is INFINITE.
        const DWORD woke = ::WaitForMultipleObjects(2, waits, FALSE, static_cast<DWORD>(deadline.RemainingMs()));
        DWORD unused = 0;
        if (woke != WAIT_OBJECT_0) {
            // Ended or out of time: the wait must be over before its record goes.
            ::CancelIo(m_port);
            ::GetOverlappedResult(m_port, &overlapped, &unused, TRUE);
            if (woke == WAIT_OBJECT_0 + 1)
                return 0;
            return woke == WAIT_TIMEOUT ? ERROR_TIMEOUT : LastFailure(systemError);
        }
        if (!::GetOverlappedResult(m_port, &overlapped, &unused, kAfterTheEvent) && !EndedWithoutEvents(word))
            return LastFailure(systemError);
        // Ended without events and without being asked to: the driver gave
        // up on its own (Wine does within a millisecond on a pseudo-terminal,
        // whose modem lines it cannot read), and the wait goes on until its
        // time runs out.
        if (word != 0 || ::WaitForSingleObject(m_waitWake, 0) == WAIT_OBJECT_0) {
            events = word & mask;
            return 0;
        }
    }
}

template <typename Transfer>
LONG CComPortWin32::Overlapped(Transfer transfer, DWORD& done, DWORD timeoutMs, int& systemError)
{
    ::ResetEvent(m_ioEvent);
    OVERLAPPED overlapped {};
    overlapped.hEvent = m_ioEvent;
    if (!transfer(overlapped) && ::GetLastError() != ERROR_IO_PENDING)
        return LastFailure(systemError);
    const DWORD woke = ::WaitForSingleObject(m_ioEvent, timeoutMs);
    if (woke == WAIT_OBJECT_0) {
        if (!::GetOverlappedResult(m_port, &overlapped, &done, kAfterTheEvent))
            return LastFailure(systemError);
        return 0;
    }
    // Cancelled, and over before its record goes: what moved until then counts.
    const LONG result = woke == WAIT_TIMEOUT ? ERROR_TIMEOUT : LastFailure(systemError);
    ::CancelIo(m_port);
    ::GetOverlappedResult(m_port, &overlapped, &done, TRUE);
    return result;
}

LONG CComPortWin32::Read(void* buffer, DWORD count, DWORD& done, DWORD timeoutMs, int& systemError)
{
    const auto read = [&](OVERLAPPED& overlapped) { return ::ReadFile(m_port, buffer, count, nullptr, &overlapped); };
    if (!m_readImmediate)
        return Overlapped(read, done, timeoutMs, systemError);
    // The read time-outs alone do not make every driver return at once:
    // Wine keeps an overlapped read with nothing to take pending. What is
    // not there now is not waited for.
    const LONG result = Overlapped(read, done, 0, systemError);
    return result == ERROR_TIMEOUT ? 0 : result;
}

LONG CComPortWin32::Write(const void* data, DWORD count, DWORD& done, DWORD timeoutMs, int& systemError)
{
    const LONG result = Overlapped(
        [&](OVERLAPPED& overlapped) { return ::WriteFile(m_port, data, count, nullptr, &overlapped); }, done,
        timeoutMs, systemError);
    if (result == ERROR_TIMEOUT)
        done = DiscardUnsentOutput(done);
    return result;
}

DWORD CComPortWin32::DiscardUnsentOutput(DWORD written)
{
    DWORD errors = 0;
    COMSTAT status {};
    const DWORD queued = ::ClearCommError(m_port, &errors, &status) ? status.cbOutQue : 0;
    ::PurgeComm(m_port, PURGE_TXCLEAR);
    // The queue may still hold the tail of an earlier write, which this
    // call's count never included.
    return written - std::min(written, queued);
}

LONG CComPortWin32::TakeLineErrors(DWORD& errors, int& systemError)
{
    errors = 0;
    if (!::ClearCommError(m_port, &errors, nullptr))
        return LastFailure(systemError);
    return 0;
}

LONG CComPortWin32::NextListenerPass(ListenerPass& pass, int& systemError)
{
    if (!m_listenerPending) {
        ::ResetEvent(m_listenerEvent);
        m_listenerOverlapped = {};
        m_listenerOverlapped.hEvent = m_listenerEvent;
        m_listenerWord = 0;
        if (!::WaitCommEvent(m_port, &m_listenerWord, &m_listenerOverlapped)) {
            if (::GetLastError() != ERROR_IO_PENDING)
                return LastFailure(systemError);  // the device has gone, say
            m_listenerPending = true;
        }
    }
    if (m_listenerPending) {
        const HANDLE waits[] = {m_listenerEvent, m_listenerStop};
        const DWORD woke = ::WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        DWORD unused = 0;
        if (woke != WAIT_OBJECT_0) {
            const LONG result = woke == WAIT_OBJECT_0 + 1 ? 0 : LastFailure(systemError);
            // A stop: the wait this thread started ends before the thread does.
            ::ResetEvent(m_listenerStop);
            ::CancelIo(m_port);
            ::GetOverlappedResult(m_port, &m_listenerOverlapped, &unused, TRUE);
            m_listenerPending = false;
            return result;
        }
        m_listenerPending = false;
        if (!::GetOverlappedResult(m_port, &m_listenerOverlapped, &unused, kAfterTheEvent)
            && !EndedWithoutEvents(m_listenerWord))
            return LastFailure(systemError);
    }
    pass.events = m_listenerWord;
    int ignored = 0;
    TakeLineErrors(pass.errors, ignored);
    return 0;
}

void CComPortWin32::WakeListener()
{
    ::SetEvent(m_listenerStop);
}
