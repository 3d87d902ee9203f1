#include "bus/GroupMessage.h"

#include "bus/Checksum.h"

namespace bus {
namespace {

constexpr std::size_t kGroups = 3;
constexpr std::size_t kBytesPerGroup = 4;

// Offset of the high-bit byte of group g; its four data bytes follow it.
constexpr std::size_t HighBitsOffset(std::size_t g) { return 4 + 5 * g; }

} // namespace

GroupMessageBytes PackGroupMessage(const GroupMessageFields& fields)
{
    GroupMessageBytes bytes{};
    bytes[0] = kGroupOpcode;
    bytes[1] = kGroupLength;
    bytes[2] = fields.command & 0x7F;
    bytes[3] = fields.direction & 0x7F;
    for (std::size_t g = 0; g < kGroups; ++g) {
        std::uint8_t highBits = 0;
        for (std::size_t i = 0; i < kBytesPerGroup; ++i) {
            const std::uint8_t d = fields.data[kBytesPerGroup * g + i];
            highBits |= static_cast<std::uint8_t>((d >> 7) << i);
            bytes[HighBitsOffset(g) + 1 + i] = d & 0x7F;
        }
        bytes[HighBitsOffset(g)] = highBits;
    }
    bytes[kGroupMessageSize - 1] = CalcChecksum(kGroupMessageSize - 1, bytes.data());
    return bytes;
}

GroupMessageFields UnpackGroupMessage(std::span<const std::uint8_t, kGroupMessageSize> bytes)
{
    GroupMessageFields fields;
    fields.command = bytes[2];
    fields.direction = bytes[3];
    for (std::size_t g = 0; g < kGroups; ++g) {
        const std::uint8_t highBits = bytes[HighBitsOffset(g)];
        for (std::size_t i = 0; i < kBytesPerGroup; ++i) {
            const std::uint8_t top = ((highBits >> i) & 1) << 7;
            fields.data[kBytesPerGroup * g + i] =
                static_cast<std::uint8_t>((bytes[HighBitsOffset(g) + 1 + i] & 0x7F) | top);
        }
    }
    return fields;
}

} // namespace bus
