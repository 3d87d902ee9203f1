#include "serial/ProbePort.h"

#include "serial/ErrnoMap.h"
#include "serial/PortDevice.h"

using namespace win32;

int ProbePort(const char* portName)
{
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
