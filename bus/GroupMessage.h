#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// The group configuration message: 20 bytes, 0xE5 0x14, command, direction and
// twelve data bytes sent seven bits at a time, their top bits gathered into one
// high-bit byte per group of four, then the checksum.
namespace bus {

inline constexpr std::uint8_t kGroupOpcode = 0xE5;
inline constexpr std::uint8_t kGroupLength = 0x14;
inline constexpr std::size_t kGroupMessageSize = 20;
inline constexpr std::size_t kGroupDataSize = 12;

enum GroupCommand : std::uint8_t {
    CmdRfChannel = 2,
    CmdSettings = 3, // the name on a write; all settings on a reply
    CmdGroupId = 4,
    CmdPasswordKey = 7,
    CmdChannelLevel = 16,
};

enum GroupDirection : std::uint8_t {
    DirWrite = 0x00,
    DirReadRequest = 0x08,
    DirReply = 0x10,
};

// The 14 fields of a message, in the order command, direction, d0-d11.
struct GroupMessageFields {
    std::uint8_t command = 0;
    std::uint8_t direction = 0;
    std::array<std::uint8_t, kGroupDataSize> data{};

    bool operator==(const GroupMessageFields&) const = default;
};

using GroupMessageBytes = std::array<std::uint8_t, kGroupMessageSize>;

// The 20 wire bytes, checksum included. Bit 7 of command and direction is not sent.
GroupMessageBytes PackGroupMessage(const GroupMessageFields& fields);

// The fields of 20 wire bytes; the checksum is not looked at (the framer has checked it).
GroupMessageFields UnpackGroupMessage(std::span<const std::uint8_t, kGroupMessageSize> bytes);

} // namespace bus
