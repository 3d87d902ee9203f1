#pragma once

#include "sim/LineFrame.h"
#include "sim/SimOptions.h"
#include "sim/SimServer.h"
#include "sim/Transport.h"

#include <functional>
#include <string>

namespace sim {

// The program's end on a new pseudo-terminal: it opens the slave, the
// server reads and writes the master. Raw on both sides, so that no byte
// is translated before the program has set its own mode.
//
// A descriptor of the slave stays open here, so the master sees no hang-up
// while the program has the port closed: it serves on when the program
// closes and reopens the port.
class PtyTransport : public Transport {
public:
    PtyTransport() = default;
    ~PtyTransport() override;
    PtyTransport(const PtyTransport&) = delete;
    PtyTransport& operator=(const PtyTransport&) = delete;

    // Creates the pseudo-terminal; false with `error` set when it cannot.
    bool Open(std::string& error);
    const std::string& SlavePath() const { return m_slavePath; }

    void AddWaits(std::vector<pollfd>& waits, bool sending) const override;
    int Take(std::span<const pollfd> ready, std::vector<std::uint8_t>& received) override;
    std::uint64_t Program() const override { return 0; }  // whoever opens the slave
    // Read through the master, which sees the settings the program made.
    bool LineMatches(const ExpectedLine& line) const override;
    int Write(std::span<const std::uint8_t> bytes, std::size_t& written) override;

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
};

// The transceiver model served on a new pseudo-terminal.
class PtyServer {
public:
    // `onFrame`, when given, hears of every frame received and sent.
    explicit PtyServer(const SimOptions& options, FrameCallback onFrame = {}) : m_server(options, std::move(onFrame)) {}

    bool Open(std::string& error) { return m_pty.Open(error); }
    const std::string& SlavePath() const { return m_pty.SlavePath(); }

    // Serves until `stopFd` becomes readable (or fails). Returns 0 or an errno value.
    int Serve(int stopFd) { return m_server.Serve(m_pty, stopFd); }

    bool BetweenTurns(const std::function<bool(bool holding)>& look) const { return m_server.BetweenTurns(look); }

private:
    SimServer m_server;
    PtyTransport m_pty;
};

}  // namespace sim
