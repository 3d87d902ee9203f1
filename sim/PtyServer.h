#pragma once

#include "bus/TransceiverModel.h"
#include "sim/BytePacer.h"
#include "sim/LineFrame.h"
#include "sim/SimOptions.h"

#include <functional>
#include <mutex>
#include <string>

namespace sim {

// Serves the transceiver model on a new pseudo-terminal. The program opens
// the slave; the server reads what it writes from the master, feeds the
// model and sends the answers back paced at bus speed.
//
// The server keeps a descriptor of the slave open itself, so the master sees
// no hang-up while the program has the port closed: it serves on when the
// program closes and reopens the port.
class PtyServer {
public:
    // `onFrame`, when given, hears of every frame received and sent.
    explicit PtyServer(const SimOptions& options, FrameCallback onFrame = {});
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Creates the pseudo-terminal; false with `error` set when it cannot.
    bool Open(std::string& error);
    const std::string& SlavePath() const { return m_slavePath; }

    // Serves until `stopFd` becomes readable (or fails). Returns 0 or an errno value.
    int Serve(int stopFd);

    // Runs `look` on the caller's thread between two turns of serving, when
    // all the server has read is answered; `holding` tells that answers
    // still wait for their time to go out. For watchers of the server.
    bool BetweenTurns(const std::function<bool(bool holding)>& look) const;

private:
    void Answer(std::span<const std::uint8_t> received);
    int Transmit();

    CTransceiverModel m_model;
    ExpectedLine m_line;
    BytePacer m_pacer;
    // Held by the serving thread from a poll's return to the next poll.
    mutable std::mutex m_turn;
    FrameCallback m_onFrame;
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
};

}  // namespace sim
