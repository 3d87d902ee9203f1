#pragma once

#include "sim/LineFrame.h"

#include <ostream>

namespace sim {

// Writes frames as text, one per line: the time of day when it is written,
// "rx" (from the program) or "tx" (to the program) and the bytes in hex. For
// people reading along; programs take the frames from the callback.
class FrameLog {
public:
    explicit FrameLog(std::ostream& out) : m_out(out) {}
    void Log(const LineFrame& frame);

private:
    std::ostream& m_out;
};

}  // namespace sim
