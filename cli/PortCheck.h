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

// Who holds the device's UUCP lock in `lockFolder` while alive; nothing
// when no one does or no folder is given. The pid is 0 for a lock file
// that cannot be read.
std::optional<port_identity::Holder> LockOwner(const std::string& lockFolder, const std::string& path);

// "ser2net (pid 42)", or the lock file when it cannot be read.
std::string LockOwnerText(const port_identity::Holder& owner, const std::string& lockFolder);

// Why no lock can be taken in `lockFolder` (missing, not writable); nothing
// when it can or when no folder is given.
std::optional<std::string> LockFolderProblem(const std::string& lockFolder);

// What to run so this user may open the device at `path` (from its owner
// and mode; the device is not opened).
std::string PermissionFix(const std::string& path);

// "free", "busy", "absent", "permission denied", "unusable".
const char* PortStateText(PortState state);

} // namespace cli
