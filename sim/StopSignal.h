#pragma once

#include "sim/Sockets.h"

#include <string>

namespace sim {

// Wakes a serving loop to stop: a handle that becomes readable once Raise()
// is called. A pipe on POSIX (Raise() is safe in a signal handler); on
// Windows, where only sockets can be waited on with them, a connected pair
// of loopback sockets (Raise() from a console control handler's thread).
class StopSignal {
public:
    StopSignal() = default;
    ~StopSignal();
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;

    // False with `error` set when it cannot be made.
    bool Open(std::string& error);
    SocketHandle WaitHandle() const { return m_read; }
    void Raise() const;

private:
    SocketHandle m_read = kNoSocket;
    SocketHandle m_write = kNoSocket;
};

}  // namespace sim
