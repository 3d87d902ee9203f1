#include "serial/PortNames.h"

#include "bus/BusLimits.h"

#include <cctype>
#include <charconv>

namespace {

// Windows' prefix of a device name, as in "\\.\COM5".
constexpr std::string_view kDevicePrefix = "\\\\.\\";

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    }
    return true;
}

}  // namespace

std::optional<int> ComNumberOf(std::string_view name)
{
    if (name.starts_with(kDevicePrefix))
        name.remove_prefix(kDevicePrefix.size());
    if (!StartsWithNoCase(name, "COM"))
        return std::nullopt;
    name.remove_prefix(3);
    int number = 0;
    auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), number);
    if (error != std::errc() || end != name.data() + name.size())
        return std::nullopt;
    return number;
}

std::optional<std::string> BuiltInPortPath(int comNumber)
{
#ifdef _WIN32
    // A COM number on Windows is the system's own port.
    if (comNumber >= bus::kFirstComPort && comNumber <= bus::kLastComPort)
        return std::string(kDevicePrefix) + "COM" + std::to_string(comNumber);
#else
    if (comNumber >= bus::kFirstComPort && comNumber <= 8)
        return "/dev/ttyACM" + std::to_string(comNumber - 1);
    if (comNumber >= 9 && comNumber <= 16)
        return "/dev/ttyUSB" + std::to_string(comNumber - 9);
    if (comNumber >= 17 && comNumber <= bus::kLastComPort)
        return "/dev/ttyS" + std::to_string(comNumber - 17);
#endif
    return std::nullopt;
}

std::string ShownPortName(std::string_view path)
{
    if (path.starts_with(kDevicePrefix) && ComNumberOf(path))
        path.remove_prefix(kDevicePrefix.size());
    return std::string(path);
}

std::optional<std::string> ResolvePortName(std::string_view name, const PortLookup& lookup)
{
    const std::optional<int> number = ComNumberOf(name);
    if (!number)
        return std::string(name);
    if (lookup) {
        if (std::optional<std::string> mapped = lookup(*number); mapped && !mapped->empty())
            return mapped;
    }
    return BuiltInPortPath(*number);
}
