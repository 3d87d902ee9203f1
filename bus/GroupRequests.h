#pragma once

#include "bus/BusLimits.h"
#include "bus/GroupMessage.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// The messages the program sends: the Get request, the four writes of Set
// (always in the order name, RF channel, group ID, password key) and the
// channel level query. Numbers travel as their low byte.
namespace bus {

// Command 3, read request, all data 0.
GroupMessageFields MakeSettingsRequest();

// Blanks appended to `name` (UTF-8) until it has 8 characters; a longer name is kept whole.
std::string PadName(std::string_view name);

// Command 3 write: the first 8 characters of the name as Latin-1, blank-filled.
GroupMessageFields MakeNameWrite(std::string_view name);
GroupMessageFields MakeRfChannelWrite(std::int32_t channel);
GroupMessageFields MakeGroupIdWrite(std::int32_t groupId);
// Command 7 write: the first four characters of the key formatted "%4.4d".
GroupMessageFields MakePasswordKeyWrite(std::int32_t key);

// The four writes of Set, in the order they are sent.
std::array<GroupMessageFields, 4> MakeSettingsWrites(std::string_view name, std::int32_t channel,
                                                     std::int32_t groupId, std::int32_t key);

// Command 16, read request, d0 = channel.
GroupMessageFields MakeLevelQuery(std::int32_t channel);

} // namespace bus
