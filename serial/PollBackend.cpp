#include "serial/PollBackend.h"

#include "serial/Deadline.h"

#include <algorithm>

using namespace win32;

namespace {

// How often a direct wait looks at the line-error counters, where they are
// kept, and at the input queue while bytes already reported wait unread
// (they keep the descriptor readable).
constexpr int kCounterRecheckMs = 10;
// The same for the listener while it does not watch for input.
constexpr int kListenerRecheckMs = 20;

}  // namespace

CPollBackend::CPollBackend(net::Socket fd, std::unique_ptr<net::CWakeSignal> wake) : m_fd(fd), m_wake(std::move(wake))
{
}

CPollBackend::~CPollBackend() = default;

void CPollBackend::StartCounting()
{
    LineCounters start;
    if (ReadCounters(start) != 0)
        start = {};
    const std::lock_guard guard(m_countersLock);
    m_countersSeen = start;
    m_countersCleared = start;
}

void CPollBackend::Wake()
{
    m_wake->Signal();
}

void CPollBackend::DrainWake()
{
    m_wake->Drain();
}

LONG CPollBackend::SetReadMode(int mode, int& /*systemError*/)
{
    m_readMode = mode;
    return 0;
}

LONG CPollBackend::SetMask(DWORD /*mask*/, int& /*systemError*/)
{
    Wake();
    return 0;
}

LONG CPollBackend::WaitReady(Direction direction, int timeoutMs, int& systemError)
{
    // A connection whose server ended it reports kPollPeerClosed: gone, like a hung-up device.
    pollfd entry {m_fd, static_cast<short>(direction == Direction::In ? POLLIN | net::kPollPeerClosed : POLLOUT), 0};
    const int ready = net::Poll(&entry, 1, timeoutMs);
    if (ready < 0) {
        systemError = net::LastError();
        return net::ResultOf(systemError);
    }
    if (ready == 0)
        return ERROR_TIMEOUT;
    if (entry.revents & POLLNVAL)
        return ERROR_INVALID_HANDLE;
    if (entry.revents & net::kPollPeerClosed)
        return PeerClosed(systemError);
    if (entry.revents & (POLLHUP | POLLERR))
        return ERROR_GEN_FAILURE;
    return 0;
}

LONG CPollBackend::Wait(DWORD mask, DWORD timeoutMs, DWORD& events, std::atomic<bool>& armed, int& systemError)
{
    // Only a SetMask or EndWaits from now on ends this wait.
    DrainWake();
    armed = true;

    // Input makes poll return; line errors do not, so where the counters are
    // kept the wait looks at them every kCounterRecheckMs as well.
    const bool watchCounters = HasLineCounters();
    const Deadline deadline(timeoutMs);
    for (;;) {
        const int waiting = InputWaiting();
        const bool arrived = waiting > m_inputSeen.exchange(waiting);
        if ((events = TakeLineEvents(arrived) & mask) != 0)
            return 0;
        const int remaining = deadline.RemainingMs();
        if (remaining == 0)
            return ERROR_TIMEOUT;
        // Reported input keeps the descriptor readable: then only a look at
        // the queue now and then tells of new bytes.
        const bool recheck = watchCounters || waiting > 0;
        pollfd waits[2] = {
            {m_wake->Handle(), POLLIN, 0},
            // kPollPeerClosed: a network interface's server ended the connection.
            {m_fd, static_cast<short>((waiting > 0 ? 0 : POLLIN) | net::kPollPeerClosed), 0},
        };
        const int slice = remaining < 0 ? kCounterRecheckMs : std::min(remaining, kCounterRecheckMs);
        if (net::Poll(waits, 2, recheck ? slice : remaining) < 0) {
            systemError = net::LastError();
            return net::ResultOf(systemError);
        }
        if (waits[0].revents & POLLIN)
            return 0;  // SetMask or EndWaits: no events
        if (waits[1].revents & POLLNVAL)
            return ERROR_INVALID_HANDLE;
        // Bytes that came with a hang-up are reported (next round) before the end.
        const bool newInput = (mask & EV_RXCHAR) && InputWaiting() > m_inputSeen;
        if ((waits[1].revents & net::kPollPeerClosed) && !newInput)
            return PeerClosed(systemError);
        if ((waits[1].revents & (POLLHUP | POLLERR)) && !newInput) {
            systemError = 0;
            return ERROR_GEN_FAILURE;
        }
    }
}

LONG CPollBackend::PeerClosed(int& systemError)
{
    systemError = net::kConnectionReset;
    return ERROR_GEN_FAILURE;
}

void CPollBackend::ForgetReadInput(int count)
{
    int seen = m_inputSeen.load();
    while (!m_inputSeen.compare_exchange_weak(seen, std::max(seen - count, 0))) {
    }
    if (m_inputParked.exchange(false))
        Wake();
}

DWORD CPollBackend::TakeLineEvents(bool inputArrived)
{
    DWORD events = inputArrived ? EV_RXCHAR : 0;
    LineCounters now;
    const std::lock_guard guard(m_countersLock);
    if (ReadCounters(now) == 0) {
        events |= LineEventsBetween(m_countersSeen, now);
        m_countersSeen = now;
    }
    return events;
}

LONG CPollBackend::TakeLineErrors(DWORD& errors, int& systemError)
{
    errors = 0;
    LineCounters now;
    const std::lock_guard guard(m_countersLock);
    if (int err = ReadCounters(now)) {
        systemError = err;
        return net::ResultOf(err);
    }
    errors = LineErrorsBetween(m_countersCleared, now);
    m_countersCleared = now;
    return 0;
}

LONG CPollBackend::NextListenerPass(ListenerPass& pass, int& systemError)
{
    const bool watchInput = !m_inputParked;
    pollfd waits[2] = {
        {m_wake->Handle(), POLLIN, 0},
        // kPollPeerClosed: a network interface's server ended the connection.
        {m_fd, static_cast<short>((watchInput ? POLLIN : 0) | net::kPollPeerClosed), 0},
    };
    const int timeout = (watchInput && !HasLineCounters()) ? -1 : kListenerRecheckMs;
    if (net::Poll(waits, 2, timeout) < 0) {
        systemError = net::LastError();
        return net::ResultOf(systemError);
    }
    if (waits[0].revents & POLLIN) {
        // A stop, a SetMask or a read that re-armed input watching: the
        // listener looks at its stop first, then the next pass polls afresh.
        DrainWake();
        return 0;
    }
    if (waits[1].revents & POLLNVAL)
        return ERROR_INVALID_HANDLE;
    // A vanished device reports hang-up or error on every poll: after this
    // pass, which still announces bytes that came with it, the end.
    if (waits[1].revents & net::kPollPeerClosed)
        pass.portGone = PeerClosed(pass.goneReason);  // as a failed read says it
    else if (waits[1].revents & (POLLHUP | POLLERR))
        pass.portGone = ERROR_GEN_FAILURE;

    bool arrived = false;
    if (watchInput && (waits[1].revents & (POLLIN | POLLHUP | POLLERR))) {
        // Park before measuring: a read from now on re-arms the watch.
        m_inputParked = true;
        arrived = true;
    }
    const int queued = InputWaiting();
    if (!arrived && !watchInput)
        arrived = queued > m_queuedAtPark;
    m_queuedAtPark = queued;
    arrived = arrived && queued > 0;

    pass.events = TakeLineEvents(arrived);
    int ignored = 0;
    TakeLineErrors(pass.errors, ignored);
    return 0;
}
