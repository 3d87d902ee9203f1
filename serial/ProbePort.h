#pragma once

// Results of ProbePort.
enum : int {
    PortUnknown = -1,  // the open failed for another reason
    PortFree = 0,      // the port opened and was closed again
    PortAbsent = 1,    // no such port (ERROR_FILE_NOT_FOUND)
    PortBusy = 2,      // held by someone, this process included, or not permitted (ERROR_ACCESS_DENIED)
};

// Tries an exclusive open of a port name ("\\.\COM5" or a device path) and
// releases it at once; nothing is configured. It takes only the lock, never
// TIOCEXCL, so probing leaves nothing behind on the device.
int ProbePort(const char* portName);
