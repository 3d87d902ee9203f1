#include "bus/GroupReply.h"

#include "bus/GroupRequests.h"
#include "bus/Latin1.h"

#include <array>

namespace bus {
namespace {

constexpr std::uint8_t kDirectionMask = 0x18;
constexpr std::int32_t kAsciiDigitsBias = 53328; // '0' * 1111

// Trailing blanks go, but position 0 is never looked at, so eight blanks leave
// one; a zero byte ends the name.
std::string DecodeName(const GroupMessageFields& fields)
{
    std::array<char, kNameLength + 1> text{};
    for (std::size_t i = 0; i < kNameLength; ++i)
        text[i] = static_cast<char>(fields.data[i]);
    for (std::size_t i = kNameLength - 1; i > 0 && text[i] == ' '; --i)
        text[i] = '\0';
    return Latin1ToUtf8(std::string_view(text.data()));
}

RadioSettings DecodeSettings(const GroupMessageFields& fields)
{
    const auto& d = fields.data;
    RadioSettings settings;
    settings.pwKey = 1000 * (d[8] >> 4) + 100 * (d[8] & 0x0F) + 10 * (d[9] >> 4) + (d[9] & 0x0F);
    settings.rfChannel = d[10];
    settings.netWorkId = d[11];
    settings.name = DecodeName(fields);
    return settings;
}

} // namespace

GroupReply DecodeGroupReply(const GroupMessageFields& fields)
{
    if ((fields.direction & kDirectionMask) != DirReply)
        return std::monostate{};
    const auto& d = fields.data;
    switch (fields.command) {
    case CmdSettings:
        return DecodeSettings(fields);
    case CmdRfChannel:
        return RfChannelReply{d[0]};
    case CmdGroupId:
        return GroupIdReply{d[0]};
    case CmdPasswordKey:
        return PasswordKeyReply{1000 * d[0] + 100 * d[1] + 10 * d[2] + d[3] - kAsciiDigitsBias};
    case CmdChannelLevel:
        return ChannelLevelReply{d[0], d[1]};
    default:
        return std::monostate{};
    }
}

GroupMessageFields MakeSettingsReply(const RadioSettings& settings)
{
    GroupMessageFields fields = MakeNameWrite(settings.name);
    fields.direction = DirReply;
    const std::int32_t key = settings.pwKey < 0 ? 0 : settings.pwKey % 10000;
    fields.data[8] = static_cast<std::uint8_t>(((key / 1000) << 4) | (key / 100 % 10));
    fields.data[9] = static_cast<std::uint8_t>(((key / 10 % 10) << 4) | (key % 10));
    fields.data[10] = static_cast<std::uint8_t>(settings.rfChannel);
    fields.data[11] = static_cast<std::uint8_t>(settings.netWorkId);
    return fields;
}

GroupMessageFields MakeLevelReply(std::int32_t channel, std::int32_t level)
{
    GroupMessageFields fields;
    fields.command = CmdChannelLevel;
    fields.direction = DirReply;
    fields.data[0] = static_cast<std::uint8_t>(channel);
    fields.data[1] = static_cast<std::uint8_t>(level);
    return fields;
}

} // namespace bus
