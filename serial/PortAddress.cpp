#include "serial/PortAddress.h"

#include "serial/PortNames.h"

PortAddress PortAddressOf(std::string_view name)
{
    if (auto network = ParseNetworkAddress(name)) {
        if (auto* address = std::get_if<NetworkAddress>(&*network))
            return *address;
        return std::get<NetworkAddressError>(*network);
    }
#ifdef _WIN32
    if (const std::optional<int> number = ComNumberOf(name))
        return DevicePath {"\\\\.\\COM" + std::to_string(*number)};
    return DevicePath {std::string(name)};
#else
    return DevicePath {ResolvePortName(name, {}).value_or("")};
#endif
}
