#pragma once

#include <functional>
#include <optional>
#include <string>

// The user's own port mapping, section "Ports", entry "COM<n>" -> device path
// (e.g. COM3=/dev/serial/by-id/usb-...). Gives nothing for a missing or empty
// entry, so the serial layer falls back to its built-in table. Safe to call
// from any thread: each call reads through its own settings object.
std::function<std::optional<std::string>(int comNumber)> ProfilePortLookup();
