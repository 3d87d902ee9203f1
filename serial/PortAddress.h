#pragma once

#include "serial/NetworkAddress.h"

#include <string>
#include <string_view>
#include <variant>

// The device a port name stands for: a tty path on POSIX, "\\.\COMn" on
// Windows. Empty when a COM number stands for no device.
struct DevicePath {
    std::string path;
};

// Where a port is, read once from its name; Open and ProbePort take their
// back-end from it. A URL of an unknown form keeps why it names no
// interface.
using PortAddress = std::variant<DevicePath, NetworkAddress, NetworkAddressError>;

// On POSIX a COM name ("\\.\COM5", "COM5") is the built-in table's device
// (PortNames.h: the user's mapping is resolved by the caller, before); on
// Windows it is the system's COM port. A URL is a network interface; any
// other text a device path.
PortAddress PortAddressOf(std::string_view name);
