#pragma once

#include "serial/LineControl.h"
#include "serial/LineCounters.h"
#include "serial/SerialTypes.h"

#include <atomic>
#include <memory>
#include <string>
#include <system_error>

class CNetworkPort;

// Return codes and error handling
// ---------------------------------
// Every operation that can fail returns a result code of the win32 namespace
// (SerialTypes.h): ERROR_SUCCESS (0) is success and the only success value;
// any other value is a Win32 error code saying what failed. The code of the
// last operation is also kept in the object (GetLastError), together with
// the system's own reason for it (GetLastSystemError): the errno value of the
// call that failed, whose message() is the system's text. A code that did not
// come from the system (a closed port, a refused argument, a time-out) keeps
// an empty reason. Each errno value maps to one code (ErrnoMap.h); the errno
// is kept so that a caller can tell apart what the code joins (a port held
// elsewhere from one the user may not open, both ERROR_ACCESS_DENIED)
// without trying the device again. Operations that cannot fail (Close) return
// ERROR_SUCCESS for the interface's sake. Nothing throws and nothing is shown.
// Getters answer -1 (0 for GetMask and GetEvtChar) on failure, with the code
// kept.
//
// Code outside the serial classes and the form does not speak these codes:
// the bus session (busport/) turns them into its own error type.

// One serial port: opens it by name, configures the line, waits for port
// events, and reads and writes with time-outs in milliseconds.
//
// How it binds on Linux:
// - Open resolves the name (PortNames.h), opens the device non-blocking and
//   exclusively (flock, plus TIOCEXCL, cleared again on Close), puts it in
//   raw mode and discards input left over from earlier users. A port held by
//   anyone, this process included, gives ERROR_ACCESS_DENIED; a missing one
//   ERROR_FILE_NOT_FOUND. Queue sizes have no meaning here and are ignored.
// - The overlapped flag of Open selects the mode of the time-outs: with it,
//   Read, Write and WaitForPortEvent honour finite time-outs (waiting with
//   poll); without it, they accept only INFINITE and refuse any other
//   time-out with ERROR_INVALID_FUNCTION. A caller's OVERLAPPED record is
//   always refused with ERROR_INVALID_FUNCTION, as Linux cannot complete it
//   behind the caller's back. Nothing refers to the caller's buffer once a
//   call has returned.
// - EV_RXCHAR means input is waiting; EV_ERR and EV_BREAK come from growth of
//   the driver's line-error counters (absent on pseudo-terminals). EV_RXFLAG
//   is never raised: seeing the event character would need reading the data.
//   SetEvtChar still stores the character and the mask bit.
// - A device that vanished (USB unplug, pseudo-terminal peer closed) makes
//   reads, writes and waits fail with ERROR_GEN_FAILURE.
// - A name that resolves to "rfc2217://HOST:PORT" or "tcp://HOST:PORT" opens
//   a bus interface on the network instead (NetworkPort.h): the same calls
//   and codes, the socket in place of the device, a lost connection as a
//   vanished device. Open connects within the connect time-out; over RFC 2217
//   Setup and SetHandshake wait for the server to confirm the line.
//
// One owning thread runs the operations; CSerialListener adds one thread that
// only waits for events. Fields both may touch are atomics.
class CSerialLine {
public:
    enum : int { HandshakeNone = 0, HandshakeRtsDtr = 1, HandshakeXonXoff = 2 };
    enum : int { ReadModeImmediate = 0, ReadModeWaitAll = 1 };

    CSerialLine();  // out of line: the network member's type is only declared here
    CSerialLine(const CSerialLine&) = delete;
    CSerialLine& operator=(const CSerialLine&) = delete;
    virtual ~CSerialLine();

    virtual win32::LONG Open(const char* device, win32::DWORD inQueue, win32::DWORD outQueue, bool overlapped);
    virtual win32::LONG Close();
    virtual win32::LONG Setup(win32::DWORD baudRate, int byteSize, int parity, int stopBits);
    virtual win32::LONG SetEvtChar(char eventChar, bool addToMask = true);
    virtual win32::LONG SetMask(win32::DWORD mask);
    virtual win32::LONG WaitForPortEvent(win32::OVERLAPPED* overlapped = nullptr, win32::DWORD timeoutMs = win32::INFINITE);
    virtual win32::LONG SetHandshake(int mode);
    virtual win32::LONG SetReadTimeoutMode(int mode);
    virtual int GetBaudRate();
    virtual int GetByteSize();
    virtual int GetParity();
    virtual int GetStopBits();
    virtual int GetHandshake();
    virtual win32::DWORD GetMask();
    virtual char GetEvtChar();
    virtual win32::LONG WriteString(const char* text, win32::DWORD* written = nullptr, win32::OVERLAPPED* overlapped = nullptr,
                             win32::DWORD timeoutMs = win32::INFINITE);
    virtual win32::LONG Write(const void* data, win32::DWORD count, win32::DWORD* written = nullptr, win32::OVERLAPPED* overlapped = nullptr,
                       win32::DWORD timeoutMs = win32::INFINITE);
    virtual win32::LONG Read(void* buffer, win32::DWORD count, win32::DWORD* read = nullptr, win32::OVERLAPPED* overlapped = nullptr,
                      win32::DWORD timeoutMs = win32::INFINITE);

