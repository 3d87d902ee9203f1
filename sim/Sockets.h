#pragma once

// The few socket calls the simulator makes, the same on POSIX and Winsock 2.
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#endif

#include <string>
#include <vector>

namespace sim {

#ifdef _WIN32
using SocketHandle = SOCKET;
inline constexpr SocketHandle kNoSocket = INVALID_SOCKET;
#else
using SocketHandle = int;
inline constexpr SocketHandle kNoSocket = -1;
#endif

// Winsock wants starting once per process; false with `error` set when it cannot.
bool StartSockets(std::string& error);
void CloseSocket(SocketHandle socket);
bool SetNonBlocking(SocketHandle socket);

// The last socket call's error code (errno, or WSAGetLastError on Windows),
// whether it only means "not now", and a code of either kind in words.
int LastSocketError();
bool WouldBlock(int error);
std::string SocketErrorText(int error);

// Waits on the handles like poll(); -1 with LastSocketError() set on failure.
int PollHandles(std::vector<pollfd>& waits, int timeoutMs);

}  // namespace sim
