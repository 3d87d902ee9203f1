#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace sim {

// Fixed signal levels for channels 11-26: every level reply in the bytes
// going to the program gets the table's level for its channel. A reply that
// was sent with a bad checksum keeps a bad checksum.
void ApplyLevelTable(std::vector<std::uint8_t>& bytes, const std::array<int, 16>& levels);

}  // namespace sim
