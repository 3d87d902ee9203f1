#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace cli {

// The bytes a session has put on the line and taken from it since the open.
struct LineTraffic {
    std::uint64_t sent = 0;
    std::uint64_t received = 0;
};

// How a bus session lets time pass. The program lives on the steady clock
// and waits on its port; a test may give a clock that jumps over waits that
// nothing can end early, so a scan's schedule and a reply window cost it no
// wall time.
class ISessionClock {
public:
    using Clock = std::chrono::steady_clock;
    // Waits on the port up to the time given; returns early when bytes come.
    using PortWait = std::function<void(std::chrono::milliseconds)>;

    virtual ~ISessionClock() = default;
    virtual Clock::time_point Now() const = 0;
    // Lets up to `slice` pass, less when bytes come meanwhile. `traffic` is
    // the session's so far.
    virtual void Wait(std::chrono::milliseconds slice, const LineTraffic& traffic, const PortWait& waitOnPort) = 0;
};

// The program's clock: the steady clock, the port waited on for real.
class CWallClock final : public ISessionClock {
public:
    Clock::time_point Now() const override { return Clock::now(); }
    void Wait(std::chrono::milliseconds slice, const LineTraffic&, const PortWait& waitOnPort) override
    {
        waitOnPort(slice);
    }
};

} // namespace cli
