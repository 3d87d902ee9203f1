#pragma once

#include "bus/GroupMessage.h"
#include "sim/PtyServer.h"

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <mutex>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <thread>
#include <vector>

// One frame of the simulator's log: when (ms since midnight), which way
// ("rx" = written by the program) and the bytes.
struct SimFrame {
    long ms = 0;
    bool rx = false;
    std::vector<std::uint8_t> bytes;

    bool IsGroupMessage() const { return bytes.size() == bus::kGroupMessageSize && bytes[0] == bus::kGroupOpcode; }
    bus::GroupMessageFields Fields() const
    {
        return bus::UnpackGroupMessage(std::span<const std::uint8_t, bus::kGroupMessageSize>(bytes.data(), 20));
    }
};

// brenvik-sim's server on a new pseudo-terminal, served on a thread of this
// process, with its frame log kept for the test to read.
class SimOnPty {
public:
    explicit SimOnPty(sim::SimOptions options = Fast()) : m_stream(&m_log), m_server(options, &m_stream)
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

    // The log so far, whole lines only.
    std::string LogText() const { return m_log.Text(); }

    // Every frame logged so far.
    std::vector<SimFrame> Frames() const
    {
        std::vector<SimFrame> frames;
        std::istringstream lines(LogText());
        std::string line;
        while (std::getline(lines, line)) {
            int h = 0, m = 0, s = 0, ms = 0, used = 0;
            char way[3] = {};
            if (std::sscanf(line.c_str(), "%d:%d:%d.%d %2s%n", &h, &m, &s, &ms, way, &used) != 5)
                continue;
            SimFrame frame {((h * 60L + m) * 60 + s) * 1000 + ms, std::string(way) == "rx", {}};
            std::istringstream hex(line.substr(std::size_t(used)));
            unsigned byte = 0;
            while (hex >> std::hex >> byte)
                frame.bytes.push_back(std::uint8_t(byte));
            // A message read in two pieces continues the previous frame.
            const bool continues = !frames.empty() && frames.back().rx == frame.rx && !frame.bytes.empty()
                && !(frame.bytes[0] & 0x80);
            if (continues)
                frames.back().bytes.insert(frames.back().bytes.end(), frame.bytes.begin(), frame.bytes.end());
            else
                frames.push_back(std::move(frame));
        }
        return frames;
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
    // Collects what the server logs; read from another thread.
    class LockedLog : public std::streambuf {
    public:
        std::string Text() const
        {
            std::lock_guard guard(m_lock);
            // Only whole lines.
            return m_text.substr(0, m_text.rfind('\n') + 1);
        }

    protected:
        int overflow(int c) override
        {
            if (c != traits_type::eof()) {
                std::lock_guard guard(m_lock);
                m_text.push_back(char(c));
            }
            return c;
        }
        std::streamsize xsputn(const char* s, std::streamsize n) override
        {
            std::lock_guard guard(m_lock);
            m_text.append(s, std::size_t(n));
            return n;
        }

    private:
        mutable std::mutex m_lock;
        std::string m_text;
    };

    LockedLog m_log;
    std::ostream m_stream;
    sim::PtyServer m_server;
    int m_stop[2] = {-1, -1};
    int m_result = 0;
    std::thread m_thread;
    double m_cpuSeconds = 0;
};
