#include "serial/ProbePort.h"

#include "serial/ErrnoMap.h"
#include "serial/PortDevice.h"

#include <unistd.h>

#include <cerrno>

using namespace win32;

int ProbeDevice(const std::string& path, std::error_code* reason)
{
    int fd = -1;
    int error = serial_device::OpenExclusive(path, false, fd);
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
