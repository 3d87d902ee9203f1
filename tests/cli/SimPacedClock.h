#pragma once

#include "cli/SessionClock.h"

#include "tests/support/SimOnPty.h"

// A session clock for the command line against the simulator. Time stands
// still while bytes are on their way; once the simulator has answered all
// the program sent and the program has read every answer, nothing can come
// until the program writes again, and a wait jumps to its end. A scan's
// schedule and a reply window then take the bytes' time, not the wall's.
// One clock serves one session: it counts the traffic from its making on.
class SimPacedClock final : public cli::ISessionClock {
public:
    explicit SimPacedClock(const SimOnPty& sim)
        : m_sim(sim), m_sentBefore(sim.BytesFromProgram()), m_receivedBefore(sim.BytesToProgram())
    {
    }

    Clock::time_point Now() const override { return m_now; }
    void Wait(std::chrono::milliseconds slice, const cli::LineTraffic& traffic, const PortWait& waitOnPort) override
    {
        if (m_sim.Settled(m_sentBefore + traffic.sent, m_receivedBefore + traffic.received))
            m_now += slice;
        else // the port wakes the wait when bytes come; what the simulator swallows is looked at again soon
            waitOnPort(std::min(slice, kLookAgain));
    }

private:
    static constexpr std::chrono::milliseconds kLookAgain {5};
    const SimOnPty& m_sim;
    const std::uint64_t m_sentBefore;
    const std::uint64_t m_receivedBefore;
    Clock::time_point m_now = Clock::now();
};
