#include "busreport/MessageText.h"

#include "bus/GroupMessage.h"
#include "bus/GroupReply.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace busreport {
namespace {

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

// What a reply carries, or what a write carries where the reply of the same
// command does; empty for a command that carries nothing known.
std::string DescribeValue(const bus::GroupReply& value)
{
    if (const auto* s = std::get_if<bus::RadioSettings>(&value))
        return "name " + Quoted(s->name) + ", group ID " + std::to_string(s->netWorkId) + ", key "
            + std::to_string(s->pwKey) + ", channel " + std::to_string(s->rfChannel);
    if (const auto* c = std::get_if<bus::RfChannelReply>(&value))
        return "channel " + std::to_string(c->rfChannel);
    if (const auto* g = std::get_if<bus::GroupIdReply>(&value))
        return "group ID " + std::to_string(g->netWorkId);
    if (const auto* k = std::get_if<bus::PasswordKeyReply>(&value))
        return "key " + std::to_string(k->pwKey);
    if (const auto* l = std::get_if<bus::ChannelLevelReply>(&value))
        return "level of channel " + std::to_string(l->channel) + ": " + std::to_string(l->level);
    return {};
}

std::string DescribeWrite(bus::GroupMessageFields fields)
{
    fields.direction = bus::DirReply;
    const bus::GroupReply value = bus::DecodeGroupReply(fields);
    if (const auto* s = std::get_if<bus::RadioSettings>(&value))
        return "write name " + Quoted(s->name); // the name write carries nothing else
    const std::string text = DescribeValue(value);
    return text.empty() ? "write, command " + std::to_string(fields.command) : "write " + text;
}

std::string DescribeReply(const bus::GroupMessageFields& fields)
{
    const std::string text = DescribeValue(bus::DecodeGroupReply(fields));
    return text.empty() ? "reply, command " + std::to_string(fields.command) : "reply: " + text;
}

} // namespace

std::string HexBytes(std::span<const std::uint8_t> bytes)
{
    std::string text;
    char hex[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(hex, sizeof hex, "%02X", b);
        text += (text.empty() ? "" : " ") + std::string(hex);
    }
    return text;
}

std::string DescribeMessage(std::span<const std::uint8_t> message)
{
    if (message.size() != bus::kGroupMessageSize || message[0] != bus::kGroupOpcode || message[1] != bus::kGroupLength)
        return {};
    const bus::GroupMessageFields fields = bus::UnpackGroupMessage(message.first<bus::kGroupMessageSize>());
    switch (fields.direction) {
    case bus::DirWrite: return DescribeWrite(fields);
    case bus::DirReply: return DescribeReply(fields);
    case bus::DirReadRequest:
        if (fields.command == bus::CmdSettings)
            return "Get request";
        if (fields.command == bus::CmdChannelLevel)
            return "level query, channel " + std::to_string(fields.data[0]);
        return "read request, command " + std::to_string(fields.command);
    default: return "command " + std::to_string(fields.command) + ", direction " + std::to_string(fields.direction);
    }
}

std::string WallClockStamp()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local {};
    ::localtime_r(&seconds, &local);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(millis));
    return text;
}

} // namespace busreport
