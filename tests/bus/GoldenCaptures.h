#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The golden captures of tests/bus/golden/: byte streams from real runs,
// each with the messages framed from it (see scripts/golden-captures).
namespace golden {

struct Message {
    std::vector<std::uint8_t> bytes;
    std::string hex;     // as listed: "E5 14 03 08 ..."
    std::string meaning; // the monitor's words; empty for a message it has none for
};

struct Capture {
    std::string name;
    std::vector<std::uint8_t> stream;
    std::vector<Message> messages;
    std::uint64_t badChecksums = 0;
};

// Every NAME.bin with its NAME.txt, by name; throws on a file it cannot read.
std::vector<Capture> LoadCaptures();

} // namespace golden
