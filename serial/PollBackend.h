#pragma once

#include "serial/LineCounters.h"
#include "serial/SerialBackend.h"
#include "serial/Sockets.h"

#include <atomic>
#include <memory>
#include <mutex>

// The half that a POSIX device and a network socket share: both are a
// non-blocking handle that the socket layer's Poll waits on (poll, or
// WSAPoll on Windows, where only the network line uses it), beside a wake
// signal that ends whatever waits (SetMask, Close, a listener's stop, a Read
// that hands input watching back to the listener).
//
// EV_RXCHAR means bytes arrived since the last wait or read; bytes that stay
// unread raise it no more. EV_ERR and EV_BREAK come from growth of the line-
// error counters, which wake no poll: where they are kept, waits look at them
// every few milliseconds. Input that stays unread keeps the descriptor
// readable, so after reporting an arrival the listener stops watching for
// input until the owner reads or the queue grows: unread data never makes it
// spin, and every arrival is reported.
class CPollBackend : public ISerialBackend {
public:
    // The handle stays the subclass's.
    CPollBackend(net::Socket fd, std::unique_ptr<net::CWakeSignal> wake);
    ~CPollBackend() override;

    win32::LONG SetReadMode(int mode, int& systemError) override;
    win32::LONG SetMask(win32::DWORD mask, int& systemError) override;
    win32::LONG Wait(win32::DWORD mask, win32::DWORD timeoutMs, win32::DWORD& events, std::atomic<bool>& armed,
                     int& systemError) override;
    void EndWaits() override { Wake(); }
    win32::LONG TakeLineErrors(win32::DWORD& errors, int& systemError) override;
    win32::LONG NextListenerPass(ListenerPass& pass, int& systemError) override;
    void WakeListener() override { Wake(); }

protected:
    enum class Direction { In, Out };

    // Call once the subclass can answer its hooks: takes the counters' start.
    void StartCounting();

    net::Socket Fd() const { return m_fd; }
    bool WaitAllMode() const { return m_readMode == 1; }
    // Waits up to timeoutMs (-1: no limit) for the descriptor to turn
    // readable or writable: 0, ERROR_TIMEOUT or a failure code.
    win32::LONG WaitReady(Direction direction, int timeoutMs, int& systemError);
    // Bytes read are no longer among those a wait has reported; a listener
    // that stopped watching for input watches again.
    void ForgetReadInput(int count);

    // Bytes received and not yet read (0 where the descriptor cannot tell).
    virtual int InputWaiting() = 0;
    // The line-error counters: 0, or an errno value. Ones that are not kept
    // read as all zero with 0.
    virtual int ReadCounters(LineCounters& counters) = 0;
    virtual bool HasLineCounters() = 0;
    // The peer ended the stream (only a network interface's server does):
    // ERROR_GEN_FAILURE with ECONNRESET, a lost connection, unless the
    // subclass tells more. Any thread.
    virtual win32::LONG PeerClosed(int& systemError);

private:
    void Wake();
    void DrainWake();
    // The events that arrived, as a wait reports them: EV_RXCHAR when input
    // is new, EV_ERR/EV_BREAK when the counters grew since the last look.
    win32::DWORD TakeLineEvents(bool inputArrived);

    const net::Socket m_fd;
    const std::unique_ptr<net::CWakeSignal> m_wake;
    int m_readMode = 0;
    // Input already reported by a wait, less what was read since.
    std::atomic<int> m_inputSeen {0};
    // Set by the listener when it stops watching for input; a read clears it.
    std::atomic<bool> m_inputParked {false};
    int m_queuedAtPark = 0;  // the listener's own
    // Counter readings as of the last TakeLineEvents and TakeLineErrors,
    // shared by the owner and the listener thread.
    std::mutex m_countersLock;
    LineCounters m_countersSeen;
    LineCounters m_countersCleared;
};
