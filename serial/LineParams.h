#pragma once

#include <cstdint>

namespace serial_line {

// A serial line's settings as the serial layer keeps them, whatever the port
// behind it: a device's driver, a network interface's server or a Win32 DCB.
struct LineParams {
    std::uint32_t baudRate = 0;
    int byteSize = 8;          // 5..8
    int parity = 0;            // NOPARITY .. SPACEPARITY; NOPARITY when parity is off
    bool twoStopBits = false;
    bool rtsCtsFlow = false;   // hardware flow control
    bool xonXoffOut = false;   // the peer's XOFF stops our output
    bool xonXoffIn = false;    // we send XOFF when our input fills
};

}  // namespace serial_line

namespace serial_line {

// Whether a line that reads back `taken` runs as `wanted` asked: the same
// data format, and the speed at most 2 % off (drivers and adapters round it
// to what their clock can divide).
bool RunsAsAsked(const LineParams& taken, const LineParams& wanted);

}  // namespace serial_line
