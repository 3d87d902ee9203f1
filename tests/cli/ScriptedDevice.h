#pragma once

#include "bus/BusFramer.h"
#include "bus/GroupMessage.h"
#include "bus/GroupReply.h"

#include "tests/support/PseudoTerminal.h"

#include <poll.h>

#include <atomic>
#include <thread>
#include <vector>

// A transceiver played on a pseudo-terminal by a thread of the test: it
// echoes every message, answers a Get with the reply it is given (any
// bytes, values out of range too), and can vanish (hang up) once it has
// taken a number of the four writes, without echoing the last.
class ScriptedDevice {
public:
    ScriptedDevice(bus::GroupMessageFields reply, int vanishAfterWrites = -1)
        : m_reply(reply), m_vanishAfter(vanishAfterWrites)
    {
        m_framer.SetMessageObserver([this](std::span<const std::uint8_t> message) { OnMessage(message); });
        m_thread = std::thread([this] { Serve(); });
    }
    ~ScriptedDevice()
    {
        m_stop = true;
        m_thread.join();
    }
    ScriptedDevice(const ScriptedDevice&) = delete;
    ScriptedDevice& operator=(const ScriptedDevice&) = delete;

    const std::string& Path() const { return m_pty.SlavePath(); }
    int WritesTaken() const { return m_writes; }

private:
    void Serve()
    {
        std::uint8_t buffer[256];
        while (!m_stop && m_pty.Master() >= 0) {
            pollfd wait {m_pty.Master(), POLLIN, 0};
            if (::poll(&wait, 1, 20) <= 0 || !(wait.revents & POLLIN))
                continue;
            const ssize_t n = ::read(m_pty.Master(), buffer, sizeof buffer);
            if (n > 0)
                m_framer.ProcessRxBytes({buffer, static_cast<std::size_t>(n)});
        }
    }
    void OnMessage(std::span<const std::uint8_t> message)
    {
        if (m_pty.Master() < 0)
            return;
        const bool group = message.size() == bus::kGroupMessageSize && message[0] == bus::kGroupOpcode;
        const bus::GroupMessageFields fields = group ? bus::UnpackGroupMessage(message.first<bus::kGroupMessageSize>())
                                                     : bus::GroupMessageFields {};
        if (group && fields.direction == bus::DirWrite && ++m_writes == m_vanishAfter) {
            m_pty.CloseMaster();
            return;
        }
        m_pty.Send(std::vector<unsigned char>(message.begin(), message.end()));
        if (group && fields.direction == bus::DirReadRequest && fields.command == bus::CmdSettings) {
            const bus::GroupMessageBytes reply = bus::PackGroupMessage(m_reply);
            m_pty.Send(std::vector<unsigned char>(reply.begin(), reply.end()));
        }
    }

    PseudoTerminal m_pty;
    CBusFramer m_framer;
    bus::GroupMessageFields m_reply;
    int m_vanishAfter;
    std::atomic<int> m_writes {0};
    std::atomic<bool> m_stop {false};
    std::thread m_thread;
};
