#include "serial/ProbePort.h"

#include "serial/ErrnoMap.h"
#include "serial/NetworkPort.h"
#include "serial/PortDevice.h"

using namespace win32;

namespace {
constexpr DWORD kNetworkProbeTimeoutMs = 500;
}

int ProbePort(const char* portName)
{
    // A network interface is free when it accepts a connection soon.
    if (const std::optional<std::string> url = NetworkUrlOf(portName))
        return ProbeNetworkPort(*url, kNetworkProbeTimeoutMs);
    int fd = -1;
    switch (Win32FromErrno(serial_device::OpenExclusive(portName, false, fd))) {
    case ERROR_SUCCESS:
        serial_device::Release(fd, false);
        return PortFree;
    case ERROR_FILE_NOT_FOUND: return PortAbsent;
    case ERROR_ACCESS_DENIED: return PortBusy;
    default: return PortUnknown;
    }
}
