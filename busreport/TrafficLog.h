#pragma once

#include "busreport/BusTraffic.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

namespace busreport {

// One line of a bus monitor; numbers count up from 0 since the log was made
// or cleared, so a reader can tell which lines it has already seen.
struct TrafficLine {
    std::uint64_t number = 0;
    TrafficKind kind = TrafficKind::Other;
    std::string text;
};

// The newest lines of a bus monitor, at most `capacity` of them: the oldest
// drop first and are counted, so memory stays flat however long it runs.
class CTrafficLog {
public:
    static constexpr std::size_t kDefaultCapacity = 10'000;

    explicit CTrafficLog(std::size_t capacity = kDefaultCapacity) : m_capacity(capacity) {}

    void Add(TrafficKind kind, std::string text);
    void Clear();

    const std::deque<TrafficLine>& Lines() const { return m_lines; }
    // The number the next line will get.
    std::uint64_t NextNumber() const { return m_nextNumber; }
    // How many lines dropped to make room since the last Clear.
    std::uint64_t Dropped() const { return m_nextNumber - m_lines.size(); }

private:
    std::size_t m_capacity;
    std::deque<TrafficLine> m_lines;
    std::uint64_t m_nextNumber = 0;
};

} // namespace busreport
