#pragma once

#include <cstdint>
#include <span>
#include <string>

// How the monitor shows a bus message.
namespace busreport {

// "E5 14 03 08 ..." (upper-case hex, one blank between bytes).
std::string HexBytes(std::span<const std::uint8_t> bytes);

// A group configuration message in words ("Get request", "write channel 15",
// "reply: name \"Yard\", ..."); empty for any other message.
std::string DescribeMessage(std::span<const std::uint8_t> message);

// The local wall-clock time with milliseconds, "14:03:27.512".
std::string WallClockStamp();

} // namespace busreport
