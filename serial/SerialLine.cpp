#include "serial/SerialLine.h"

#include "serial/PortAddress.h"
#include "serial/SerialBackend.h"
#include "serial/SerialNetworkLine.h"
#ifdef _WIN32
#include "serial/SerialComWin32.h"
#else
#include "serial/SerialDevicePosix.h"
#endif

#include <cerrno>
#include <cstring>

using namespace win32;

CSerialLine::CSerialLine() = default;

CSerialLine::~CSerialLine()
{
    CSerialLine::Close();
}

std::error_code CSerialLine::GetLastSystemError() const
{
    // errno values on POSIX, Win32 error codes on Windows.
    return net::ErrorCodeOf(m_lastSystemError.load());
}

LONG CSerialLine::Fail(LONG code, int systemError)
{
    m_lastError = code;
    m_lastSystemError = systemError;
    return code;
}

LONG CSerialLine::Keep(LONG result, const int& systemError)
{
    return result ? Fail(result, systemError) : ERROR_SUCCESS;
}

void CSerialLine::ClearLastError()
{
    m_lastError = 0;
    m_lastSystemError = 0;
}

LONG CSerialLine::Open(const char* device, DWORD inQueue, DWORD outQueue, bool overlapped)
{
    ClearLastError();
    if (IsOpen())
        return Fail(ERROR_ALREADY_INITIALIZED);

    int systemError = 0;
    const LONG result = OpenBackend(PortAddressOf(device ? device : ""), inQueue, outQueue, systemError);
    if (result)
        return Fail(result, systemError);

    m_overlapped = overlapped;
    m_evtChar = 0;
    m_pendingEvents = 0;
    m_open = true;
    SetMask(EV_RXCHAR | EV_BREAK | EV_ERR);
    SetReadTimeoutMode(ReadModeImmediate);
    return m_lastError;
}

LONG CSerialLine::OpenBackend(const PortAddress& address, DWORD inQueue, DWORD outQueue, int& systemError)
{
    if (std::holds_alternative<NetworkAddressError>(address)) {
        systemError = net::kInvalidArgument;  // a URL of no known form
        return ERROR_PATH_NOT_FOUND;
    }
    if (const auto* network = std::get_if<NetworkAddress>(&address))
        return CNetworkLine::Open(*network, m_connectTimeoutMs, m_backend, systemError);
    const std::string& device = std::get<DevicePath>(address).path;
#ifdef _WIN32
    return CComPortWin32::Open(device.c_str(), inQueue, outQueue, m_backend, systemError);
#else
    // Queue sizes have no meaning for a tty.
    (void)inQueue;
    (void)outQueue;
    return CPosixDevice::Open(device, m_driver, m_counterReader, m_lockFolder, m_backend, systemError);
#endif
}

LONG CSerialLine::Close()
{
    ClearLastError();
    if (!m_open.exchange(false))
        return 0;
    // A wait on another thread ends now and must be gone before the port
    // it waits on is let go.
    m_backend->EndWaits();
    m_waitsInProgress.WaitUntilNone();
    m_backend.reset();
    return 0;
}

LONG CSerialLine::Setup(DWORD baudRate, int byteSize, int parity, int stopBits)
{
    serial_line::LineParams params;
    if (!FetchLineParams(params))
        return m_lastError;
    // Lines here have one or two stop bits; 1.5 is refused like any value
    // the driver cannot do, before anything changes.
    if (stopBits != ONESTOPBIT && stopBits != TWOSTOPBITS)
        return Fail(ERROR_INVALID_PARAMETER);
    const serial_line::LineParams before = params;
    params.baudRate = baudRate;
    params.byteSize = byteSize;
    params.parity = parity;
    params.twoStopBits = stopBits == TWOSTOPBITS;
    int systemError = 0;
    return Keep(m_backend->SetFormat(before, params, systemError), systemError);
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
    // Set first: a wait that this ends takes its events with the new mask.
    const DWORD before = m_eventMask.exchange(mask);
    int systemError = 0;
    if (LONG result = m_backend->SetMask(mask, systemError)) {
        m_eventMask = before;
        return Fail(result, systemError);
    }
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

LONG CSerialLine::WaitForPortEvent(OVERLAPPED* overlapped, DWORD timeoutMs)
{
    DWORD unused = 0;
    if (LONG refused = StartTransfer(unused, overlapped, timeoutMs))
        return refused;
    // Counted before the port is looked at again: a Close that took the
    // port away first is seen here, any later one waits for this call.
    m_waitsInProgress.Enter();
    struct Leave {
        CSerialLine& line;
        ~Leave()
        {
            line.m_waitArmed = false;
            line.m_waitsInProgress.Leave();
        }
    } leave {*this};
    if (!IsOpen())
        return Fail(ERROR_INVALID_HANDLE);
    m_pendingEvents = 0;
    const DWORD mask = m_eventMask;
    if (mask == 0)
        return Fail(ERROR_INVALID_PARAMETER);
    DWORD events = 0;
    int systemError = 0;
    if (LONG result = m_backend->Wait(mask, timeoutMs, events, m_waitArmed, systemError))
        return Fail(result, systemError);
    // Woken with no events: by SetMask, or by Close (the port is gone).
    if (events == 0 && !IsOpen())
        return Fail(ERROR_INVALID_HANDLE);
    m_pendingEvents = events;
    return 0;
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
    int systemError = 0;
    return Keep(m_backend->SetFlowControl(before, params, systemError), systemError);
}

LONG CSerialLine::SetReadTimeoutMode(int mode)
{
    serial_line::LineParams params;
    if (!FetchLineParams(params))
        return m_lastError;
    if (mode != ReadModeImmediate && mode != ReadModeWaitAll)
        return Fail(E_INVALIDARG);
    int systemError = 0;
    return Keep(m_backend->SetReadMode(mode, systemError), systemError);
}

bool CSerialLine::FetchLineParams(serial_line::LineParams& params)
{
    ClearLastError();
    if (!IsOpen()) {
        Fail(ERROR_INVALID_HANDLE);
        return false;
    }
    int systemError = 0;
    return Keep(m_backend->ReadLine(params, systemError), systemError) == ERROR_SUCCESS;
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
    int systemError = 0;
    return Keep(m_backend->Write(data, count, done, timeoutMs, systemError), systemError);
}

LONG CSerialLine::Read(void* buffer, DWORD count, DWORD* read, OVERLAPPED* overlapped, DWORD timeoutMs)
{
    DWORD scratch = 0;
    DWORD& done = read ? *read : scratch;
    if (LONG refused = StartTransfer(done, overlapped, timeoutMs))
        return refused;
    int systemError = 0;
    return Keep(m_backend->Read(buffer, count, done, timeoutMs, systemError), systemError);
}

DWORD CSerialLine::ClearLineErrors()
{
    if (!IsOpen()) {
        Fail(ERROR_INVALID_HANDLE);
        return 0;
    }
    DWORD errors = 0;
    int systemError = 0;
    Keep(m_backend->TakeLineErrors(errors, systemError), systemError);
    return errors;
}

#ifndef _WIN32
void CSerialLine::SetLineCounterReader(LineCounterReader reader)
{
    m_counterReader = std::move(reader);
}

void CSerialLine::SetLineDriver(serial_line::LineDriver driver)
{
    m_driver = std::move(driver);
}
#endif
