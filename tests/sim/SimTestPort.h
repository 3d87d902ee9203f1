#pragma once

#include "bus/GroupMessage.h"
#include "busport/BusPort.h"
#include "serial/SerialLine.h"

#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

// The program's side of a simulator conversation, through the serial layer.
class SimTestPort {
public:
    bool Open(const std::string& path, const busport::LineSettings& line = {})
    {
        return !m_port.Open(path, line);
    }
    void Close() { m_port.Close(); }

    bool Send(const bus::GroupMessageFields& fields)
    {
        // Sent as the program sends, but the echo wait does not pause: the
        // tests read the echoes themselves, as raw bytes.
        return !m_port.Send(fields, [](std::chrono::milliseconds) {});
    }

    // Reads until `count` bytes arrived or the generous watchdog ran out.
    std::vector<std::uint8_t> Receive(size_t count, std::chrono::milliseconds watchdog = std::chrono::seconds(10))
    {
        std::vector<std::uint8_t> bytes(count);
        CSerialLine& line = m_port.Line();
        line.SetReadTimeoutMode(CSerialLine::ReadModeWaitAll);
        win32::DWORD got = 0;
        line.Read(bytes.data(), static_cast<win32::DWORD>(count), &got, nullptr,
                    static_cast<win32::DWORD>(watchdog.count()));
        line.SetReadTimeoutMode(CSerialLine::ReadModeImmediate);
        bytes.resize(got);
        return bytes;
    }

    // The messages among received bytes, 20 bytes each.
    static std::vector<bus::GroupMessageFields> Messages(const std::vector<std::uint8_t>& bytes)
    {
        std::vector<bus::GroupMessageFields> messages;
        for (size_t at = 0; at + bus::kGroupMessageSize <= bytes.size(); at += bus::kGroupMessageSize)
            messages.push_back(bus::UnpackGroupMessage(
                std::span<const std::uint8_t, bus::kGroupMessageSize>(bytes.data() + at, bus::kGroupMessageSize)));
        return messages;
    }

    CSerialLine& Line() { return m_port.Line(); }

private:
    busport::CBusPort m_port;
};
