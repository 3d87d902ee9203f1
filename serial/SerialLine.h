#pragma once

#include "serial/LineControl.h"
#include "serial/LineCounters.h"
#include "serial/SerialTypes.h"

#include <atomic>

// One serial port: opens it by name, configures the line, waits for port
// events, and reads and writes with time-outs in milliseconds. Every
// operation that can fail returns a result code (0 = success, otherwise a
// Win32 code of SerialTypes.h) and keeps it in the object; nothing throws and
// nothing is shown.
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
//
// One owning thread runs the operations; CSerialListener adds one thread that
// only waits for events. Fields both may touch are atomics.
class CSerialLine {
public:
    enum : int { HandshakeNone = 0, HandshakeRtsDtr = 1, HandshakeXonXoff = 2 };
    enum : int { ReadModeImmediate = 0, ReadModeWaitAll = 1 };

    CSerialLine() = default;
    CSerialLine(const CSerialLine&) = delete;
    CSerialLine& operator=(const CSerialLine&) = delete;
    virtual ~CSerialLine();

    virtual LONG Open(const char* device, DWORD inQueue, DWORD outQueue, bool overlapped);
    virtual LONG Close();
    virtual LONG Setup(DWORD baudRate, int byteSize, int parity, int stopBits);
    virtual LONG SetEvtChar(char eventChar, bool addToMask = true);
    virtual LONG SetMask(DWORD mask);
    virtual LONG WaitForPortEvent(OVERLAPPED* overlapped = nullptr, DWORD timeoutMs = INFINITE);
    virtual LONG SetHandshake(int mode);
    virtual LONG SetReadTimeoutMode(int mode);
    virtual int GetBaudRate();
    virtual int GetByteSize();
    virtual int GetParity();
    virtual int GetStopBits();
    virtual int GetHandshake();
    virtual DWORD GetMask();
    virtual char GetEvtChar();
    virtual LONG WriteString(const char* text, DWORD* written = nullptr, OVERLAPPED* overlapped = nullptr,
                             DWORD timeoutMs = INFINITE);
    virtual LONG Write(const void* data, DWORD count, DWORD* written = nullptr, OVERLAPPED* overlapped = nullptr,
                       DWORD timeoutMs = INFINITE);
    virtual LONG Read(void* buffer, DWORD count, DWORD* read = nullptr, OVERLAPPED* overlapped = nullptr,
                      DWORD timeoutMs = INFINITE);

    bool IsOpen() const { return m_port.load() >= 0; }
    LONG GetLastError() const { return m_lastError.load(); }
    // The events the last wait reported (EV_ bits), for the code that handles them.
    DWORD GetPendingEvents() const { return m_pendingEvents.load(); }

    // Replaces how the driver's line-error counters are read (tests feed line
    // errors through it). Set it while no listener runs.
    void SetLineCounterReader(LineCounterReader reader);

    // Takes the line errors that arrived since the last call (CE_ bits), as
    // Win32's ClearCommError does. 0 where the driver keeps no counters.
    DWORD ClearLineErrors();

protected:
    // The events that have arrived, as a wait would report them: EV_RXCHAR
    // when input is buffered, EV_ERR/EV_BREAK when the counters grew since the
    // previous call. Shared by WaitForPortEvent and the listener.
    DWORD TakeLineEvents(bool inputWaiting);

    // Reads the line-error counters; a driver without them reads as all zero.
    // Returns 0 or an errno value.
    int ReadCounters(LineCounters& counters);
    bool HasLineCounters();

    // The descriptor, -1 while closed.
    int PortFd() const { return m_port.load(); }

    // Stores and returns a result code.
    LONG Fail(LONG code);

    std::atomic<LONG> m_lastError {0};
    std::atomic<int> m_port {-1};
    std::atomic<DWORD> m_pendingEvents {0};
    std::atomic<DWORD> m_eventMask {0};

private:
    enum class Direction { In, Out };
    // Waits up to timeoutMs (INFINITE = no limit) for the port to become
    // readable or writable. Returns 0, ERROR_TIMEOUT or a failure code.
    LONG WaitReady(Direction direction, int timeoutMs);
    // The frame every transfer and wait shares: the count is 0 before
    // anything else, then a closed port or what this open mode cannot do
    // (a caller's record, a finite time-out without overlapped mode) is
    // refused. Returns 0 or the refusal.
    LONG StartTransfer(DWORD& count, const OVERLAPPED* overlapped, DWORD timeoutMs);
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
};
