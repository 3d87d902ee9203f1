#include "cli/SettingsText.h"

#include "bus/BusLimits.h"
#include "busreport/BusTraffic.h"
#include "cli/SettingsQuery.h"

namespace cli {

using busreport::Printable;

namespace {

struct Range {
    const char* name;
    std::int32_t bus::RadioSettings::*value;
    std::int32_t low;
    std::int32_t high;
};

constexpr Range kRanges[] = {
    {"group_id", &bus::RadioSettings::netWorkId, bus::kMinGroupId, bus::kMaxGroupId},
    {"key", &bus::RadioSettings::pwKey, bus::kMinPasswordKey, bus::kMaxPasswordKey},
    {"channel", &bus::RadioSettings::rfChannel, bus::kFirstChannel, bus::kLastChannel},
};

// The value, and " (out of range 11-26)" when it lies outside.
std::string Value(const bus::RadioSettings& settings, const Range& range)
{
    const std::int32_t value = settings.*range.value;
    std::string text = std::to_string(value);
    if (value < range.low || value > range.high)
        text += " (out of range " + std::to_string(range.low) + "-" + std::to_string(range.high) + ")";
    return text;
}

} // namespace

std::vector<std::string> OutOfRange(const bus::RadioSettings& settings)
{
    std::vector<std::string> names;
    for (const Range& range : kRanges) {
        if (settings.*range.value < range.low || settings.*range.value > range.high)
            names.emplace_back(range.name);
    }
    return names;
}

void WriteSettings(std::ostream& out, const bus::RadioSettings& settings, const std::string& indent)
{
    out << indent << "Group name: \"" << Printable(settings.name) << "\"\n"
        << indent << "Group ID:   " << Value(settings, kRanges[0]) << '\n'
        << indent << "Key:        " << Value(settings, kRanges[1]) << '\n'
        << indent << "Channel:    " << Value(settings, kRanges[2]) << '\n';
}

void WriteReplies(std::ostream& out, const std::vector<bus::RadioSettings>& replies)
{
    if (replies.size() == 1) {
        WriteSettings(out, replies.front());
        return;
    }
    out << replies.size() << " transceivers answered, "
        << (AllAgree(replies) ? "all with the same settings." : "with different settings.") << '\n';
    for (std::size_t i = 0; i < replies.size(); ++i) {
        out << "Transceiver " << i + 1 << ":\n";
        WriteSettings(out, replies[i], "  ");
    }
}

Json SettingsJson(const bus::RadioSettings& settings)
{
    return {{"name", settings.name},
            {"group_id", settings.netWorkId},
            {"key", settings.pwKey},
            {"channel", settings.rfChannel},
            {"out_of_range", OutOfRange(settings)}};
}

void WriteRepliesJson(std::ostream& out, const std::string& port, const std::string& device,
                      const std::vector<bus::RadioSettings>& replies)
{
    Json transceivers = Json::array();
    for (const bus::RadioSettings& settings : replies)
        transceivers.push_back(SettingsJson(settings));
    WriteJson(out, {{"port", port}, {"device", device}, {"transceivers", transceivers}, {"differ", !AllAgree(replies)}});
}

std::string Differences(const bus::RadioSettings& held, const bus::RadioSettings& wanted)
{
    std::string text;
    auto add = [&text](const std::string& what, const std::string& is, const std::string& should) {
        if (is != should)
            text += (text.empty() ? "" : ", ") + what + " " + is + " (wanted " + should + ")";
    };
    add("name", "\"" + held.name + "\"", "\"" + wanted.name + "\"");
    add("channel", std::to_string(held.rfChannel), std::to_string(wanted.rfChannel));
    add("key", std::to_string(held.pwKey), std::to_string(wanted.pwKey));
    add("group ID", std::to_string(held.netWorkId), std::to_string(wanted.netWorkId));
    return text;
}

} // namespace cli
