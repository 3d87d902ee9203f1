#pragma once

#include <cstdint>

// One's complement of the XOR of `length` bytes; 0xFF for a length of 0 or less.
// Run over a whole good message, checksum included, it gives 0.
std::uint8_t CalcChecksum(std::int32_t length, const std::uint8_t* bytes);
