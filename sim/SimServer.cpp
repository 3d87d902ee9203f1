#include "sim/SimServer.h"

#include <algorithm>
#include <vector>

namespace sim {

SimServer::SimServer(const SimOptions& options, FrameCallback onFrame)
    : m_model(options.settings, options.seed),
      m_line(options.line),
      m_pacer(options.fast ? std::chrono::nanoseconds(0) : bus::ByteTime(options.line.baud.value_or(bus::kBusBaudRate))),
      m_onFrame(std::move(onFrame))
{
    m_model.Faults() = options.faults;
    if (options.levels)
        m_model.SetLevels(*options.levels);
}

void SimServer::Answer(std::span<const std::uint8_t> received, bool rightLine)
{
    if (m_onFrame)
        ReportFrames(LineFrame::Way::FromProgram, received, m_onFrame);
    // On a wrong line a real interface hears only garbage.
    if (!rightLine)
        return;
    const std::vector<std::uint8_t> answer = m_model.Feed(received);
    if (!answer.empty())
        m_pacer.Push(answer, BytePacer::Clock::now());
}

int SimServer::Transmit(Transport& transport)
{
    const std::size_t due = m_pacer.DueCount(BytePacer::Clock::now());
    if (due == 0)
        return 0;
    // At most a pipe's worth per write keeps the copy small for big floods.
    std::vector<std::uint8_t> chunk(m_pacer.Held().begin(),
                                    m_pacer.Held().begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(due, 65536)));
    std::size_t written = 0;
    if (int err = transport.Write(chunk, written))
        return err;
    if (m_onFrame)
        ReportFrames(LineFrame::Way::ToProgram, std::span(chunk).first(written), m_onFrame);
    m_pacer.Release(written);
    return 0;
}

int SimServer::Serve(Transport& transport, net::Socket stop)
{
    std::vector<pollfd> waits;
    std::vector<std::uint8_t> received;
    for (;;) {
        const auto now = BytePacer::Clock::now();
        const bool due = m_pacer.DueCount(now) > 0;
        waits.assign(1, pollfd {stop, POLLIN, 0});
        transport.AddWaits(waits, due);
        if (net::Poll(waits.data(), waits.size(), due ? -1 : m_pacer.MsUntilNext(now)) < 0)
            return net::LastError();
        if (waits[0].revents)
            return 0;
        std::lock_guard turn(m_turn);
        const std::uint64_t program = transport.Program();
        received.clear();
        if (int err = transport.Take(std::span(waits).subspan(1), received))
            return err;
        // The line is looked at before the frame is reported, so whoever
        // hears of the frame knows the line it was taken on.
        if (!received.empty())
            Answer(received, transport.LineMatches(m_line));
        // The model keeps what a program that left wrote, but what it was
        // owed must not reach the next one.
        if (transport.Program() != program)
            m_pacer.Release(m_pacer.Held().size());
        if (int err = Transmit(transport))
            return err;
    }
}

bool SimServer::BetweenTurns(const std::function<bool(bool holding)>& look) const
{
    std::lock_guard turn(m_turn);
    return look(!m_pacer.Held().empty());
}

}  // namespace sim
