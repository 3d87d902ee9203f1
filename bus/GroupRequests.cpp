#include "bus/GroupRequests.h"

#include "bus/Latin1.h"

#include <algorithm>
#include <cstdio>

namespace bus {
namespace {

GroupMessageFields Make(GroupCommand command, GroupDirection direction)
{
    GroupMessageFields fields;
    fields.command = command;
    fields.direction = direction;
    return fields;
}

// d0 = the low byte of `value`, the rest 0.
GroupMessageFields MakeWithByte(GroupCommand command, GroupDirection direction, std::int32_t value)
{
    GroupMessageFields fields = Make(command, direction);
    fields.data[0] = static_cast<std::uint8_t>(value);
    return fields;
}

} // namespace

GroupMessageFields MakeSettingsRequest()
{
    return Make(CmdSettings, DirReadRequest);
}

std::string PadName(std::string_view name)
{
    std::string padded(name);
    const std::size_t length = Utf8Length(name);
    if (length < kNameLength)
        padded.append(kNameLength - length, ' ');
    return padded;
}

GroupMessageFields MakeNameWrite(std::string_view name)
{
    GroupMessageFields fields = Make(CmdSettings, DirWrite);
    const std::string bytes = Utf8ToLatin1(name);
    std::fill_n(fields.data.begin(), kNameLength, static_cast<std::uint8_t>(' '));
    std::copy_n(bytes.begin(), std::min(bytes.size(), kNameLength), fields.data.begin());
    return fields;
}

GroupMessageFields MakeRfChannelWrite(std::int32_t channel)
{
    return MakeWithByte(CmdRfChannel, DirWrite, channel);
}

GroupMessageFields MakeGroupIdWrite(std::int32_t groupId)
{
    return MakeWithByte(CmdGroupId, DirWrite, groupId);
}

GroupMessageFields MakePasswordKeyWrite(std::int32_t key)
{
    GroupMessageFields fields = Make(CmdPasswordKey, DirWrite);
    char digits[16] = {};
    std::snprintf(digits, sizeof digits, "%4.4d", static_cast<int>(key));
    std::copy_n(digits, 4, fields.data.begin());
    return fields;
}

std::array<GroupMessageFields, 4> MakeSettingsWrites(std::string_view name, std::int32_t channel,
                                                     std::int32_t groupId, std::int32_t key)
{
    return {MakeNameWrite(name), MakeRfChannelWrite(channel), MakeGroupIdWrite(groupId),
            MakePasswordKeyWrite(key)};
}

GroupMessageFields MakeLevelQuery(std::int32_t channel)
{
    return MakeWithByte(CmdChannelLevel, DirReadRequest, channel);
}

} // namespace bus
