#pragma once

#include <cstdint>
#include <system_error>

// The error contract of the bus layer and of everything that talks to the
// bus without being the serial classes or the form: a line operation gives a
// LineError. LineError{} (fault None) is success and the only success value;
// any other fault says in this layer's words what went wrong, and `system`
// keeps the system's own reason (an errno value, its message() the system's
// text), empty when the fault did not come from the system. So a caller can
// name the cause, and say more when it must, without asking the device again.
// Operations that cannot fail return nothing.
namespace bus {

enum class LineFault : std::uint8_t {
    None,             // success
    NoDevice,         // nothing answers to the port's name
    PermissionDenied, // the system does not let this user open the device
    Busy,             // another program, or this one, holds the device
    NotSerial,        // the device is no serial line
    SettingsRefused,  // the device refused the line settings
    DeviceGone,       // the device stopped working: unplugged, or its peer closed
    TimedOut,         // the line did not take the bytes in time
    NotOpen,          // the line is closed
    Other,            // anything else; the system's reason tells more
};

struct LineError {
    LineFault fault = LineFault::None;
    std::error_code system;

    // True for a failure, as with std::error_code.
    explicit operator bool() const { return fault != LineFault::None; }
    bool operator==(const LineError&) const = default;
};

} // namespace bus
