#pragma once

#include "serial/ActiveCalls.h"
#include "serial/LineParams.h"
#include "serial/PortAddress.h"
#include "serial/SerialTypes.h"
#ifndef _WIN32
#include "serial/LineControl.h"
#include "serial/LineCounters.h"
#endif

#include <atomic>
#include <memory>
#include <system_error>

class ISerialBackend;

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
// Open picks the port's back-end (SerialBackend.h), one per file, from the
// name it is given: a network interface's URL (SerialNetworkLine.h), on
// Windows a COM port (SerialComWin32.h), otherwise a device of the host's
// serial driver (SerialDevicePosix.h). The calls and codes below are the
// same for all; where a back-end differs, its header says so.
//
// How it binds on Linux:
// - Open resolves the name (PortNames.h), opens the device non-blocking and
//   exclusively (flock, plus TIOCEXCL, cleared again on Close), puts it in
//   raw mode and discards input left over from earlier users. A port held by
//   anyone, this process included, gives ERROR_ACCESS_DENIED; a missing one
//   ERROR_FILE_NOT_FOUND. Queue sizes have no meaning here and are ignored.
//   On Windows the queue sizes go to SetupComm, and the system's reason
//   (GetLastSystemError) is its Win32 error rather than an errno value.
// - The overlapped flag of Open selects the mode of the time-outs: with it,
//   Read, Write and WaitForPortEvent honour finite time-outs (waiting with
//   poll); without it, they accept only INFINITE and refuse any other
//   time-out with ERROR_INVALID_FUNCTION. A caller's OVERLAPPED record is
//   always refused with ERROR_INVALID_FUNCTION, as Linux cannot complete it
//   behind the caller's back (and Windows keeps the same contract). Nothing refers to the caller's buffer once a
//   call has returned.
// - Setup reads the line back: a driver that silently keeps other data bits
//   or parity, or runs more than 2 % off the baud rate asked for (adapters
//   round to a table of their own), gets its old settings back and the call
//   fails with ERROR_INVALID_PARAMETER. SetHandshake likewise restores the
//   old settings when any of its steps fails.
// - A Write that runs out of time discards what the driver still holds for
//   output, so nothing goes out after the call; the count tells what left.
// - EV_RXCHAR means bytes arrived since the last wait or read; bytes that
//   stay unread raise it no more. EV_ERR and EV_BREAK come from growth of
//   the driver's line-error counters (absent on pseudo-terminals). EV_RXFLAG
//   is never raised: seeing the event character would need reading the data.
//   SetEvtChar still stores the character and the mask bit.
// - SetMask ends a pending WaitForPortEvent at once with an event word of 0
//   (result 0); Close from another thread ends it with ERROR_INVALID_HANDLE
//   and waits for it to leave before the descriptor goes.
// - A device that vanished (USB unplug, pseudo-terminal peer closed) makes
//   reads, writes and waits fail with ERROR_GEN_FAILURE; bytes that came
//   with the hang-up are reported (EV_RXCHAR) and can be read first.
// - A name that resolves to "rfc2217://HOST:PORT" or "tcp://HOST:PORT" opens
//   a bus interface on the network instead (NetworkPort.h): the same calls
//   and codes, the socket in place of the device, a lost connection as a
//   vanished device. Open connects within the connect time-out; over RFC 2217
//   Setup and SetHandshake wait for the server to confirm the line.
//
// One owning thread runs the operations; CSerialListener adds one thread that
// only waits for events. Fields both may touch are atomics or guarded.
class CSerialLine {
public:
    enum : int { HandshakeNone = 0, HandshakeRtsDtr = 1, HandshakeXonXoff = 2 };
    enum : int { ReadModeImmediate = 0, ReadModeWaitAll = 1 };

    CSerialLine();  // out of line: the back-end's type is only declared here
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

    bool IsOpen() const { return m_open.load(); }
    win32::LONG GetLastError() const { return m_lastError.load(); }
    // The system's reason for the last failure (an errno value), empty when
    // the last operation succeeded or failed for a reason of its own.
    std::error_code GetLastSystemError() const;
    // How long Open may take to connect to a network interface, and Setup
    // and SetHandshake to have the server's answers (2 s unless set).
    void SetConnectTimeout(win32::DWORD timeoutMs) { m_connectTimeoutMs = timeoutMs; }

    // The events the last wait reported (EV_ bits), for the code that handles them.
    win32::DWORD GetPendingEvents() const { return m_pendingEvents.load(); }

#ifndef _WIN32
    // Replaces how a device's line-error counters are read (tests feed line
    // errors through it). Set it while no listener runs.
    void SetLineCounterReader(LineCounterReader reader);
    // Replaces a device's driver calls for settings and queues (see
    // LineDriver). Set it while no listener runs.
    void SetLineDriver(serial_line::LineDriver driver);
    // The folder of UUCP lock files (/run/lock) whose lock a device's open
    // honours and holds while open (serial/DeviceLock.h); none by default.
    void SetLockFolder(std::string folder) { m_lockFolder = std::move(folder); }
#endif

    // Takes the line errors that arrived since the last call (CE_ bits), as
    // Win32's ClearCommError does. 0 where the driver keeps no counters.
    // Safe to call while a listener runs.
    win32::DWORD ClearLineErrors();

protected:
    // Stores and returns a result code with the system's reason (0 for none).
    win32::LONG Fail(win32::LONG code, int systemError = 0);
    // The start of every operation: no failure kept.
    void ClearLastError();
    // The open port's back-end, for the listener thread while the port is open.
    ISerialBackend& Backend() { return *m_backend; }

    std::atomic<win32::LONG> m_lastError {0};
    std::atomic<int> m_lastSystemError {0};
    std::atomic<win32::DWORD> m_pendingEvents {0};
    std::atomic<win32::DWORD> m_eventMask {0};
    // WaitForPortEvent calls under way; Close waits for them to leave.
    CActiveCalls m_waitsInProgress;
    // True while a wait is pending: a SetMask or Close from now on ends it.
    std::atomic<bool> m_waitArmed {false};

private:
    // The frame every transfer and wait shares: the count is 0 before
    // anything else, then a closed port or what this open mode cannot do
    // (a caller's record, a finite time-out without overlapped mode) is
    // refused. Returns 0 or the refusal.
    win32::LONG StartTransfer(win32::DWORD& count, const win32::OVERLAPPED* overlapped, win32::DWORD timeoutMs);
    // The common frame of the line settings: clears the last error, refuses a
    // closed port and reads the line's settings. False on failure (kept).
    bool FetchLineParams(serial_line::LineParams& params);
    // Makes the back-end for the address. 0 or the failure.
    win32::LONG OpenBackend(const PortAddress& address, win32::DWORD inQueue, win32::DWORD outQueue,
                            int& systemError);
    // Keeps the result of a back-end call with its reason; returns it. The
    // reason is read after the call: it is a reference to what the call fills.
    win32::LONG Keep(win32::LONG result, const int& systemError);

    std::atomic<bool> m_open {false};
    // Chosen at Open from the port's address; set before and reset after any
    // listener runs.
    std::unique_ptr<ISerialBackend> m_backend;
    bool m_overlapped = false;
    std::atomic<char> m_evtChar {0};
    win32::DWORD m_connectTimeoutMs = 2000;
#ifndef _WIN32
    LineCounterReader m_counterReader = ReadDriverLineCounters;
    serial_line::LineDriver m_driver;
    std::string m_lockFolder;
#endif
};
