#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <span>

namespace sim {

// A frame on the line as the server saw it: the bytes from one opcode (bit 7
// set) up to the next within one read or write. Stray bytes before an opcode
// form a frame of their own, and a message that arrives in two reads gives
// two frames, the second starting with a data byte.
struct LineFrame {
    enum class Way { FromProgram, ToProgram };

    Way way;
    std::chrono::steady_clock::time_point at;
    std::span<const std::uint8_t> bytes;
};

// Called on the serving thread for every frame, in line order.
using FrameCallback = std::function<void(const LineFrame&)>;

// Cuts the bytes of one read or write into frames for `callback`.
void ReportFrames(LineFrame::Way way, std::span<const std::uint8_t> bytes, const FrameCallback& callback);

}  // namespace sim
