#include "busport/LineErrorText.h"

namespace busport {

std::string LineErrorText(const bus::LineError& error)
{
    switch (error.fault) {
    case bus::LineFault::None: return "no error";
    case bus::LineFault::NoDevice: return "no such device";
    // Serial devices belong to the dialout group on this system.
    case bus::LineFault::PermissionDenied: return "permission denied: add yourself to the dialout group";
    case bus::LineFault::Busy: return "in use by another program";
    case bus::LineFault::NotSerial: return "not a serial device";
    case bus::LineFault::SettingsRefused: return "the device refused the line settings";
    case bus::LineFault::DeviceGone: return "the device stopped working (unplugged?)";
    case bus::LineFault::TimedOut: return "timed out";
    case bus::LineFault::NotOpen: return "the port is closed";
    case bus::LineFault::Other: break;
    }
    return error.system ? error.system.message() : "failed";
}

} // namespace busport
