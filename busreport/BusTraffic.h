#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// What a bus monitor shows for each message it sees: the kind it files the
// message under (for its filter) and the hex and words of its line.
namespace busreport {

enum class TrafficKind : std::uint8_t {
    Settings, // Get request, settings reply, single-value replies
    Writes,   // the four writes of Set
    Levels,   // level queries and level replies of a scan
    Other,    // any other good message on the bus
    Echo,     // the echo of what the program sent
    Error,    // a message dropped for a bad checksum, a line error
};
inline constexpr int kTrafficKindCount = 6;

// The kind of a good message; an echo is an echo whatever it echoes.
TrafficKind KindOfMessage(std::span<const std::uint8_t> message, bool echo);

// "E5 14 ...  reply: level of channel 12: 80", an echo marked as one; a level
// for no radio channel says so, and control characters in a name show as
// \xNN rather than acting on the display.
std::string DescribeTraffic(std::span<const std::uint8_t> message, bool echo);
// The bytes of a message dropped for its checksum, said so.
std::string DescribeBadMessage(std::span<const std::uint8_t> message);

// The text with each control character (C0, DEL, C1) written as \xNN.
std::string Printable(std::string_view utf8);

} // namespace busreport
