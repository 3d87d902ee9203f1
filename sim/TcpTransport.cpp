#include "sim/TcpTransport.h"

#include <memory>

namespace sim {
namespace {

constexpr char kBusyLine[] = "brenvik-sim: busy: another program is connected\r\n";

// The address a socket is bound to, as a URL's host and port.
std::string UrlOf(net::Socket socket)
{
    sockaddr_storage bound {};
    socklen_t size = sizeof bound;
    char host[NI_MAXHOST] = {};
    char port[NI_MAXSERV] = {};
    if (::getsockname(socket, reinterpret_cast<sockaddr*>(&bound), &size) != 0
        || ::getnameinfo(reinterpret_cast<sockaddr*>(&bound), size, host, sizeof host, port, sizeof port,
                         NI_NUMERICHOST | NI_NUMERICSERV)
            != 0)
        return {};
    const std::string name = bound.ss_family == AF_INET6 ? "[" + std::string(host) + "]" : host;
    return "tcp://" + name + ":" + port;
}

}  // namespace

TcpTransport::~TcpTransport()
{
    Drop();
    if (m_listener != net::kNoSocket)
        net::Close(m_listener);
}

bool TcpTransport::Listen(const ListenAddress& address, std::string& error)
{
    if (int err = 0; !net::Start(err)) {
        error = "cannot start Winsock: " + net::ErrorText(err);
        return false;
    }
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string where = address.host + ":" + std::to_string(address.port);
    if (const int err = ::getaddrinfo(address.host.c_str(), std::to_string(address.port).c_str(), &hints, &found)) {
        error = "cannot listen on " + where + ": " + ::gai_strerror(err);
        return false;
    }
    std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> addresses(found, &::freeaddrinfo);
    int err = 0;
    const net::Socket listener = net::OpenStream(*found, err);
    if (listener == net::kNoSocket) {
        error = "cannot listen on " + where + ": " + net::ErrorText(err);
        return false;
    }
#ifndef _WIN32
    // A port of a run just ended is free again at once (on Windows this would let others take it too).
    const int on = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
#endif
    if (::bind(listener, found->ai_addr, static_cast<socklen_t>(found->ai_addrlen)) != 0 || ::listen(listener, 4) != 0) {
        error = "cannot listen on " + where + ": " + net::ErrorText(net::LastError());
        net::Close(listener);
        return false;
    }
    m_listener = listener;
    m_url = UrlOf(listener);
    return true;
}

void TcpTransport::AddWaits(std::vector<pollfd>& waits, bool sending) const
{
    waits.push_back({m_listener, POLLIN, 0});
    if (Connected())
        waits.push_back({m_client, static_cast<short>(POLLIN | (sending ? POLLOUT : 0)), 0});
}

int TcpTransport::Take(std::span<const pollfd> ready, std::vector<std::uint8_t>& received)
{
    // The client first: the waits were made for the one there before any new one.
    if (ready.size() > 1 && (ready[1].revents & (POLLIN | POLLHUP | POLLERR)))
        Read(received, false);
    if (ready[0].revents & POLLIN)
        Accept(received);
    return 0;
}

void TcpTransport::Read(std::vector<std::uint8_t>& received, bool untilEmpty)
{
    char buffer[4096];
    do {
        const long n = net::Receive(m_client, buffer, sizeof buffer);
        if (n > 0) {
            received.insert(received.end(), buffer, buffer + n);
        } else {
            if (n == 0 || !net::WouldBlock(net::LastError()))
                Drop();
            return;
        }
    } while (untilEmpty);
}

void TcpTransport::Accept(std::vector<std::uint8_t>& received)
{
    const net::Socket client = ::accept(m_listener, nullptr, nullptr);
    if (client == net::kNoSocket)
        return;  // gone before it was taken: nothing to serve
    // A client that closed just before this one came may not have been
    // reported yet (Wine's WSAPoll was seen to tell of the newcomer first):
    // the end of its stream decides, not the order of the news.
    if (Connected())
        Read(received, true);
    if (Connected()) {
        net::Send(client, kBusyLine, sizeof kBusyLine - 1);
        net::Close(client);
        return;
    }
    // Answers go out paced byte by byte: each as it is due, not gathered.
    net::SendAtOnce(client);
    net::SetNonBlocking(client);
    m_client = client;
    ++m_accepted;
}

void TcpTransport::Drop()
{
    if (m_client != net::kNoSocket)
        net::Close(m_client);
    m_client = net::kNoSocket;
}

int TcpTransport::Write(std::span<const std::uint8_t> bytes, std::size_t& written)
{
    written = 0;
    if (!Connected())
        return 0;
    const long n = net::Send(m_client, bytes.data(), bytes.size());
    if (n >= 0)
        written = static_cast<std::size_t>(n);
    else if (!net::WouldBlock(net::LastError()))
        Drop();  // the client went away: its answers with it
    return 0;
}

}  // namespace sim
