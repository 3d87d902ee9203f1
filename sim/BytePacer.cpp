#include "sim/BytePacer.h"

#include <algorithm>

namespace sim {

void BytePacer::Push(std::span<const std::uint8_t> bytes, Clock::time_point now)
{
    if (m_held.empty())
        m_firstDue = now + m_byteTime;
    m_held.insert(m_held.end(), bytes.begin(), bytes.end());
}

std::size_t BytePacer::DueCount(Clock::time_point now) const
{
    if (m_held.empty() || now < m_firstDue)
        return 0;
    if (m_byteTime.count() == 0)
        return m_held.size();
    const auto carried = 1 + (now - m_firstDue) / m_byteTime;
    return static_cast<std::size_t>(std::min<long long>(carried, static_cast<long long>(m_held.size())));
}

int BytePacer::MsUntilNext(Clock::time_point now) const
{
    if (m_held.empty())
        return -1;
    if (now >= m_firstDue)
        return 0;
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(m_firstDue - now).count());
}

void BytePacer::Release(std::size_t count)
{
    count = std::min(count, m_held.size());
    m_held.erase(m_held.begin(), m_held.begin() + static_cast<std::ptrdiff_t>(count));
    m_firstDue += m_byteTime * static_cast<long long>(count);
}

}  // namespace sim
