#include "serial/PortDevice.h"

#include "serial/ErrnoMap.h"
#include "serial/PortNames.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

namespace serial_device {

LONG OpenExclusive(const char* portName, bool excludeOthers, int& fd)
{
    fd = -1;
    const std::optional<std::string> path = ResolvePortName(portName ? portName : "");
    if (!path || path->empty())
        return ERROR_FILE_NOT_FOUND;

    int opened;
    do {
        opened = ::open(path->c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (opened < 0 && errno == EINTR);
    if (opened < 0)
        return Win32FromErrno(errno);

    // The lock comes first: TIOCEXCL must never be set (and later cleared) on
    // a device that someone else holds.
    if (::flock(opened, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(opened);
        return Win32FromErrno(error);
    }
    if (excludeOthers && ::ioctl(opened, TIOCEXCL) != 0 && errno != ENOTTY && errno != EINVAL) {
        const int error = errno;
        ::close(opened);
        return Win32FromErrno(error);
    }
    fd = opened;
    return ERROR_SUCCESS;
}

void Release(int fd, bool excludeOthers)
{
    if (fd < 0)
        return;
    if (excludeOthers)
        ::ioctl(fd, TIOCNXCL);
    ::close(fd);
}

}  // namespace serial_device
