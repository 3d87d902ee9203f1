#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The line a bus interface runs at. A real one hears garbage when the
// computer's side is set otherwise, so the simulator, told its line, answers
// nothing while the program's side of the pseudo-terminal is set to another.
namespace sim {

struct ExpectedLine {
    std::optional<std::uint32_t> baud; // any speed when not given
    std::optional<bool> rtsCts;        // either flow control when not given
};

// --baud N and --flow none|rtscts.
bool IsLineOption(const std::string& option);
// Takes the value of a line option; false with `error` set when it is bad.
bool ParseLineOption(const std::string& option, const std::string& value, ExpectedLine& line, std::string& error);

} // namespace sim
