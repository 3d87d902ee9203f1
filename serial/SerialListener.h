#pragma once

#include "serial/SerialLine.h"

#include <atomic>
#include <thread>

// A serial port with one thread that waits for its events and hands those
// of the current mask, with the line errors of the same pass, to
// OnPortEvent. The thread never reads data.
//
// The thread waits in the port's back-end: on POSIX with poll on the port
// and a wake-up descriptor (PollBackend.h), on Windows in an overlapped
// WaitCommEvent beside a stop event. SetMask wakes it for a pass that
// reports nothing.
//
// A stop, requested at any moment, wakes the thread and ends it; Close and
// StopListening return only when the thread is gone. When the device
// vanishes the thread announces bytes that came with the hang-up, then ends
// with an error (IsListening turns false and GetListenerResult tells why)
// and nothing more is reported.
//
// A class that implements OnPortEvent must call Close (or StopListening) in
// its own destructor: OnPortEvent runs on the thread until it is stopped.
// OnPortEvent must not block and must not call Close or StopListening.
class CSerialListener : public CSerialLine {
public:
    CSerialListener() = default;
    ~CSerialListener() override;

    // Opens the port with finite time-outs allowed; the last argument says
    // whether to start listening at once (a failure to start is returned with
    // the port left open).
    win32::LONG Open(const char* device, win32::DWORD inQueue, win32::DWORD outQueue, bool startListening) override;
    win32::LONG Close() override;

    // Starts the thread unless one exists (then returns 0 and starts none).
    // A closed port is refused with ERROR_INVALID_HANDLE.
    virtual win32::LONG StartListening();
    // Ends the thread and waits for it. The stop wakes the thread at once, so
    // the wait is short; the time-out is accepted for the interface's sake,
    // but the call never returns while the thread still runs.
    virtual win32::LONG StopListening(win32::DWORD timeoutMs = win32::INFINITE);
    // Called on the listener thread for a pass with events of the mask.
    virtual void OnPortEvent(win32::DWORD events, win32::DWORD errors) = 0;

    // True while the thread waits for events; false once it ended on its own
    // (device gone) or was stopped.
    bool IsListening() const { return m_listening.load(); }
    // Why the thread ended on its own (0 while it runs or after a stop).
    win32::LONG GetListenerResult() const { return m_listenerResult.load(); }

    // The thread's entry: runs the loop and gives its result.
    static win32::LONG ListenerThreadProc(CSerialListener* listener);

protected:
    win32::LONG ListenerLoop();

    std::atomic<bool> m_stopRequested {false};
    std::thread m_listenerThread;

private:
    win32::LONG EndListening(win32::LONG result, int systemError = 0);

    std::atomic<bool> m_listening {false};
    std::atomic<win32::LONG> m_listenerResult {0};
};
