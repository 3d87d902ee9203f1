#include "sim/LineCheck.h"

#include "bus/BusLimits.h"

#include <charconv>

namespace sim {

bool IsLineOption(const std::string& option)
{
    return option == "--baud" || option == "--flow";
}

bool ParseLineOption(const std::string& option, const std::string& value, ExpectedLine& line, std::string& error)
{
    if (option == "--flow") {
        if (value != "none" && value != "rtscts") {
            error = "--flow takes none or rtscts, not \"" + value + "\"";
            return false;
        }
        line.rtsCts = value == "rtscts";
        return true;
    }
    std::uint32_t baud = 0;
    const auto [end, parsed] = std::from_chars(value.data(), value.data() + value.size(), baud);
    if (value.empty() || parsed != std::errc() || end != value.data() + value.size() || baud < bus::kMinBaudRate
        || baud > bus::kMaxBaudRate) {
        error = "--baud takes a whole number from " + std::to_string(bus::kMinBaudRate) + " to "
            + std::to_string(bus::kMaxBaudRate) + ", not \"" + value + "\"";
        return false;
    }
    line.baud = baud;
    return true;
}

} // namespace sim
