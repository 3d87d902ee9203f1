#include "serial/ProbePort.h"

#include "serial/PortAddress.h"
#include "serial/SerialTypes.h"

#include <string>

using namespace win32;

int ProbePort(const char* portName, std::error_code* reason)
{
    const PortAddress address = PortAddressOf(portName ? portName : "");
    const auto* device = std::get_if<DevicePath>(&address);
    if (!device) {  // no network interfaces here yet
        if (reason)
            *reason = std::error_code(ERROR_NOT_SUPPORTED, std::system_category());
        return PortUnknown;
    }
    const HANDLE port = ::CreateFileA(device->path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OVERLAPPED, nullptr);
    const DWORD error = port == INVALID_HANDLE_VALUE ? ::GetLastError() : 0;
    if (port != INVALID_HANDLE_VALUE)
        ::CloseHandle(port);
    if (reason)
        *reason = error ? std::error_code(static_cast<int>(error), std::system_category()) : std::error_code();
    switch (static_cast<LONG>(error)) {
    case ERROR_SUCCESS: return PortFree;
    case ERROR_FILE_NOT_FOUND: return PortAbsent;
    case ERROR_ACCESS_DENIED: return PortBusy;
    default: return PortUnknown;
    }
}
