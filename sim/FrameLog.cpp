#include "sim/FrameLog.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace sim {

void FrameLog::Log(const LineFrame& frame)
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local {};
    ::localtime_r(&seconds, &local);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(millis));
    m_out << stamp << (frame.way == LineFrame::Way::FromProgram ? " rx" : " tx");
    for (std::uint8_t byte : frame.bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02X", byte);
        m_out << hex;
    }
    m_out << '\n' << std::flush;
}

}  // namespace sim
