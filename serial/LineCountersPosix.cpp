#include "serial/LineCounters.h"

#include <linux/serial.h>
#include <sys/ioctl.h>

#include <cerrno>

int ReadDriverLineCounters(int fd, LineCounters& counters)
{
    serial_icounter_struct icount {};
    if (::ioctl(fd, TIOCGICOUNT, &icount) != 0)
        return errno;
    counters.frame = icount.frame;
    counters.parity = icount.parity;
    counters.overrun = static_cast<long>(icount.overrun) + icount.buf_overrun;
    counters.brk = icount.brk;
    return 0;
}
