#pragma once

#include "serial/SerialTypes.h"

#include <algorithm>
#include <chrono>

// The end of a wait given in milliseconds (INFINITE: none), told as the
// milliseconds left in the form poll takes: -1 = no limit, 0 once passed.
class Deadline {
public:
    explicit Deadline(win32::DWORD timeoutMs)
        : m_infinite(timeoutMs == win32::INFINITE), m_end(Clock::now() + std::chrono::milliseconds(timeoutMs))
    {
    }
    int RemainingMs() const
    {
        if (m_infinite)
            return -1;
        auto left = std::chrono::ceil<std::chrono::milliseconds>(m_end - Clock::now()).count();
        return left > 0 ? static_cast<int>(std::min<long long>(left, 1 << 30)) : 0;
    }

private:
    using Clock = std::chrono::steady_clock;
    bool m_infinite;
    Clock::time_point m_end;
};
