#pragma once

#include "serial/LineParams.h"
#include "serial/SerialTypes.h"

#include <atomic>

// What one kind of port does behind CSerialLine: a device of the host's
// serial driver, a bus interface on the network, a Win32 COM port. The line
// keeps the interface's frame (the last error, a closed port refused, the
// count set to 0 first, the event mask) and picks the back-end once, at
// Open, from the port's address; the back-end does the rest.
//
// Every call returns ERROR_SUCCESS or a Win32 code, and puts the system's
// reason for a failure in `systemError` (an errno value on POSIX, a Win32
// error on Windows; 0 when the code is the layer's own). Calls come from the
// line's owning thread, except those named for the listener thread and
// EndWaits, which any thread may call.
class ISerialBackend {
public:
    virtual ~ISerialBackend() = default;

    virtual win32::LONG ReadLine(serial_line::LineParams& params, int& systemError) = 0;
    // Speed and data format: a line that would run otherwise than asked
    // (more than 2 % off the speed, other data bits or parity) gets `before`
    // back and fails with ERROR_INVALID_PARAMETER.
    virtual win32::LONG SetFormat(const serial_line::LineParams& before, const serial_line::LineParams& wanted,
                                  int& systemError) = 0;
    // Flow control and the modem lines that go with it; a failing step puts
    // `before` back.
    virtual win32::LONG SetFlowControl(const serial_line::LineParams& before, const serial_line::LineParams& wanted,
                                       int& systemError) = 0;
    // ReadModeImmediate or ReadModeWaitAll (already checked).
    virtual win32::LONG SetReadMode(int mode, int& systemError) = 0;
    // Applies the event mask; a pending Wait or listener pass ends at once
    // with no events.
    virtual win32::LONG SetMask(win32::DWORD mask, int& systemError) = 0;

    // Waits up to timeoutMs (INFINITE: no limit) for events of `mask`.
    // Success with events 0: a SetMask ended the wait. `armed` turns true
    // once a SetMask or EndWaits would end it.
    virtual win32::LONG Wait(win32::DWORD mask, win32::DWORD timeoutMs, win32::DWORD& events,
                             std::atomic<bool>& armed, int& systemError) = 0;
    // Ends a pending Wait at once (the port is about to close). Any thread.
    virtual void EndWaits() = 0;

    // `done` counts the bytes moved, also when the call fails.
    virtual win32::LONG Read(void* buffer, win32::DWORD count, win32::DWORD& done, win32::DWORD timeoutMs,
                             int& systemError) = 0;
    // A write that runs out of time is cancelled: `done` counts what left.
    virtual win32::LONG Write(const void* data, win32::DWORD count, win32::DWORD& done, win32::DWORD timeoutMs,
                              int& systemError) = 0;

    // The line errors (CE_ bits) since the last call. Either thread.
    virtual win32::LONG TakeLineErrors(win32::DWORD& errors, int& systemError) = 0;

    // One pass of the listener thread: waits until events arrive (with the
    // line errors taken in the same pass),
    // a SetMask or WakeListener wakes it (events 0), or the port fails. A
    // pass may report events and `portGone` together (bytes that came with a
    // hang-up): the listener announces them, then ends with the code
    // `portGone` names.
    struct ListenerPass {
        win32::DWORD events = 0;
        win32::DWORD errors = 0;
        win32::LONG portGone = 0;
        int goneReason = 0;
    };
    virtual win32::LONG NextListenerPass(ListenerPass& pass, int& systemError) = 0;
    // Wakes the listener thread's pass (a stop). Any thread.
    virtual void WakeListener() = 0;
};
