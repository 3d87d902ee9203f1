#include "serial/Sockets.h"

#include "serial/ErrnoMap.h"

#include <fcntl.h>
#include <netinet/tcp.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace net {

const int kConnectionReset = ECONNRESET;
const int kTimedOut = ETIMEDOUT;
const int kBusy = EBUSY;
const int kInvalidArgument = EINVAL;
const int kHostUnreachable = EHOSTUNREACH;
const int kProtocolError = EPROTO;

bool Start(int& /*error*/)
{
    return true;
}

Socket OpenStream(const addrinfo& candidate, int& error)
{
    const Socket socket
        = ::socket(candidate.ai_family, candidate.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, candidate.ai_protocol);
    if (socket < 0)
        error = errno;
    return socket;
}

void Close(Socket socket)
{
    ::close(socket);
}

bool SetNonBlocking(Socket socket)
{
    return ::fcntl(socket, F_SETFL, ::fcntl(socket, F_GETFL) | O_NONBLOCK) == 0
        && ::fcntl(socket, F_SETFD, FD_CLOEXEC) == 0;
}

void SendAtOnce(Socket socket)
{
    const int on = 1;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

void AcknowledgeAtOnce(Socket socket)
{
    // Linux turns quick acknowledgement off again by itself: set it each time.
    const int on = 1;
    ::setsockopt(socket, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
}

int LastError()
{
    return errno;
}

bool WouldBlock(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

bool ConnectInProgress(int error)
{
    return error == EINPROGRESS;
}

int AwaitConnection(Socket socket, int timeoutMs)
{
    pollfd entry {socket, POLLOUT, 0};
    const int ready = Poll(&entry, 1, timeoutMs);
    if (ready <= 0)
        return ready == 0 ? ETIMEDOUT : errno;
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
        return errno;
    return error;
}

int ResolutionError(int status)
{
    return status == EAI_SYSTEM ? errno : 0;
}

std::string ErrorText(int error)
{
    return std::strerror(error);
}

std::error_code ErrorCodeOf(int error)
{
    return error ? std::error_code(error, std::generic_category()) : std::error_code();
}

win32::LONG ResultOf(int error)
{
    return Win32FromErrno(error);
}

int Poll(pollfd* waits, std::size_t count, int timeoutMs)
{
    int ready;
    do {
        ready = ::poll(waits, count, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready;
}

long Send(Socket socket, const void* data, std::size_t size)
{
    long sent;
    do {
        sent = ::send(socket, data, size, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent;
}

long Receive(Socket socket, void* data, std::size_t size, bool peek)
{
    long got;
    do {
        got = ::recv(socket, data, size, peek ? MSG_PEEK : 0);
    } while (got < 0 && errno == EINTR);
    return got;
}

int BytesWaiting(Socket socket)
{
    int count = 0;
    return ::ioctl(socket, FIONREAD, &count) == 0 ? count : 0;
}

std::unique_ptr<CWakeSignal> CWakeSignal::Create(int& error)
{
    const int handle = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (handle < 0) {
        error = errno;
        return nullptr;
    }
    return std::unique_ptr<CWakeSignal>(new CWakeSignal(handle));
}

CWakeSignal::~CWakeSignal()
{
    ::close(m_handle);
}

void CWakeSignal::Signal()
{
    const std::uint64_t one = 1;
    // A full counter (never in practice) still leaves the waiters woken.
    [[maybe_unused]] ssize_t ignored = ::write(m_handle, &one, sizeof one);
}

void CWakeSignal::Drain()
{
    std::uint64_t count;
    [[maybe_unused]] ssize_t ignored = ::read(m_handle, &count, sizeof count);
}

}  // namespace net
