#include "serial/PortDevice.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

namespace serial_device {

int OpenExclusive(const std::string& path, bool excludeOthers, int& fd)
{
    fd = -1;
    if (path.empty())
        return ENOENT;

    int opened;
    do {
        opened = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (opened < 0 && errno == EINTR);
    if (opened < 0)
        return errno;

    // The lock comes first: TIOCEXCL must never be set (and later cleared) on
    // a device that someone else holds.
    if (::flock(opened, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(opened);
        return error;
    }
    if (excludeOthers && ::ioctl(opened, TIOCEXCL) != 0 && errno != ENOTTY && errno != EINVAL) {
        const int error = errno;
        ::close(opened);
        return error;
    }
    fd = opened;
    return 0;
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
