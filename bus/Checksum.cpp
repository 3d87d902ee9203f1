#include "bus/Checksum.h"

std::uint8_t CalcChecksum(std::int32_t length, const std::uint8_t* bytes)
{
    std::uint8_t sum = 0;
    for (std::int32_t i = 0; i < length; ++i)
        sum ^= bytes[i];
    return static_cast<std::uint8_t>(~sum);
}
