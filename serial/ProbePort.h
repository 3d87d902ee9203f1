#pragma once

#include <string>
#include <system_error>

// Results of ProbePort.
enum : int {
    PortUnknown = -1,  // the open failed for another reason, or the device is no serial line
    PortFree = 0,      // the port opened and was closed again
    PortAbsent = 1,    // no such port (ERROR_FILE_NOT_FOUND)
    PortBusy = 2,      // held by someone, this process included, or not permitted (ERROR_ACCESS_DENIED)
};

// Tries an exclusive open of a port name ("\\.\COM5" or a device path) and
// releases it at once; nothing is configured. It takes only the lock, never
// TIOCEXCL, so probing leaves nothing behind on the device. A device that
// opens but is no terminal (a regular file, /dev/null) is PortUnknown.
// `reason`, when given, receives the system's reason for a port that is not
// free (an errno value): what tells a held port (EWOULDBLOCK) from one this
// user may not open (EACCES), both PortBusy, or a folder (EISDIR) from both.
// On Windows the reason is the system's Win32 code, a URL's a Winsock error.
int ProbePort(const char* portName, std::error_code* reason = nullptr);

// ProbePort's device half, one file per system (ProbeDevicePosix.cpp,
// ProbeDeviceWin32.cpp).
int ProbeDevice(const std::string& path, std::error_code* reason);
