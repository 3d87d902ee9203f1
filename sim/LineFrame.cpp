#include "sim/LineFrame.h"

namespace sim {

void ReportFrames(LineFrame::Way way, std::span<const std::uint8_t> bytes, const FrameCallback& callback)
{
    const auto now = std::chrono::steady_clock::now();
    std::size_t start = 0;
    for (std::size_t i = 1; i <= bytes.size(); ++i) {
        if (i == bytes.size() || (bytes[i] & 0x80)) {
            callback({way, now, bytes.subspan(start, i - start)});
            start = i;
        }
    }
}

}  // namespace sim
