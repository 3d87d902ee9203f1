#pragma once

#include "serial/PortNames.h"
#include "settings/SettingsStore.h"

#include <memory>

// The user's own port map, section "Ports", entry "COM<n>" -> a device path
// or URL (COM3=/dev/serial/by-id/usb-..., COM4=rfc2217://host:port). On
// Windows a COM number is the system's own port, so the map holds paths and
// URLs only.
namespace settings {

// The stored path for COM n; nothing for a missing or blank entry, so the
// caller falls back to its built-in table. The lookup keeps the store and
// may run on any thread.
PortLookup PortsLookupOf(std::shared_ptr<const ISettingsStore> store);

// What each COM number stands for, so that no device stands under two
// numbers: COM n's entry in `stored`, else its device in `builtIn` (the
// built-in table, BuiltInPortPath; tests give one in a folder of their own).
// A number without an entry whose device another number's entry now leads
// to (a by-id name after a re-plug swapped the device nodes) takes the
// device that number's entry left free: with COM9 stored as adapter A, and
// A now at /dev/ttyUSB1, COM10 stands for /dev/ttyUSB0, where the other
// adapter now is. Nothing outside the table's numbers without an entry.
PortLookup OneNumberPerDevice(PortLookup stored, PortLookup builtIn = BuiltInPortPath);

// Maps COM n to a path or URL; false when the store could not be written.
bool StorePortPath(ISettingsStore& store, int comNumber, std::string_view path);
// Removes COM n from the map; false when the store could not be written.
bool RemovePortPath(ISettingsStore& store, int comNumber);

} // namespace settings
