#include "serial/DeviceLock.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace device_lock {
namespace {

// What a lock file says.
struct LockContent {
    bool readable = true;
    pid_t pid = 0; // 0: no PID in it
};

LockContent ReadLock(const std::string& path, bool& exists)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    exists = fd >= 0 || (errno != ENOENT && errno != ENOTDIR);
    if (fd < 0)
        return {false, 0};
    char text[32] = {};
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (n < 0)
        return {false, 0};
    // Blanks, digits, then at most a newline: anything else is no PID.
    const char* start = text;
    while (*start == ' ')
        ++start;
    char* end = nullptr;
    errno = 0;
    const long pid = std::strtol(start, &end, 10);
    const bool number = end != start && *start >= '0' && *start <= '9' && errno == 0 && pid > 0 && pid <= INT_MAX;
    const bool clean = end && (*end == '\0' || (*end == '\n' && end[1] == '\0'));
    return {true, number && clean ? static_cast<pid_t>(pid) : 0};
}

bool Running(pid_t pid)
{
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

std::string CommandName(pid_t pid)
{
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

// The owner of one lock file, when it is live.
std::optional<Owner> OwnerOf(const std::string& path)
{
    bool exists = false;
    const LockContent content = ReadLock(path, exists);
    if (!exists)
        return std::nullopt;
    if (!content.readable)
        return Owner {};
    if (content.pid == 0 || !Running(content.pid))
        return std::nullopt;
    return Owner {content.pid, CommandName(content.pid)};
}

// The device a path leads to (a by-id name, a link), or the path itself.
std::string DeviceOf(const std::string& devicePath)
{
    char resolved[PATH_MAX];
    return ::realpath(devicePath.c_str(), resolved) ? resolved : devicePath;
}

} // namespace

std::string LockPath(const std::string& folder, const std::string& devicePath)
{
    std::string name = devicePath.starts_with("/dev/") ? devicePath.substr(5) : devicePath;
    for (char& c : name) {
        if (c == '/')
            c = '_';
    }
    return folder + "/LCK.." + name;
}

std::optional<Owner> LiveOwner(const std::string& folder, const std::string& devicePath)
{
    const std::string device = DeviceOf(devicePath);
    if (auto owner = OwnerOf(LockPath(folder, device)))
        return owner;
    return device == devicePath ? std::nullopt : OwnerOf(LockPath(folder, devicePath));
}

CDeviceLock::Outcome CDeviceLock::Take(const std::string& folder, const std::string& devicePath,
                                       std::unique_ptr<CDeviceLock>& lock, int& systemError)
{
    const std::string path = LockPath(folder, DeviceOf(devicePath));
    char pidText[16];
    std::snprintf(pidText, sizeof pidText, "%10d\n", static_cast<int>(::getpid()));
    // Written whole under a name of this process's own, then linked in
    // place: the link fails while any lock is there, so no reader ever sees
    // a half-written file and two programs never both take the device.
    const std::string temporary = folder + "/LTMP." + std::to_string(::getpid());
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (LiveOwner(folder, devicePath))
            return Outcome::Held;
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd < 0) {
            systemError = errno;
            return Outcome::Unlocked;
        }
        const bool written = ::write(fd, pidText, 11) == 11;
        ::close(fd);
        const int linked = written ? ::link(temporary.c_str(), path.c_str()) : -1;
        const int error = written ? errno : EIO;
        ::unlink(temporary.c_str());
        if (linked == 0) {
            lock.reset(new CDeviceLock(path));
            return Outcome::Taken;
        }
        if (error != EEXIST) {
            systemError = error;
            return Outcome::Unlocked;
        }
        // A lock is there. A live owner's is honoured on the next round;
        // a stale one (its process gone, no PID in it) is removed.
        if (!OwnerOf(path))
            ::unlink(path.c_str());
    }
    return Outcome::Held; // another program keeps taking it meanwhile
}

CDeviceLock::~CDeviceLock()
{
    bool exists = false;
    if (ReadLock(m_path, exists).pid == ::getpid())
        ::unlink(m_path.c_str());
}

} // namespace device_lock
