#include "sim/PtyServer.h"

#include "serial/LineControl.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace sim {
namespace {

void MakeRaw(int fd)
{
    termios raw {};
    if (::tcgetattr(fd, &raw) == 0) {
        ::cfmakeraw(&raw);
        ::tcsetattr(fd, TCSANOW, &raw);
    }
}

}  // namespace

PtyTransport::~PtyTransport()
{
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
}

bool PtyTransport::Open(std::string& error)
{
    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    // Only its owner may use it: anyone else could put traffic on the bus.
    MakeRaw(m_slave);
    ::fchmod(m_slave, 0600);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    m_slavePath = name;
    return true;
}

void PtyTransport::AddWaits(std::vector<pollfd>& waits, bool sending) const
{
    waits.push_back({m_master, static_cast<short>(POLLIN | (sending ? POLLOUT : 0)), 0});
}

int PtyTransport::Take(std::span<const pollfd> ready, std::vector<std::uint8_t>& received)
{
    if (!(ready[0].revents & POLLIN))
        return 0;
    std::uint8_t buffer[4096];
    const ssize_t n = ::read(m_master, buffer, sizeof buffer);
    if (n > 0)
        received.insert(received.end(), buffer, buffer + n);
    else if (n < 0 && errno != EAGAIN && errno != EINTR)
        return errno;
    return 0;
}

bool PtyTransport::LineMatches(const ExpectedLine& line) const
{
    if (!line.baud && !line.rtsCts)
        return true;
    serial_line::LineParams set;
    if (serial_line::ReadLineParams(m_master, set) != 0)
        return false;
    return (!line.baud || set.baudRate == *line.baud) && (!line.rtsCts || set.rtsCtsFlow == *line.rtsCts);
}

int PtyTransport::Write(std::span<const std::uint8_t> bytes, std::size_t& written)
{
    written = 0;
    const ssize_t n = ::write(m_master, bytes.data(), bytes.size());
    if (n < 0)
        return (errno == EAGAIN || errno == EINTR) ? 0 : errno;
    written = static_cast<std::size_t>(n);
    return 0;
}

}  // namespace sim
