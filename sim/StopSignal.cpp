#include "sim/StopSignal.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace sim {

StopSignal::~StopSignal()
{
    if (m_read != kNoSocket)
        CloseSocket(m_read);
    if (m_write != kNoSocket)
        CloseSocket(m_write);
}

#ifdef _WIN32

bool StopSignal::Open(std::string& error)
{
    if (!StartSockets(error))
        return false;
    const SocketHandle listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in loopback {};
    loopback.sin_family = AF_INET;
    loopback.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof loopback;
    bool made = listener != kNoSocket && ::bind(listener, reinterpret_cast<sockaddr*>(&loopback), size) == 0
        && ::listen(listener, 1) == 0 && ::getsockname(listener, reinterpret_cast<sockaddr*>(&loopback), &size) == 0;
    if (made) {
        m_write = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        made = m_write != kNoSocket && ::connect(m_write, reinterpret_cast<sockaddr*>(&loopback), size) == 0;
    }
    if (made) {
        m_read = ::accept(listener, nullptr, nullptr);
        made = m_read != kNoSocket;
    }
    if (!made)
        error = "cannot make the stop signal: " + SocketErrorText(LastSocketError());
    if (listener != kNoSocket)
        CloseSocket(listener);
    return made;
}

void StopSignal::Raise() const
{
    const char byte = 0;
    ::send(m_write, &byte, 1, 0);
}

#else

bool StopSignal::Open(std::string& error)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = std::string("cannot make the stop signal: ") + std::strerror(errno);
        return false;
    }
    m_read = ends[0];
    m_write = ends[1];
    return true;
}

void StopSignal::Raise() const
{
    const char byte = 0;
    [[maybe_unused]] ssize_t ignored = ::write(m_write, &byte, 1);
}

#endif

}  // namespace sim
