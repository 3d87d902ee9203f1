#include "busreport/TrafficLog.h"

#include <utility>

namespace busreport {

void CTrafficLog::Add(TrafficKind kind, std::string text)
{
    if (m_capacity == 0)
        return;
    if (m_lines.size() == m_capacity)
        m_lines.pop_front();
    m_lines.push_back({m_nextNumber++, kind, std::move(text)});
}

void CTrafficLog::Clear()
{
    m_lines.clear();
    m_nextNumber = 0;
}

} // namespace busreport
