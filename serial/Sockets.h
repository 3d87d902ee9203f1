#pragma once

// The few socket calls the network line and the simulator make, one file per
// system behind this header: BSD sockets (SocketsPosix.cpp) and Winsock 2
// (SocketsWin32.cpp). Errors are the system's numbers: errno values on
// POSIX, Winsock's (which are Win32 error codes) on Windows.
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#endif

#include "serial/SerialTypes.h"

#include <cstddef>
#include <memory>
#include <string>
#include <system_error>

namespace net {

#ifdef _WIN32
using Socket = SOCKET;
inline constexpr Socket kNoSocket = INVALID_SOCKET;
// Winsock reports a stream its peer ended as POLLHUP (Poll asks for
// nothing Winsock cannot be asked for).
inline constexpr short kPollPeerClosed = POLLHUP;
#else
// A descriptor: on POSIX the layer's Poll waits on devices as well.
using Socket = int;
inline constexpr Socket kNoSocket = -1;
inline constexpr short kPollPeerClosed = POLLRDHUP;
#endif

// The errors the callers tell apart, as this system numbers them.
extern const int kConnectionReset;
extern const int kTimedOut;
extern const int kBusy;
extern const int kInvalidArgument;
extern const int kHostUnreachable;
extern const int kProtocolError;  // the peer does not speak the protocol asked for

// Winsock wants starting once per process; false with `error` set when it cannot.
bool Start(int& error);
// A stream socket for `candidate`, non-blocking and kept from child
// processes, or kNoSocket with `error` set.
Socket OpenStream(const addrinfo& candidate, int& error);
void Close(Socket socket);
bool SetNonBlocking(Socket socket);
// Bus messages are small and each one waits for its echo: no batching.
void SendAtOnce(Socket socket);
// Acknowledges received bytes without the usual delay (a server that
// batches its writes waits for it); nothing where the system has no such
// choice.
void AcknowledgeAtOnce(Socket socket);

// The last socket call's error.
int LastError();
// Whether an error only means "not now": try again.
bool WouldBlock(int error);
// Whether a non-blocking connect's error means it goes on in the background.
bool ConnectInProgress(int error);
// Waits up to timeoutMs (-1: no limit) for a connect that went on in the
// background: 0, its error, or kTimedOut.
int AwaitConnection(Socket socket, int timeoutMs);
// The system's reason for a failed getaddrinfo (0 where its status says it all).
int ResolutionError(int status);
std::string ErrorText(int error);
// An error as the serial line keeps its reasons (SerialLine.h).
std::error_code ErrorCodeOf(int error);
// The serial layer's Win32 code for a socket error (or for any error the
// system gives: an errno value on POSIX, a Win32 code on Windows).
win32::LONG ResultOf(int error);

// Like poll(), retrying when a signal interrupts it; -1 with LastError() set.
int Poll(pollfd* waits, std::size_t count, int timeoutMs);
// Like send() and recv(); a send never raises a signal. -1 with LastError() set.
long Send(Socket socket, const void* data, std::size_t size);
// With `peek` the bytes received stay queued.
long Receive(Socket socket, void* data, std::size_t size, bool peek = false);
// Bytes received and not yet read (0 where it cannot be told).
int BytesWaiting(Socket socket);

// Something a Poll waits on beside the sockets, that any thread can signal
// to end that wait: an eventfd on Linux, a datagram socket that sends to
// itself on Windows (Winsock polls sockets only).
class CWakeSignal {
public:
    // A new signal, or nullptr with `error` set.
    static std::unique_ptr<CWakeSignal> Create(int& error);
    ~CWakeSignal();
    CWakeSignal(const CWakeSignal&) = delete;
    CWakeSignal& operator=(const CWakeSignal&) = delete;

    Socket Handle() const { return m_handle; }
    // Makes Handle() readable until Drain.
    void Signal();
    void Drain();

private:
    explicit CWakeSignal(Socket handle) : m_handle(handle) {}
    const Socket m_handle;
};

}  // namespace net
