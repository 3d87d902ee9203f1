#include "app/PortEntryCheck.h"

#include "busport/BusPort.h"
#include "busport/LineErrorText.h"
#include "serial/PortAddress.h"

namespace {

// How long a network interface may take to accept the program, line settings included.
constexpr std::chrono::milliseconds kInterfaceTryTimeout {500};

// Connects as the form does, so the answer reads as the form's status
// tooltip would, and disconnects.
bus::LineError TryInterface(const std::string& url)
{
    busport::CBusPort port;
    port.SetConnectTimeout(kInterfaceTryTimeout);
    return port.Open(url, busport::LineSettings {});
}

} // namespace

PortEntryVerdict CheckPortEntry(std::string_view text)
{
    if (text.empty())
        return {false, {}, "nothing entered: type a device path or an rfc2217:// or tcp:// URL"};
    const PortAddress address = PortAddressOf(text);
    std::string entry(text);
    if (const auto* device = std::get_if<DevicePath>(&address))
        entry = device->path;
    if (std::holds_alternative<NetworkAddressError>(address))
        return {false, entry, busport::OpenErrorText(entry, {})};
    const bool network = std::holds_alternative<NetworkAddress>(address);
    const bus::LineError problem = network ? TryInterface(entry) : busport::ProbeLine(entry);
    if (!problem)
        return {true, entry, network ? "the interface accepts a connection" : "a serial device, free"};
    if (problem.fault == bus::LineFault::Busy)
        return {true, entry, network ? busport::OpenErrorText(entry, problem) : busport::LineErrorText(problem)};
    return {false, entry, busport::OpenErrorText(entry, problem)};
}
