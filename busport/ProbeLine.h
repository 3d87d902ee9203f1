#pragma once

#include "bus/LineError.h"
#include "serial/PortIdentity.h"

#include <optional>
#include <string>

// Whether a device or network interface can be opened at this moment, and
// who holds a device by its UUCP lock, for both programs.
namespace busport {

// What keeps `device` from being opened now: LineError{} when it is free.
// A device is Busy while a live owner's UUCP lock in `lockFolder` (empty:
// none looked at) names it, else an exclusive open is tried and released at
// once. A network interface is connected to as the programs connect, with a
// short time-out, so its failure reads in a network line's words
// (OpenErrorText); a plain stream's server is then given a moment to turn
// the program away (Busy).
bus::LineError ProbeLine(const std::string& device, const std::string& lockFolder);

// Who holds the device's UUCP lock in `lockFolder` while alive; nothing
// when no one does or no folder is given. The pid is 0 for a lock file
// that cannot be read.
std::optional<port_identity::Holder> LockOwner(const std::string& lockFolder, const std::string& path);

// "ser2net (pid 42), by its lock", or the lock file when it cannot be read.
std::string LockOwnerText(const port_identity::Holder& owner, const std::string& lockFolder);

// ": held by ser2net (pid 42), by its lock" while a live owner's lock in
// `lockFolder` names the device at `path`; empty otherwise.
std::string HeldByLockText(const std::string& path, const std::string& lockFolder);

// Why no lock can be taken in `lockFolder` (missing, not writable); nothing
// when it can or when no folder is given.
std::optional<std::string> LockFolderProblem(const std::string& lockFolder);

} // namespace busport
