#include "serial/ProbePort.h"

#include "serial/NetworkPort.h"
#include "serial/PortAddress.h"

using namespace win32;

namespace {
constexpr DWORD kNetworkProbeTimeoutMs = 500;
}

int ProbePort(const char* portName, std::error_code* reason)
{
    const PortAddress address = PortAddressOf(portName ? portName : "");
    // A network interface is free when it accepts a connection soon.
    if (const auto* network = std::get_if<NetworkAddress>(&address))
        return ProbeNetworkPort(*network, kNetworkProbeTimeoutMs, reason);
    if (std::holds_alternative<NetworkAddressError>(address)) {
        if (reason)
            *reason = net::ErrorCodeOf(net::kInvalidArgument);
        return PortAbsent;  // a URL of no known form names nothing that could be there
    }
    return ProbeDevice(std::get<DevicePath>(address).path, reason);
}
