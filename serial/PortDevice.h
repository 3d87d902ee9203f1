#pragma once

#include <string>

// Opening and releasing a serial device for exclusive use. Exclusivity rests
// on flock(LOCK_EX|LOCK_NB), which holds against every other descriptor,
// root's included. TIOCEXCL is added on request to turn away other users'
// opens, and is cleared again before the descriptor closes: it stays on the
// device otherwise, and an ordinary user could never reopen the port.
namespace serial_device {

// Opens the device read-write, non-blocking, without becoming its
// controlling terminal, and locks it. Returns 0 with fd set, or the errno
// value of the step that failed with fd = -1: ENOENT for an empty path (a
// COM number that stands for no device), EWOULDBLOCK for a device locked
// elsewhere, EACCES for one the user may not open.
int OpenExclusive(const std::string& path, bool excludeOthers, int& fd);

// Clears TIOCEXCL (if it was set) and closes; the lock goes with the descriptor.
void Release(int fd, bool excludeOthers);

}  // namespace serial_device
