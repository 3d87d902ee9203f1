#pragma once

#include "bus/TransceiverModel.h"
#include "sim/BytePacer.h"
#include "sim/LineFrame.h"
#include "sim/SimOptions.h"
#include "serial/Sockets.h"
#include "sim/Transport.h"

#include <functional>
#include <mutex>
#include <span>

namespace sim {

// The transceiver model served to a program through a transport: what the
// program writes feeds the model, the answers go back paced at bus speed.
// The model keeps its state while the program is away (a closed port, a
// client gone), so a program that comes back finds its last settings.
class SimServer {
public:
    // `onFrame`, when given, hears of every frame received and sent.
    explicit SimServer(const SimOptions& options, FrameCallback onFrame = {});

    // Serves through `transport` until `stop` becomes readable (or fails).
    // Returns 0 or the system's error code.
    int Serve(Transport& transport, net::Socket stop);

    // Runs `look` on the caller's thread between two turns of serving, when
    // all the server has read is answered; `holding` tells that answers
    // still wait for their time to go out. For watchers of the server.
    bool BetweenTurns(const std::function<bool(bool holding)>& look) const;

private:
    void Answer(std::span<const std::uint8_t> received, bool rightLine);
    int Transmit(Transport& transport);

    CTransceiverModel m_model;
    ExpectedLine m_line;
    BytePacer m_pacer;
    // Held by the serving thread from a wait's return to the next wait.
    mutable std::mutex m_turn;
    FrameCallback m_onFrame;
};

}  // namespace sim
