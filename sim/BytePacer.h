#pragma once

#include "bus/BusLimits.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>

namespace sim {

// Holds bytes for the line and releases them no faster than the bus carries
// them: one byte per byte time, the clock of the line running on while it
// is busy and restarting when bytes come after a pause. A byte time of zero
// releases everything at once.
class BytePacer {
public:
    using Clock = std::chrono::steady_clock;

    // About 0.61 ms at the bus speed.
    static constexpr std::chrono::nanoseconds kBusByteTime = bus::ByteTime(bus::kBusBaudRate);

    explicit BytePacer(std::chrono::nanoseconds byteTime) : m_byteTime(byteTime) {}

    void Push(std::span<const std::uint8_t> bytes, Clock::time_point now);

    // How many of the held bytes the line has carried by `now`.
    std::size_t DueCount(Clock::time_point now) const;
    // Milliseconds until the next byte is due (0 if one is due, -1 if none held).
    int MsUntilNext(Clock::time_point now) const;

    const std::deque<std::uint8_t>& Held() const { return m_held; }
    void Release(std::size_t count);

private:
    std::chrono::nanoseconds m_byteTime;
    std::deque<std::uint8_t> m_held;
    Clock::time_point m_firstDue {};  // when the first held byte has been carried
};

}  // namespace sim
