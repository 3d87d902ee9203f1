#include "busreport/BusTraffic.h"

#include "bus/BusLimits.h"
#include "bus/GroupMessage.h"
#include "bus/GroupReply.h"
#include "busreport/MessageText.h"

#include <cstdio>
#include <optional>

namespace busreport {
namespace {

std::optional<bus::GroupMessageFields> GroupFields(std::span<const std::uint8_t> message)
{
    if (message.size() != bus::kGroupMessageSize || message[0] != bus::kGroupOpcode || message[1] != bus::kGroupLength)
        return std::nullopt;
    return bus::UnpackGroupMessage(message.first<bus::kGroupMessageSize>());
}

// A level reply the scan ignores: its channel is none of 11-26.
bool IsLevelForNoChannel(const bus::GroupMessageFields& fields)
{
    if (fields.direction != bus::DirReply)
        return false;
    const bus::GroupReply reply = bus::DecodeGroupReply(fields);
    const auto* level = std::get_if<bus::ChannelLevelReply>(&reply);
    return level && (level->channel < bus::kFirstChannel || level->channel > bus::kLastChannel);
}

std::string Escaped(unsigned code)
{
    char text[8];
    std::snprintf(text, sizeof text, "\\x%02X", code);
    return text;
}

} // namespace

TrafficKind KindOfMessage(std::span<const std::uint8_t> message, bool echo)
{
    if (echo)
        return TrafficKind::Echo;
    const std::optional<bus::GroupMessageFields> fields = GroupFields(message);
    if (!fields)
        return TrafficKind::Other;
    if (fields->command == bus::CmdChannelLevel)
        return TrafficKind::Levels;
    return fields->direction == bus::DirWrite ? TrafficKind::Writes : TrafficKind::Settings;
}

std::string DescribeTraffic(std::span<const std::uint8_t> message, bool echo)
{
    std::string words = Printable(DescribeMessage(message));
    if (const std::optional<bus::GroupMessageFields> fields = GroupFields(message); fields && IsLevelForNoChannel(*fields))
        words += " (no radio channel 11-26)";
    if (echo)
        words = words.empty() ? "echo" : "echo of " + words;
    return HexBytes(message) + (words.empty() ? "" : "  " + words);
}

std::string DescribeBadMessage(std::span<const std::uint8_t> message)
{
    return HexBytes(message) + "  bad checksum, dropped";
}

std::string Printable(std::string_view utf8)
{
    std::string text;
    text.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x20 || byte == 0x7F) {
            text += Escaped(byte);
        } else if (byte == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) < 0xA0) {
            text += Escaped(static_cast<unsigned char>(utf8[++i])); // U+0080-U+009F, the C1 controls
        } else {
            text += utf8[i];
        }
    }
    return text;
}

} // namespace busreport
