#include "serial/Sockets.h"

using namespace win32;

namespace net {

const int kConnectionReset = WSAECONNRESET;
const int kTimedOut = WSAETIMEDOUT;
const int kBusy = ERROR_BUSY;
const int kInvalidArgument = WSAEINVAL;
const int kHostUnreachable = WSAEHOSTUNREACH;
const int kProtocolError = WSAEPROTONOSUPPORT;

bool Start(int& error)
{
    static const int started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data);
    }();
    error = started;
    return started == 0;
}

Socket OpenStream(const addrinfo& candidate, int& error)
{
    // WSASocket's sockets are not inherited by child processes.
    Socket socket = ::WSASocketW(candidate.ai_family, candidate.ai_socktype, candidate.ai_protocol, nullptr, 0,
                                 WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
    if (socket == INVALID_SOCKET || !SetNonBlocking(socket)) {
        error = ::WSAGetLastError();
        if (socket != INVALID_SOCKET)
            ::closesocket(socket);
        return INVALID_SOCKET;
    }
    return socket;
}

void Close(Socket socket)
{
    ::closesocket(socket);
}

bool SetNonBlocking(Socket socket)
{
    u_long on = 1;
    return ::ioctlsocket(socket, FIONBIO, &on) == 0;
}

void SendAtOnce(Socket socket)
{
    const BOOL on = TRUE;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
}

void AcknowledgeAtOnce(Socket /*socket*/) {}

int LastError()
{
    return ::WSAGetLastError();
}

bool WouldBlock(int error)
{
    return error == WSAEWOULDBLOCK || error == WSAEINTR;
}

bool ConnectInProgress(int error)
{
    return error == WSAEWOULDBLOCK;
}

int AwaitConnection(Socket socket, int timeoutMs)
{
    // select, not WSAPoll: WSAPoll does not report a refused connection on
    // every Windows version. A failed one shows in the exceptions.
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(socket, &writable);
    FD_SET(socket, &failed);
    timeval limit {timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    const int ready = ::select(0, nullptr, &writable, &failed, timeoutMs < 0 ? nullptr : &limit);
    if (ready == SOCKET_ERROR)
        return ::WSAGetLastError();
    if (ready == 0)
        return WSAETIMEDOUT;
    int error = 0;
    int length = sizeof error;
    if (::getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0)
        return ::WSAGetLastError();
    return error;
}

int ResolutionError(int /*status*/)
{
    return 0;
}

std::string ErrorText(int error)
{
    char text[256] = {};
    const DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                     static_cast<DWORD>(error), 0, text, sizeof text, nullptr);
    std::string words(text, n);
    while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == '.'))
        words.pop_back();
    return words.empty() ? "error " + std::to_string(error) : words;
}

std::error_code ErrorCodeOf(int error)
{
    return error ? std::error_code(error, std::system_category()) : std::error_code();
}

win32::LONG ResultOf(int error)
{
    switch (error) {
    case 0: return ERROR_SUCCESS;
    case WSAECONNREFUSED:
    case WSAEHOSTUNREACH:
    case WSAENETUNREACH:
    case WSAEHOSTDOWN:
    case WSAEADDRNOTAVAIL:
    case WSAHOST_NOT_FOUND:
    case WSANO_DATA: return ERROR_FILE_NOT_FOUND;
    case WSAETIMEDOUT: return ERROR_TIMEOUT;
    case WSAEACCES: return ERROR_ACCESS_DENIED;
    case WSAEINVAL:
    case WSAEAFNOSUPPORT: return ERROR_INVALID_PARAMETER;
    case WSAENOBUFS:
    case WSA_NOT_ENOUGH_MEMORY: return ERROR_NOT_ENOUGH_MEMORY;
    case WSAEMFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case WSAENOTSOCK: return ERROR_INVALID_HANDLE;
    case WSAEOPNOTSUPP: return ERROR_NOT_SUPPORTED;
    default:
        // A Win32 code of the system's own (a COM port's) is the result as it
        // is; other Winsock errors are a lost connection or worse.
        return error < WSABASEERR ? error : ERROR_GEN_FAILURE;
    }
}

int Poll(pollfd* waits, std::size_t count, int timeoutMs)
{
    // Winsock refuses a wait for anything but reading and writing.
    for (std::size_t i = 0; i < count; ++i)
        waits[i].events &= POLLIN | POLLOUT;
    const int ready = ::WSAPoll(waits, static_cast<ULONG>(count), timeoutMs);
    return ready == SOCKET_ERROR ? -1 : ready;
}

long Send(Socket socket, const void* data, std::size_t size)
{
    const int sent = ::send(socket, static_cast<const char*>(data), static_cast<int>(size), 0);
    return sent == SOCKET_ERROR ? -1 : sent;
}

long Receive(Socket socket, void* data, std::size_t size, bool peek)
{
    const int got = ::recv(socket, static_cast<char*>(data), static_cast<int>(size), peek ? MSG_PEEK : 0);
    return got == SOCKET_ERROR ? -1 : got;
}

int BytesWaiting(Socket socket)
{
    u_long count = 0;
    return ::ioctlsocket(socket, FIONREAD, &count) == 0 ? static_cast<int>(count) : 0;
}

std::unique_ptr<CWakeSignal> CWakeSignal::Create(int& error)
{
    if (!Start(error))
        return nullptr;
    // A datagram socket on the loopback, connected to itself: a byte sent
    // makes it readable.
    const Socket handle = ::WSASocketW(AF_INET, SOCK_DGRAM, IPPROTO_UDP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (handle == INVALID_SOCKET) {
        error = ::WSAGetLastError();
        return nullptr;
    }
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (::bind(handle, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0
        || ::getsockname(handle, reinterpret_cast<sockaddr*>(&address), &length) != 0
        || ::connect(handle, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0
        || !SetNonBlocking(handle)) {
        error = ::WSAGetLastError();
        ::closesocket(handle);
        return nullptr;
    }
    return std::unique_ptr<CWakeSignal>(new CWakeSignal(handle));
}

CWakeSignal::~CWakeSignal()
{
    ::closesocket(m_handle);
}

void CWakeSignal::Signal()
{
    const char one = 1;
    // A full queue still leaves the waiters woken.
    ::send(m_handle, &one, 1, 0);
}

void CWakeSignal::Drain()
{
    char bytes[64];
    while (::recv(m_handle, bytes, sizeof bytes, 0) > 0) {
    }
}

}  // namespace net
