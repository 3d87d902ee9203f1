#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Resolution of the port names the program stores and shows ("\\.\COM5",
// "COM5") to device paths. A COM number is looked up first through the
// user's mapping (the settings section "Ports", entry "COM<n>"), then in the
// built-in table: COM1-8 -> /dev/ttyACM0-7, COM9-16 -> /dev/ttyUSB0-7,
// COM17-20 -> /dev/ttyS0-3. A number outside 1-20 without a mapping resolves
// to nothing (the port is then reported missing). Any other text is taken as
// a device path as it stands.

// The user's mapping: the device path for COM n, or nothing when the user
// has none. It runs on whichever thread opens or probes a port.
using PortLookup = std::function<std::optional<std::string>(int comNumber)>;

// Installs the process-wide mapping that Open and ProbePort use (an empty
// function removes it). The application installs one over its settings at
// start-up; tests install their own.
void SetPortLookup(PortLookup lookup);

// The COM number in "\\.\COM<n>" or "COM<n>" (letters in any case), or
// nothing when the text is no such name.
std::optional<int> ComNumberOf(std::string_view name);

// The built-in table's device path for COM n, or nothing outside 1-20.
std::optional<std::string> BuiltInPortPath(int comNumber);

// The device path for a port name under a given mapping.
std::optional<std::string> ResolvePortName(std::string_view name, const PortLookup& lookup);

// The device path for a port name under the process-wide mapping.
std::optional<std::string> ResolvePortName(std::string_view name);
