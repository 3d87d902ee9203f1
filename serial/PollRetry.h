#pragma once

#include <poll.h>

#include <cerrno>

// poll that goes on waiting when a signal interrupts it (the full time-out
// again: the callers' waits are short or bounded by their own deadline).
inline int PollRetrying(pollfd* fds, nfds_t count, int timeoutMs)
{
    int ready;
    do {
        ready = ::poll(fds, count, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready;
}
