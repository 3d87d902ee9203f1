#include "sim/LevelTable.h"

#include "bus/Checksum.h"
#include "bus/GroupMessage.h"

#include <algorithm>
#include <span>

namespace sim {

void ApplyLevelTable(std::vector<std::uint8_t>& bytes, const std::array<int, 16>& levels)
{
    using namespace bus;
    for (std::size_t at = 0; at + kGroupMessageSize <= bytes.size(); ++at) {
        if (bytes[at] != kGroupOpcode || bytes[at + 1] != kGroupLength)
            continue;
        std::span<std::uint8_t, kGroupMessageSize> message(bytes.data() + at, kGroupMessageSize);
        GroupMessageFields fields = UnpackGroupMessage(message);
        const int channel = fields.data[0];
        if (fields.command != CmdChannelLevel || fields.direction != DirReply || channel < 11 || channel > 26)
            continue;
        const bool good = CalcChecksum(kGroupMessageSize, message.data()) == 0;
        fields.data[1] = static_cast<std::uint8_t>(levels[static_cast<std::size_t>(channel - 11)]);
        GroupMessageBytes packed = PackGroupMessage(fields);
        if (!good)
            packed.back() ^= 0x01;
        std::copy(packed.begin(), packed.end(), message.begin());
        at += kGroupMessageSize - 1;
    }
}

}  // namespace sim
