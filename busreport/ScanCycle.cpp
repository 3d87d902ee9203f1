#include "busreport/ScanCycle.h"

namespace busreport {

int CScanCycle::NextChannel()
{
    const int channel = m_channel;
    m_channel = channel == kLastChannel ? kFirstChannel : channel + 1;
    return channel;
}

std::optional<bus::ChannelLevelReply> CScanCycle::Count(const bus::GroupReply& reply)
{
    const auto* level = std::get_if<bus::ChannelLevelReply>(&reply);
    if (!level)
        return std::nullopt;
    m_stats.Add(level->channel, level->level);
    return *level;
}

void CScanCycle::Restart()
{
    m_channel = kFirstChannel;
    m_stats = {};
}

} // namespace busreport
