#include "busreport/ScanStats.h"

#include "busreport/Json.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace busreport {
namespace {

int RadioCentreMhz(int channel) { return 2405 + 5 * (channel - kFirstChannel); }
int WifiCentreMhz(int channel) { return 2407 + 5 * channel; }
constexpr int kOverlapMhz = 11; // half the Wi-Fi channel's 20 MHz plus half the radio's 2 MHz

std::string Fixed1(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

template <typename Row>
void ForEachChannel(Row row)
{
    for (int channel = kFirstChannel; channel <= kLastChannel; ++channel)
        row(channel);
}

} // namespace

void CScanStats::Add(int channel, int level)
{
    if (channel < kFirstChannel || channel > kLastChannel)
        return;
    ChannelStats& stats = m_channels[static_cast<std::size_t>(channel - kFirstChannel)];
    ++stats.samples;
    stats.last = level;
    stats.sum += level;
    stats.peak = std::max(stats.peak, level);
}

int CScanStats::TotalSamples() const
{
    int total = 0;
    for (const ChannelStats& stats : m_channels)
        total += stats.samples;
    return total;
}

std::vector<int> CScanStats::QuietestChannels() const
{
    std::vector<int> ranked;
    ForEachChannel([&](int channel) {
        if (Of(channel).samples > 0)
            ranked.push_back(channel);
    });
    std::stable_sort(ranked.begin(), ranked.end(), [this](int a, int b) {
        const ChannelStats& x = Of(a);
        const ChannelStats& y = Of(b);
        // Exact comparison of the averages: sum_a / n_a < sum_b / n_b.
        const std::int64_t left = x.sum * y.samples;
        const std::int64_t right = y.sum * x.samples;
        return left != right ? left < right : x.peak < y.peak;
    });
    return ranked;
}

std::vector<int> CScanStats::UnmeasuredChannels() const
{
    std::vector<int> unmeasured;
    ForEachChannel([&](int channel) {
        if (Of(channel).samples == 0)
            unmeasured.push_back(channel);
    });
    return unmeasured;
}

std::vector<int> OverlappingWifiChannels(int radioChannel)
{
    std::vector<int> wifi;
    for (int n = 1; n <= 13; ++n) {
        if (std::abs(RadioCentreMhz(radioChannel) - WifiCentreMhz(n)) <= kOverlapMhz)
            wifi.push_back(n);
    }
    return wifi;
}

std::string ChannelRange(const std::vector<int>& channels)
{
    if (channels.empty())
        return "-";
    if (channels.size() == 1)
        return std::to_string(channels.front());
    return std::to_string(channels.front()) + "-" + std::to_string(channels.back());
}

void WriteScanTable(std::ostream& out, const CScanStats& stats, const ScanRun& run)
{
    char line[128];
    if (run.interrupted)
        out << "Interrupted after " << static_cast<int>(run.seconds) << " s: the levels measured until then.\n";
    out << "Channel  Samples  Last  Peak  Average  Wi-Fi overlap\n";
    ForEachChannel([&](int channel) {
        const ChannelStats& s = stats.Of(channel);
        const std::string none = "-";
        std::snprintf(line, sizeof line, "%7d  %7d  %4s  %4s  %7s  %s\n", channel, s.samples,
                      s.samples ? std::to_string(s.last).c_str() : none.c_str(),
                      s.samples ? std::to_string(s.peak).c_str() : none.c_str(),
                      s.samples ? Fixed1(s.Average()).c_str() : none.c_str(),
                      ChannelRange(OverlappingWifiChannels(channel)).c_str());
        out << line;
    });
    out << "\nQuietest channels (lowest average, then lowest peak):\n";
    int rank = 0;
    for (int channel : stats.QuietestChannels()) {
        const ChannelStats& s = stats.Of(channel);
        std::snprintf(line, sizeof line, "%4d. channel %2d  average %s  peak %d  (Wi-Fi %s)\n", ++rank, channel,
                      Fixed1(s.Average()).c_str(), s.peak, ChannelRange(OverlappingWifiChannels(channel)).c_str());
        out << line;
    }
    const std::vector<int> unmeasured = stats.UnmeasuredChannels();
    if (unmeasured.empty())
        return;
    out << "\nNot measured: channel" << (unmeasured.size() > 1 ? "s " : " ");
    for (std::size_t i = 0; i < unmeasured.size(); ++i)
        out << (i ? ", " : "") << unmeasured[i];
    if (run.queries < kChannelCount)
        out << " (the scan ended before it reached them; --seconds " << run.secondsForAll
            << " measures all sixteen)\n";
    else
        out << " (no reply came for them)\n";
}

void WriteScanCsv(std::ostream& out, const CScanStats& stats)
{
    out << "channel,samples,last,peak,average,wifi_first,wifi_last,rank\n";
    const std::vector<int> ranked = stats.QuietestChannels();
    ForEachChannel([&](int channel) {
        const ChannelStats& s = stats.Of(channel);
        const auto at = std::find(ranked.begin(), ranked.end(), channel);
        const std::vector<int> wifi = OverlappingWifiChannels(channel);
        out << channel << ',' << s.samples << ',';
        if (s.samples)
            out << s.last << ',' << s.peak << ',' << Fixed1(s.Average()) << ',';
        else
            out << ",,,";
        out << wifi.front() << ',' << wifi.back() << ','
            << (at != ranked.end() ? std::to_string(at - ranked.begin() + 1) : "") << '\n';
    });
}

void WriteScanJson(std::ostream& out, const CScanStats& stats, const ScanRun& run)
{
    auto list = [&out](const std::vector<int>& numbers) {
        out << '[';
        for (std::size_t i = 0; i < numbers.size(); ++i)
            out << (i ? ", " : "") << numbers[i];
        out << ']';
    };
    out << "{\"port\": " << JsonString(run.port) << ", \"device\": " << JsonString(run.device)
        << ", \"seconds\": " << Fixed1(run.seconds) << ", \"interrupted\": " << (run.interrupted ? "true" : "false")
        << ", \"channels\": [";
    ForEachChannel([&](int channel) {
        const ChannelStats& s = stats.Of(channel);
        const auto figure = [&s](const std::string& value) { return s.samples ? value : "null"; };
        out << (channel > kFirstChannel ? ", " : "") << "{\"channel\": " << channel << ", \"samples\": " << s.samples
            << ", \"last\": " << figure(std::to_string(s.last)) << ", \"peak\": " << figure(std::to_string(s.peak))
            << ", \"average\": " << figure(Fixed1(s.Average())) << ", \"wifi\": ";
        list(OverlappingWifiChannels(channel));
        out << '}';
    });
    out << "], \"quietest\": ";
    list(stats.QuietestChannels());
    out << ", \"not_measured\": ";
    list(stats.UnmeasuredChannels());
    out << "}\n";
}

} // namespace busreport
