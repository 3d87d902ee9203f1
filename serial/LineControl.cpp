#include "serial/LineControl.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <initializer_list>
#include <utility>

namespace serial_line {
namespace {

int Ioctl(int fd, unsigned long request, void* arg)
{
    return ::ioctl(fd, request, arg) == 0 ? 0 : errno;
}

tcflag_t SizeFlag(int byteSize)
{
    switch (byteSize) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    default: return CS8;
    }
}

int SizeFromFlag(tcflag_t cflag)
{
    switch (cflag & CSIZE) {
    case CS5: return 5;
    case CS6: return 6;
    case CS7: return 7;
    default: return 8;
    }
}

int ParityFromFlags(tcflag_t cflag)
{
    if (!(cflag & PARENB))
        return 0;
    const bool odd = cflag & PARODD;
    if (cflag & CMSPAR)
        return odd ? 3 : 4;  // mark : space
    return odd ? 1 : 2;      // odd : even
}

bool Valid(const LineParams& p)
{
    return p.baudRate > 0 && p.byteSize >= 5 && p.byteSize <= 8 && p.parity >= 0 && p.parity <= 4;
}

}  // namespace

int ReadLineParams(int fd, LineParams& params)
{
    termios2 t {};
    if (int err = Ioctl(fd, TCGETS2, &t))
        return err;
    params.baudRate = t.c_ospeed;
    params.byteSize = SizeFromFlag(t.c_cflag);
    params.parity = ParityFromFlags(t.c_cflag);
    params.twoStopBits = t.c_cflag & CSTOPB;
    params.rtsCtsFlow = t.c_cflag & CRTSCTS;
    params.xonXoffOut = t.c_iflag & IXON;
    params.xonXoffIn = t.c_iflag & IXOFF;
    return 0;
}

int WriteLineParams(int fd, const LineParams& params)
{
    if (!Valid(params))
        return EINVAL;
    termios2 t {};
    if (int err = Ioctl(fd, TCGETS2, &t))
        return err;

    t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT) | CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT) | SizeFlag(params.byteSize);
    t.c_ispeed = params.baudRate;
    t.c_ospeed = params.baudRate;
    if (params.parity != 0) {
        t.c_cflag |= PARENB;
        if (params.parity == 1 || params.parity == 3)
            t.c_cflag |= PARODD;
        if (params.parity >= 3)
            t.c_cflag |= CMSPAR;
    }
    if (params.twoStopBits)
        t.c_cflag |= CSTOPB;
    if (params.rtsCtsFlow)
        t.c_cflag |= CRTSCTS;

    // Parity errors are checked only while parity is on; a bad byte then
    // arrives as 0 and counts in the line-error counters.
    t.c_iflag &= ~(IXON | IXOFF | INPCK);
    if (params.xonXoffOut)
        t.c_iflag |= IXON;
    if (params.xonXoffIn)
        t.c_iflag |= IXOFF;
    if (params.parity != 0)
        t.c_iflag |= INPCK;
    return Ioctl(fd, TCSETS2, &t);
}

int MakeRaw(int fd)
{
    termios2 t {};
    if (int err = Ioctl(fd, TCGETS2, &t))
        return err;
    t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | INPCK);
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    t.c_cflag |= CS8 | CREAD | CLOCAL;
    // VMIN 1 makes an empty non-blocking read fail with EAGAIN, so a read of
    // 0 bytes can only mean the device hung up.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    return Ioctl(fd, TCSETS2, &t);
}

int FlushInput(int fd)
{
    return ::ioctl(fd, TCFLSH, TCIFLUSH) == 0 ? 0 : errno;
}

int FlushOutput(int fd)
{
    return ::ioctl(fd, TCFLSH, TCOFLUSH) == 0 ? 0 : errno;
}

int BytesWaiting(int fd, int& count)
{
    count = 0;
    return Ioctl(fd, FIONREAD, &count);
}

int BytesQueuedForOutput(int fd, int& count)
{
    count = 0;
    return Ioctl(fd, TIOCOUTQ, &count);
}

int SetModemLines(int fd, bool rts, bool dtr)
{
    int raise = (rts ? TIOCM_RTS : 0) | (dtr ? TIOCM_DTR : 0);
    int lower = (rts ? 0 : TIOCM_RTS) | (dtr ? 0 : TIOCM_DTR);
    for (auto [request, bits] : {std::pair {TIOCMBIS, &raise}, std::pair {TIOCMBIC, &lower}}) {
        if (*bits == 0)
            continue;
        int err = Ioctl(fd, request, bits);
        if (err == ENOTTY || err == EINVAL)
            return 0;
        if (err)
            return err;
    }
    return 0;
}

}  // namespace serial_line
