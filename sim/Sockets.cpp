#include "sim/Sockets.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace sim {

#ifdef _WIN32

bool StartSockets(std::string& error)
{
    static const int started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data);
    }();
    if (started != 0)
        error = "cannot start Winsock: " + SocketErrorText(started);
    return started == 0;
}

void CloseSocket(SocketHandle socket)
{
    ::closesocket(socket);
}

bool SetNonBlocking(SocketHandle socket)
{
    u_long on = 1;
    return ::ioctlsocket(socket, FIONBIO, &on) == 0;
}

int LastSocketError()
{
    return ::WSAGetLastError();
}

bool WouldBlock(int error)
{
    return error == WSAEWOULDBLOCK || error == WSAEINTR;
}

std::string SocketErrorText(int error)
{
    char text[256] = {};
    const DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                     static_cast<DWORD>(error), 0, text, sizeof text, nullptr);
    std::string words(text, n);
    while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == '.'))
        words.pop_back();
    return words.empty() ? "error " + std::to_string(error) : words;
}

int PollHandles(std::vector<pollfd>& waits, int timeoutMs)
{
    return ::WSAPoll(waits.data(), static_cast<ULONG>(waits.size()), timeoutMs) == SOCKET_ERROR ? -1 : 0;
}

#else

bool StartSockets(std::string&)
{
    return true;
}

void CloseSocket(SocketHandle socket)
{
    ::close(socket);
}

bool SetNonBlocking(SocketHandle socket)
{
    return ::fcntl(socket, F_SETFL, ::fcntl(socket, F_GETFL) | O_NONBLOCK) == 0
        && ::fcntl(socket, F_SETFD, FD_CLOEXEC) == 0;
}

int LastSocketError()
{
    return errno;
}

bool WouldBlock(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

std::string SocketErrorText(int error)
{
    return std::strerror(error);
}

int PollHandles(std::vector<pollfd>& waits, int timeoutMs)
{
    return ::poll(waits.data(), waits.size(), timeoutMs) < 0 ? -1 : 0;
}

#endif

}  // namespace sim
