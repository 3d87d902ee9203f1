#pragma once

#include "serial/PortIdentity.h"

#include <optional>
#include <string>

// What a serial device looks like to this user: free, held by another
// program, missing, or closed to this user with the command that fixes it.
namespace cli {

enum class PortState { Free, Busy, Absent, PermissionDenied, Unknown };

struct PortCondition {
    PortState state = PortState::Unknown;
    std::string fix; // for PermissionDenied: what to run, e.g. sudo usermod -aG dialout $USER
    std::optional<port_identity::Holder> lockOwner; // Busy by a live owner's lock
};

// A live owner's UUCP lock in `lockFolder` (none: no folder) makes the
// device busy; else an exclusive open is tried and released at once
// (nothing configured).
PortCondition InspectPort(const std::string& path, const std::string& lockFolder);

// What to run so this user may open the device at `path` (from its owner
// and mode; the device is not opened).
std::string PermissionFix(const std::string& path);

// "free", "busy", "absent", "permission denied", "unusable".
const char* PortStateText(PortState state);

} // namespace cli
