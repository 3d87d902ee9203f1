#pragma once

#include "serial/SerialBackend.h"

#include <atomic>
#include <memory>

// A Win32 COM port ("\\.\COM5"), opened for overlapped I/O and held
// exclusively (sharing 0: a port another program holds gives
// ERROR_ACCESS_DENIED, a missing one ERROR_FILE_NOT_FOUND). The codes are
// the system's, as GetLastError gives them.
//
// Reads and writes are overlapped, each bounded by WaitForSingleObject; one
// that runs out of time is cancelled (CancelIo) and counts what moved; a
// write's bytes still in the driver's queue are discarded and not counted. A
// wait is an overlapped WaitCommEvent beside an event that SetMask and
// EndWaits signal, started again when the driver ends it with no events
// unasked; the listener's pass is its own WaitCommEvent beside a
// stop event, in one WaitForMultipleObjects, and stays pending across
// passes that the stop did not end.
class CComPortWin32 final : public ISerialBackend {
public:
    // Opens `device` ("\\.\COMn"), sets the driver's queues when either
    // size is given, applies the port's default configuration and discards
    // what the queues still hold.
    static win32::LONG Open(const char* device, win32::DWORD inQueue, win32::DWORD outQueue,
                            std::unique_ptr<ISerialBackend>& backend, int& systemError);
    ~CComPortWin32() override;

    win32::LONG ReadLine(serial_line::LineParams& params, int& systemError) override;
    win32::LONG SetFormat(const serial_line::LineParams& before, const serial_line::LineParams& wanted,
                          int& systemError) override;
    win32::LONG SetFlowControl(const serial_line::LineParams& before, const serial_line::LineParams& wanted,
                               int& systemError) override;
    win32::LONG SetReadMode(int mode, int& systemError) override;
    win32::LONG SetMask(win32::DWORD mask, int& systemError) override;
    win32::LONG Wait(win32::DWORD mask, win32::DWORD timeoutMs, win32::DWORD& events, std::atomic<bool>& armed,
                     int& systemError) override;
    void EndWaits() override;
    win32::LONG Read(void* buffer, win32::DWORD count, win32::DWORD& done, win32::DWORD timeoutMs,
                     int& systemError) override;
    win32::LONG Write(const void* data, win32::DWORD count, win32::DWORD& done, win32::DWORD timeoutMs,
                      int& systemError) override;
    win32::LONG TakeLineErrors(win32::DWORD& errors, int& systemError) override;
    win32::LONG NextListenerPass(ListenerPass& pass, int& systemError) override;
    void WakeListener() override;

private:
    CComPortWin32() = default;
    // One overlapped ReadFile or WriteFile on m_ioEvent within timeoutMs;
    // `transfer` starts it. A time-out cancels it and counts what moved.
    template <typename Transfer>
    win32::LONG Overlapped(Transfer transfer, win32::DWORD& done, win32::DWORD timeoutMs, int& systemError);
    // After a write ran out of time: discards what the driver still holds
    // for output, so nothing goes out after the call, and gives how many of
    // the call's `written` bytes left.
    win32::DWORD DiscardUnsentOutput(win32::DWORD written);
    // Reads the DCB, lets `change` edit it, writes it back.
    template <typename Change>
    win32::LONG ChangeState(Change change, int& systemError);

    HANDLE m_port = nullptr;
    HANDLE m_ioEvent = nullptr;      // the owner's reads and writes
    HANDLE m_waitEvent = nullptr;    // a direct wait's WaitCommEvent
    HANDLE m_waitWake = nullptr;     // SetMask or EndWaits: a direct wait ends
    HANDLE m_listenerEvent = nullptr;
    HANDLE m_listenerStop = nullptr;
    // The listener's WaitCommEvent, pending between passes.
    OVERLAPPED m_listenerOverlapped {};
    win32::DWORD m_listenerWord = 0;
    bool m_listenerPending = false;
    bool m_readImmediate = true;
};
