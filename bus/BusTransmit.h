#pragma once

#include "bus/GroupMessage.h"
#include "bus/LineError.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <span>

class CBusFramer;

// Sending on the bus: wait for the echo of the previous send, then write the
// whole message. The writer and the pause are injected, so the program can
// write to its port and really sleep while tests write to a buffer on a fake clock.
namespace bus {

// Writes the bytes (the program: the port's Write with a 2000 ms time-out)
// and sets `written`.
using BusWriter = std::function<LineError(std::span<const std::uint8_t> data, std::uint32_t& written)>;
// Blocks the calling thread for the given time.
using BusPause = std::function<void(std::chrono::milliseconds)>;

inline constexpr std::uint32_t kWriteBusTimeoutMs = 2000;
inline constexpr std::chrono::milliseconds kEchoPause{50};
inline constexpr int kEchoPauses = 5;

// When an echo is awaited, pauses up to five times 50 ms, stopping once the
// echo has been framed; then gives up on it.
void WaitForEcho(CBusFramer& framer, const BusPause& pause);

// The transmit procedure: echo wait, pack with checksum, one write of 20
// bytes. Success when all 20 bytes went out (an echo is then awaited); a
// write that took fewer bytes without a failure of its own is TimedOut.
LineError SendGroupMessage(CBusFramer& framer, const GroupMessageFields& fields, const BusWriter& writeBus,
                           const BusPause& pause);

} // namespace bus