    bool IsOpen() const { return m_port.load() >= 0; }
    win32::LONG GetLastError() const { return m_lastError.load(); }
    // The system's reason for the last failure (an errno value), empty when
    // the last operation succeeded or failed for a reason of its own.
    std::error_code GetLastSystemError() const
    {
        const int systemError = m_lastErrno.load();
        return systemError ? std::error_code(systemError, std::generic_category()) : std::error_code();
    }
    // How long Open may take to connect to a network interface, and Setup
    // and SetHandshake to have the server's answers (2 s unless set).
    void SetConnectTimeout(win32::DWORD timeoutMs) { m_connectTimeoutMs = timeoutMs; }

    // The events the last wait reported (EV_ bits), for the code that handles them.
    win32::DWORD GetPendingEvents() const { return m_pendingEvents.load(); }

    // Replaces how the driver's line-error counters are read (tests feed line
    // errors through it). Set it while no listener runs.
    void SetLineCounterReader(LineCounterReader reader);

    // Takes the line errors that arrived since the last call (CE_ bits), as
    // Win32's ClearCommError does. 0 where the driver keeps no counters.
    win32::DWORD ClearLineErrors();

protected:
    // The events that have arrived, as a wait would report them: EV_RXCHAR
    // when input is buffered, EV_ERR/EV_BREAK when the counters grew since the
    // previous call. Shared by WaitForPortEvent and the listener.
    win32::DWORD TakeLineEvents(bool inputWaiting);

    // Reads the line-error counters; a driver without them reads as all zero.
    // Returns 0 or an errno value.
    int ReadCounters(LineCounters& counters);
    bool HasLineCounters();

    // The descriptor, -1 while closed.
    int PortFd() const { return m_port.load(); }

    // Stores and returns a result code with the system's reason (errno, 0 for none).
    win32::LONG Fail(win32::LONG code, int systemError = 0);
    // Stores and returns the code of a failed system call's errno.
    win32::LONG FailErrno(int systemError);
    // The start of every operation: no failure kept.
    void ClearLastError();

    std::atomic<win32::LONG> m_lastError {0};
    std::atomic<int> m_lastErrno {0};
    std::atomic<int> m_port {-1};
    std::atomic<win32::DWORD> m_pendingEvents {0};
    std::atomic<win32::DWORD> m_eventMask {0};

private:
    enum class Direction { In, Out };
    // Opens a device for Open: exclusive, raw, input discarded. 0 or the failure (kept).
    win32::LONG OpenDevice(const char* device, int& fd);
    // The network side of Open, Setup/SetHandshake, Read and Write (SerialLineNetwork.cpp).
    win32::LONG ConnectNetwork(const std::string& url, int& fd);
    win32::LONG SetNetworkLine(const serial_line::LineParams& params);
    win32::LONG ReadNetwork(void* buffer, win32::DWORD count, win32::DWORD& done, win32::DWORD timeoutMs);
    win32::LONG WriteNetwork(const void* data, win32::DWORD count, win32::DWORD& done, win32::DWORD timeoutMs);
    // Waits up to timeoutMs (INFINITE = no limit) for the port to become
    // readable or writable. Returns 0, ERROR_TIMEOUT or a failure code.
    // A failed poll gives its errno in `systemError`.
    win32::LONG WaitReady(Direction direction, int timeoutMs, int& systemError);
    // The frame every transfer and wait shares: the count is 0 before
    // anything else, then a closed port or what this open mode cannot do
    // (a caller's record, a finite time-out without overlapped mode) is
    // refused. Returns 0 or the refusal.
    win32::LONG StartTransfer(win32::DWORD& count, const win32::OVERLAPPED* overlapped, win32::DWORD timeoutMs);
    // The common frame of the line settings: clears the last error, refuses a
    // closed port and reads the driver's settings. False on failure (kept).
    bool FetchLineParams(serial_line::LineParams& params);

    bool m_overlapped = false;
    bool m_excludeOthers = false;
    int m_readMode = ReadModeImmediate;
    std::atomic<char> m_evtChar {0};
    LineCounterReader m_counterReader = ReadDriverLineCounters;
    // Counter readings as of the last TakeLineEvents and ClearLineErrors. Only
    // the listener thread touches them while it runs.
    LineCounters m_countersSeen;
    LineCounters m_countersCleared;
    // The network interface while one is open (its socket is m_port); set
    // before and reset after any listener runs.
    std::unique_ptr<CNetworkPort> m_network;
    win32::DWORD m_connectTimeoutMs = 2000;
};
