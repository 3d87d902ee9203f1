#include "serial/ProbePort.h"

#include "serial/ErrnoMap.h"
#include "serial/NetworkPort.h"
#include "serial/PortDevice.h"

#include <unistd.h>

#include <cerrno>

using namespace win32;

namespace {
constexpr DWORD kNetworkProbeTimeoutMs = 500;
}

int ProbePort(const char* portName, std::error_code* reason)
{
    // A network interface is free when it accepts a connection soon.
    if (const std::optional<std::string> url = NetworkUrlOf(portName))
        return ProbeNetworkPort(*url, kNetworkProbeTimeoutMs, reason);
    int fd = -1;
    int error = serial_device::OpenExclusive(portName, false, fd);
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
