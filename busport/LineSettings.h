#pragma once

#include "bus/BusLimits.h"

#include <cstdint>

namespace busport {

enum class Flow { None, RtsCts };

// How a bus line is set: its speed and flow control, always with 8 data
// bits, no parity and one stop bit. The defaults are the bus's own.
struct LineSettings {
    std::uint32_t baud = bus::kBusBaudRate;
    Flow flow = Flow::None;

    bool operator==(const LineSettings&) const = default;
};

// The USB bus interfaces most users own: 57600 baud with RTS/CTS (a USB CDC
// device takes any speed and ignores it).
inline constexpr LineSettings kUsbInterfaceLine {57600, Flow::RtsCts};

} // namespace busport
