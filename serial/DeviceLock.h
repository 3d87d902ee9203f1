#pragma once

#include <sys/types.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

// The UUCP lock of a serial device, the one ser2net, minicom and the FHS
// use: a file FOLDER/LCK..NAME holding the owner's PID as ten ASCII
// characters, right-aligned, and a newline. NAME is the device's path
// without "/dev/", each '/' as '_' (/dev/ttyUSB0: LCK..ttyUSB0). A program
// that opens the device while the owner lives shares the line with it.
namespace device_lock {

struct Owner {
    pid_t pid = 0;       // 0: a lock file that cannot be read
    std::string program; // the owner's command name; empty when it cannot be told
};

// The lock file of the device at `devicePath` (as named, not followed).
std::string LockPath(const std::string& folder, const std::string& devicePath);

// Who holds the device's lock (under the path as named or the device it
// leads to): a lock whose process runs, this one included, or one that
// cannot be read. Nothing for no lock, or a stale one (its process is gone,
// or the file holds no PID: empty, garbage).
std::optional<Owner> LiveOwner(const std::string& folder, const std::string& devicePath);

// The folder the programs keep their locks in: $BRENVIK_LOCK_DIR when set
// (tests give a folder of their own; empty: no locks), else /run/lock, where
// ser2net, minicom and the FHS keep them. Windows keeps none.
inline std::string ProgramLockFolder()
{
#ifdef _WIN32
    return {};
#else
    const char* named = std::getenv("BRENVIK_LOCK_DIR");
    return named ? named : "/run/lock";
#endif
}

// A lock this process holds; the file goes when the lock does (if it still
// holds this process's PID).
class CDeviceLock {
public:
    enum class Outcome {
        Taken,    // the lock is ours
        Held,     // a live owner holds it
        Unlocked, // the folder takes no file (missing, not writable): go on without a lock
    };
    // Takes the lock of the device at `devicePath` in `folder`, replacing a
    // stale one. `systemError` gets the reason of Unlocked.
    static Outcome Take(const std::string& folder, const std::string& devicePath, std::unique_ptr<CDeviceLock>& lock,
                        int& systemError);
    ~CDeviceLock();
    CDeviceLock(const CDeviceLock&) = delete;
    CDeviceLock& operator=(const CDeviceLock&) = delete;

private:
    explicit CDeviceLock(std::string path) : m_path(std::move(path)) {}
    std::string m_path;
};

} // namespace device_lock
