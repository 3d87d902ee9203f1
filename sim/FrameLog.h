#pragma once

#include <cstdint>
#include <ostream>
#include <span>

namespace sim {

// Writes bytes on the line as frames, one per line: a wall-clock timestamp,
// "rx" (from the program) or "tx" (to the program) and the bytes in hex. A
// frame starts at each opcode (bit 7 set); stray bytes before one form a
// frame of their own.
class FrameLog {
public:
    explicit FrameLog(std::ostream& out) : m_out(out) {}
    void Log(const char* direction, std::span<const std::uint8_t> bytes);

private:
    void Line(const char* direction, std::span<const std::uint8_t> frame);
    std::ostream& m_out;
};

}  // namespace sim
