#include "app/PortEntryCheck.h"

#include "busport/LineErrorText.h"
#include "busport/ProbeLine.h"
#include "serial/PortAddress.h"

PortEntryVerdict CheckPortEntry(std::string_view text, const std::string& lockFolder)
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
    const bus::LineError problem = busport::ProbeLine(entry, lockFolder);
    if (!problem)
        return {true, entry, network ? "the interface accepts a connection" : "a serial device, free"};
    if (problem.fault == bus::LineFault::Busy)
        return {true, entry,
                network ? busport::OpenErrorText(entry, problem)
                        : busport::LineErrorText(problem) + busport::HeldByLockText(entry, lockFolder)};
    return {false, entry, busport::OpenErrorText(entry, problem)};
}
