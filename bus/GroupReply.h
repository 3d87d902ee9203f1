#pragma once

#include "bus/GroupMessage.h"

#include <cstdint>
#include <string>
#include <variant>

// What a group configuration reply (direction 0x10) carries, and how the
// transceiver side builds the replies the program relies on.
namespace bus {

// Command 3: all settings. The name is UTF-8 text of its Latin-1 bytes.
struct RadioSettings {
    std::string name;
    std::int32_t pwKey = 0;
    std::int32_t rfChannel = 0;
    std::int32_t netWorkId = 0;

    bool operator==(const RadioSettings&) const = default;
};
struct RfChannelReply { std::int32_t rfChannel = 0; };       // command 2
struct GroupIdReply { std::int32_t netWorkId = 0; };         // command 4
struct PasswordKeyReply { std::int32_t pwKey = 0; };         // command 7
struct ChannelLevelReply { std::int32_t channel = 0; std::int32_t level = 0; }; // command 16

// std::monostate: not a reply, or a command that carries nothing the program uses.
using GroupReply = std::variant<std::monostate, RadioSettings, RfChannelReply, GroupIdReply,
                                PasswordKeyReply, ChannelLevelReply>;

// Values are taken as they come, unchecked: a command 7 digit outside '0'-'9'
// or a nibble above 9 gives whatever the arithmetic yields.
GroupReply DecodeGroupReply(const GroupMessageFields& fields);

// The command 3 reply: the name's first 8 characters as Latin-1, blank-filled;
// the key's last four decimal digits in the nibbles of d8 and d9 (a negative key as 0).
GroupMessageFields MakeSettingsReply(const RadioSettings& settings);

// The command 16 reply: d0 = channel, d1 = level (low bytes).
GroupMessageFields MakeLevelReply(std::int32_t channel, std::int32_t level);

} // namespace bus
