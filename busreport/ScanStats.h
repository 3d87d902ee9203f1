#pragma once

#include "bus/BusLimits.h"

#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

// The levels a channel scan collected, per radio channel 11-26, and how they
// are reported: a table, CSV or JSON, the quietest channels first.
namespace busreport {

using bus::kFirstChannel;
using bus::kLastChannel;
using bus::kChannelCount;

struct ChannelStats {
    int samples = 0;
    int last = 0;
    int peak = 0;
    std::int64_t sum = 0;

    double Average() const { return samples ? static_cast<double>(sum) / samples : 0.0; }
};

class CScanStats {
public:
    // One level reply; channels outside 11-26 are ignored.
    void Add(int channel, int level);

    const ChannelStats& Of(int channel) const { return m_channels[static_cast<std::size_t>(channel - kFirstChannel)]; }
    int TotalSamples() const;

    // The channels that answered, lowest average first, ties broken by the
    // lower peak, then by the lower channel.
    std::vector<int> QuietestChannels() const;
    // The channels without a single sample, in order.
    std::vector<int> UnmeasuredChannels() const;

private:
    std::array<ChannelStats, kLastChannel - kFirstChannel + 1> m_channels {};
};

// The 2.4 GHz Wi-Fi channels (1-13, 20 MHz wide) that overlap a radio
// channel: their centres lie at most 11 MHz apart.
std::vector<int> OverlappingWifiChannels(int radioChannel);

// "1-4" style text of a run of channel numbers ("-" for none).
std::string ChannelRange(const std::vector<int>& channels);

// How a scan went, for its report.
struct ScanRun {
    std::string port;
    std::string device;
    double seconds = 0;       // how long it ran
    int queries = 0;          // level queries sent
    int secondsForAll = 0;    // the shortest --seconds that queries all sixteen channels at the interval kept
    bool interrupted = false; // stopped by Ctrl+C or SIGTERM
};

// A channel without samples shows "-" (text), an empty cell (CSV) or null
// (JSON) for every level, never 0, which would read as a quiet channel.
void WriteScanTable(std::ostream& out, const CScanStats& stats, const ScanRun& run);
// The Wi-Fi overlap goes in two number columns, so no spreadsheet reads "1-2" as a date.
void WriteScanCsv(std::ostream& out, const CScanStats& stats);
void WriteScanJson(std::ostream& out, const CScanStats& stats, const ScanRun& run);

} // namespace busreport
