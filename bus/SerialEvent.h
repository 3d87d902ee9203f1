#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

class CBusFramer;

// How a serial notification reaches the framer. Only the low 16 bits of the
// notification's first parameter (the event code) are looked at, and only the
// two exact codes below do anything: a notification carrying both (0x81) is
// ignored as a whole and its bytes wait for the next data event.
namespace bus {

inline constexpr std::uint32_t kEventReceivedData = 0x0001;
inline constexpr std::uint32_t kEventLineError = 0x0080;
inline constexpr std::size_t kSerialReadSize = 1024;

// Reads what is already waiting, up to buffer.size() bytes, without blocking;
// returns the number of bytes read (0 on failure).
using BusReader = std::function<std::size_t(std::span<std::uint8_t> buffer)>;

// Received data: one read of up to 1024 bytes, each byte framed in order.
// Line error: one read of up to 1024 bytes, discarded, and the framer restarts.
void OnSerialEvent(CBusFramer& framer, std::uint32_t eventWord, const BusReader& read);

} // namespace bus
