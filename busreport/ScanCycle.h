#pragma once

#include "bus/GroupReply.h"
#include "busreport/ScanStats.h"

#include <optional>

namespace busreport {

// The channel scan's query cycle, the same in both programs: one level query
// per tick, channel 11 upward and round again after 26, and every level
// reply counted in the scan's figures.
class CScanCycle {
public:
    // The channel the next query asks about; the cycle moves on.
    int NextChannel();
    // A reply from the bus: a level reply is counted and given back; any
    // other reply is none of the scan's business.
    std::optional<bus::ChannelLevelReply> Count(const bus::GroupReply& reply);
    // Back to channel 11 with no figures (the figures stay the same object).
    void Restart();

    const CScanStats& Stats() const { return m_stats; }

private:
    int m_channel = kFirstChannel;
    CScanStats m_stats;
};

} // namespace busreport
