#include "serial/ProbePort.h"

#include "serial/SerialTypes.h"

using namespace win32;

int ProbeDevice(const std::string& path, std::error_code* reason)
{
    const HANDLE port = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
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
