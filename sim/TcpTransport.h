#pragma once

#include "sim/SimOptions.h"
#include "serial/Sockets.h"
#include "sim/Transport.h"

#include <string>

namespace sim {

// The program's end as a TCP client, raw bytes both ways, as a network
// interface is reached at tcp://HOST:PORT. One client at a time: a second
// is told so in one line and closed. There is no line to set, so every
// client is on the right one.
class TcpTransport : public Transport {
public:
    TcpTransport() = default;
    ~TcpTransport() override;
    TcpTransport(const TcpTransport&) = delete;
    TcpTransport& operator=(const TcpTransport&) = delete;

    // Listens on `address` (port 0: one the system picks); false with `error` set when it cannot.
    bool Listen(const ListenAddress& address, std::string& error);
    // Where clients reach it, "tcp://127.0.0.1:5331" ("tcp://[::1]:5331").
    const std::string& Url() const { return m_url; }

    void AddWaits(std::vector<pollfd>& waits, bool sending) const override;
    int Take(std::span<const pollfd> ready, std::vector<std::uint8_t>& received) override;
    std::uint64_t Program() const override { return m_accepted; }
    bool LineMatches(const ExpectedLine&) const override { return true; }
    int Write(std::span<const std::uint8_t> bytes, std::size_t& written) override;

private:
    bool Connected() const { return m_client != net::kNoSocket; }
    // Reads what the client sent into `received`, once or `untilEmpty`; a client that closed is let go.
    void Read(std::vector<std::uint8_t>& received, bool untilEmpty);
    void Accept(std::vector<std::uint8_t>& received);
    void Drop();

    net::Socket m_listener = net::kNoSocket;
    net::Socket m_client = net::kNoSocket;
    std::uint64_t m_accepted = 0;  // clients taken so far
    std::string m_url;
};

}  // namespace sim
