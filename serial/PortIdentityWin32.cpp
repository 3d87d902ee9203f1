#include "serial/PortIdentity.h"

// Windows has none of the places these are read from on Linux (sysfs, the
// by-id links, /proc), and its own (SetupAPI for a USB adapter's maker and
// product) is not read yet: a COM port is known by its number alone.
namespace port_identity {

std::optional<UsbIdentity> UsbIdentityOf(const std::string&, const Roots&)
{
    return std::nullopt;
}

std::vector<std::string> ByIdNames(const std::string&, const Roots&)
{
    return {};
}

std::vector<Holder> HoldersOf(const std::string&, const Roots&)
{
    return {};
}

} // namespace port_identity
