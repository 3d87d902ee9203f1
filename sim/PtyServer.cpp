#include "sim/PtyServer.h"


#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

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

PtyServer::PtyServer(const SimOptions& options, FrameCallback onFrame)
    : m_model(options.settings, options.seed),
      m_line(options.line),
      m_pacer(options.fast ? std::chrono::nanoseconds(0) : bus::ByteTime(options.line.baud.value_or(bus::kBusBaudRate))),
      m_onFrame(std::move(onFrame))
{
    m_model.Faults() = options.faults;
    if (options.levels)
        m_model.SetLevels(*options.levels);
}

PtyServer::~PtyServer()
{
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
}

bool PtyServer::Open(std::string& error)
{
    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    // Raw on both sides, so that no byte is translated before the program
    // has set its own mode. Only its owner may use it: anyone else could
    // put traffic on the bus.
    MakeRaw(m_slave);
    ::fchmod(m_slave, 0600);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    m_slavePath = name;
    return true;
}

void PtyServer::Answer(std::span<const std::uint8_t> received)
{
    // On a wrong line a real interface hears only garbage. The line is
    // looked at before the frame is reported, so whoever hears of the frame
    // knows the line it was taken on.
    const bool rightLine = LineMatches(m_master, m_line);
    if (m_onFrame)
        ReportFrames(LineFrame::Way::FromProgram, received, m_onFrame);
    if (!rightLine)
        return;
    const std::vector<std::uint8_t> answer = m_model.Feed(received);
    if (!answer.empty())
        m_pacer.Push(answer, BytePacer::Clock::now());
}

int PtyServer::Transmit()
{
    const std::size_t due = m_pacer.DueCount(BytePacer::Clock::now());
    if (due == 0)
        return 0;
    // At most a pipe's worth per write keeps the copy small for big floods.
    std::vector<std::uint8_t> chunk(m_pacer.Held().begin(),
                                    m_pacer.Held().begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(due, 65536)));
    const ssize_t n = ::write(m_master, chunk.data(), chunk.size());
    if (n < 0)
        return (errno == EAGAIN || errno == EINTR) ? 0 : errno;
    if (m_onFrame)
        ReportFrames(LineFrame::Way::ToProgram, std::span(chunk).first(static_cast<std::size_t>(n)), m_onFrame);
    m_pacer.Release(static_cast<std::size_t>(n));
    return 0;
}

int PtyServer::Serve(int stopFd)
{
    std::vector<std::uint8_t> buffer(4096);
    for (;;) {
        const auto now = BytePacer::Clock::now();
        const bool due = m_pacer.DueCount(now) > 0;
        pollfd waits[2] = {
            {stopFd, POLLIN, 0},
            {m_master, static_cast<short>(POLLIN | (due ? POLLOUT : 0)), 0},
        };
        const int timeout = due ? -1 : m_pacer.MsUntilNext(now);
        if (::poll(waits, 2, timeout) < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (waits[0].revents)
            return 0;
        std::lock_guard turn(m_turn);
        if (waits[1].revents & POLLIN) {
            const ssize_t n = ::read(m_master, buffer.data(), buffer.size());
            if (n > 0)
                Answer(std::span(buffer).first(static_cast<std::size_t>(n)));
            else if (n < 0 && errno != EAGAIN && errno != EINTR)
                return errno;
        }
        if (int err = Transmit())
            return err;
    }
}

bool PtyServer::BetweenTurns(const std::function<bool(bool holding)>& look) const
{
    std::lock_guard turn(m_turn);
    return look(!m_pacer.Held().empty());
}

}  // namespace sim
