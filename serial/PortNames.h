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

// The user's mapping: the device path or URL for COM n, or nothing when the
// user has none. Each program resolves a port once, where it names it, and
// hands the result down; the serial layer knows only the built-in table.
using PortLookup = std::function<std::optional<std::string>(int comNumber)>;

// The COM number in "\\.\COM<n>" or "COM<n>" (letters in any case), or
// nothing when the text is no such name.
std::optional<int> ComNumberOf(std::string_view name);

// The built-in table's device path for COM n, or nothing outside 1-20.
std::optional<std::string> BuiltInPortPath(int comNumber);

// The name a user knows a port by: "COM5" for the system's own "\\.\COM5"
// (a path only Windows uses), any other device path or URL as it stands.
std::string ShownPortName(std::string_view path);

// The device path or URL for a port name under a mapping (an empty one: the
// built-in table only).
std::optional<std::string> ResolvePortName(std::string_view name, const PortLookup& lookup);
