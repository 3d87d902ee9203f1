#include "serial/ProbePort.h"

#include "serial/ErrnoMap.h"
#include "serial/NetworkPort.h"
#include "serial/PortAddress.h"
#include "serial/PortDevice.h"

#include <unistd.h>

#include <cerrno>

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
            *reason = std::make_error_code(std::errc::invalid_argument);
        return PortAbsent;  // a URL of no known form names nothing that could be there
    }
    int fd = -1;
    int error = serial_device::OpenExclusive(std::get<DevicePath>(address).path, false, fd);
    if (error == 0) {
        if (!::isatty(fd))
            error = ENOTTY;
        serial_device::Release(fd, false);
    }
    if (reason)
        *reason = error ? std::error_code(error, std::generic_category()) : std::error_code();
    switch (Win32FromErrno(error)) {
    case ERROR_SUCCESS: return PortFree;
    case ERROR_FILE_NOT_FOUND: return PortAbsent;
    case ERROR_ACCESS_DENIED: return PortBusy;
    default: return PortUnknown;
    }
}
