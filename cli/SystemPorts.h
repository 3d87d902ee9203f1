#pragma once

#include "busport/LineSettingsText.h"
#include "cli/CliContext.h"
#include "serial/PortIdentity.h"

#include <optional>
#include <string>
#include <vector>

// The system's side of `brenvik-cli ports`: which ports there are and what
// the system says about each without opening it. One file per system
// (SystemPortsPosix.cpp, SystemPortsWin32.cpp); the command around it,
// --probe and the output are the same everywhere.
namespace cli {

struct Candidate {
    std::string name; // COM5, or empty for a device found by pattern
    std::string path;
};

// What `ports` found out about one candidate.
struct PortReport {
    Candidate candidate;
    std::string state;   // the JSON word: absent, not_serial, permission_denied, in_use, present (free, busy, unusable with --probe)
    std::string text;    // the same in words, with the fix or the holders
    std::string fix;
    std::vector<port_identity::Holder> holders;
    std::optional<port_identity::UsbIdentity> usb;
    std::vector<std::string> byId;
    std::optional<busport::StoredLine> line; // a COM number's stored line; none for a device found by pattern
    bool saved = false;
};

// The ports to list, in order. Linux: COM1 to COM20 through the user's
// "Ports" map and the built-in table, then serial devices the map does not
// name. Windows: the COM ports the system knows, each its own device.
std::vector<Candidate> SystemPorts(const CliContext& context);

// Fills in state and text (and what else the system tells) without opening the device.
void LookWithoutOpening(PortReport& report, const CliContext& context);

// Whether the device at `path` is there now, without opening it. Windows:
// whether the system knows the COM port ("\\.\COM5" or "COM5").
bool DevicePresent(const std::string& path);

// "minicom (pid 42), screen (pid 7)"
std::string HolderText(const std::vector<port_identity::Holder>& holders);

} // namespace cli
