#pragma once

#include "BusTestSupport.h"

#include "bus/BusTransmit.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <span>

namespace bustest {

// The program's side of the line on a fake clock: writes are recorded, pauses
// only advance the clock. `duringPause` runs at each pause, standing in for
// whatever could arrive meanwhile.
struct FakeBus {
    std::chrono::milliseconds now{0};
    Bytes written;
    std::vector<std::chrono::milliseconds> writeTimes;
    bus::LineError writeResult;
    std::uint32_t shortBy = 0;
    std::function<void()> duringPause;

    bus::BusWriter Writer()
    {
        return [this](std::span<const std::uint8_t> data, std::uint32_t& count) {
            writeTimes.push_back(now);
            if (writeResult) {
                count = 0;
                return writeResult;
            }
            count = static_cast<std::uint32_t>(data.size()) - shortBy;
            written.insert(written.end(), data.begin(), data.begin() + count);
            return bus::LineError{};
        };
    }

    bus::BusPause Pause()
    {
        return [this](std::chrono::milliseconds ms) {
            now += ms;
            if (duringPause)
                duringPause();
        };
    }
};

} // namespace bustest
