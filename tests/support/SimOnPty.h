#pragma once

#include "bus/GroupMessage.h"
#include "sim/PtyServer.h"

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

// One frame the simulator's server saw: which way ("rx" = written by the
// program), when (on the monotonic clock) and the bytes.
struct SimFrame {
    bool rx = false;
    std::chrono::steady_clock::time_point at;
    std::vector<std::uint8_t> bytes;

    bool IsGroupMessage() const { return bytes.size() == bus::kGroupMessageSize && bytes[0] == bus::kGroupOpcode; }
    bus::GroupMessageFields Fields() const
    {
        return bus::UnpackGroupMessage(std::span<const std::uint8_t, bus::kGroupMessageSize>(bytes.data(), 20));
    }
};

// brenvik-sim's server on a new pseudo-terminal, served on a thread of this
// process; the frames it reports are kept for the test to read.
class SimOnPty {
public:
    explicit SimOnPty(sim::SimOptions options = Fast())
        : m_server(options, [this](const sim::LineFrame& frame) { Keep(frame); })
    {
        std::string error;
        if (!m_server.Open(error) || ::pipe2(m_stop, O_CLOEXEC) != 0)
            throw std::runtime_error("cannot start the simulator: " + error);
        m_thread = std::thread([this] {
            m_result = m_server.Serve(m_stop[0]);
            timespec cpu {};
            ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
            m_cpuSeconds = double(cpu.tv_sec) + double(cpu.tv_nsec) / 1e9;
        });
    }
    ~SimOnPty()
    {
        Stop();
        ::close(m_stop[0]);
        ::close(m_stop[1]);
    }
    SimOnPty(const SimOnPty&) = delete;
    SimOnPty& operator=(const SimOnPty&) = delete;

    static sim::SimOptions Fast()
    {
        sim::SimOptions options;
        options.fast = true;
        return options;
    }

    const std::string& Path() const { return m_server.SlavePath(); }

    // Ends the server (the pseudo-terminal hangs up); gives how serving
    // ended: 0, or the errno value it failed with.
    int Stop()
    {
        if (m_thread.joinable()) {
            const char byte = 0;
            [[maybe_unused]] ssize_t ignored = ::write(m_stop[1], &byte, 1);
            m_thread.join();
        }
        return m_result;
    }
    // The CPU time the serving thread used (known once stopped).
    double CpuSeconds() const { return m_cpuSeconds; }

    // The bytes the program wrote to the server, and the server to it, so far.
    std::uint64_t BytesFromProgram() const
    {
        std::lock_guard guard(m_lock);
        return m_bytesFromProgram;
    }
    std::uint64_t BytesToProgram() const
    {
        std::lock_guard guard(m_lock);
        return m_bytesToProgram;
    }
    // Whether the server has answered all the program wrote (`sent` bytes
    // in all) and the program has read all the server wrote (`received`):
    // then nothing more comes until the program writes again.
    bool Settled(std::uint64_t sent, std::uint64_t received) const
    {
        return m_server.BetweenTurns([&](bool holding) {
            std::lock_guard guard(m_lock);
            return !holding && m_bytesFromProgram == sent && m_bytesToProgram == received;
        });
    }

    // Every frame so far, a message read in pieces as one frame.
    std::vector<SimFrame> Frames() const
    {
        std::lock_guard guard(m_lock);
        return m_frames;
    }

    // The group messages the program wrote, in order.
    std::vector<bus::GroupMessageFields> Written() const
    {
        std::vector<bus::GroupMessageFields> written;
        for (const SimFrame& frame : Frames()) {
            if (frame.rx && frame.IsGroupMessage())
                written.push_back(frame.Fields());
        }
        return written;
    }

    // Every frame the program wrote, as hex text ("E5 14 03 08 ...").
    std::vector<std::string> Received() const
    {
        std::vector<std::string> received;
        for (const SimFrame& frame : Frames()) {
            if (!frame.rx)
                continue;
            std::string text;
            char hex[4];
            for (std::uint8_t byte : frame.bytes) {
                std::snprintf(hex, sizeof hex, "%02X", byte);
                text += (text.empty() ? "" : " ") + std::string(hex);
            }
            received.push_back(text);
        }
        return received;
    }

private:
    // On the serving thread.
    void Keep(const sim::LineFrame& frame)
    {
        const bool rx = frame.way == sim::LineFrame::Way::FromProgram;
        std::lock_guard guard(m_lock);
        (rx ? m_bytesFromProgram : m_bytesToProgram) += frame.bytes.size();
        const bool continues = !m_frames.empty() && m_frames.back().rx == rx && !(frame.bytes[0] & 0x80);
        if (continues)
            m_frames.back().bytes.insert(m_frames.back().bytes.end(), frame.bytes.begin(), frame.bytes.end());
        else
            m_frames.push_back({rx, frame.at, {frame.bytes.begin(), frame.bytes.end()}});
    }

    mutable std::mutex m_lock;
    std::vector<SimFrame> m_frames;
    std::uint64_t m_bytesFromProgram = 0;
    std::uint64_t m_bytesToProgram = 0;
    sim::PtyServer m_server;
    int m_stop[2] = {-1, -1};
    int m_result = 0;
    std::thread m_thread;
    double m_cpuSeconds = 0;
};
