#pragma once

#include "bus/GroupMessage.h"
#include "serial/SerialLine.h"

#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

// The program's side of a simulator conversation, through the serial layer.
class SimTestPort {
public:
    bool Open(const std::string& path)
    {
        return m_line.Open(path.c_str(), 512, 512, true) == 0 && m_line.Setup(16457, 8, NOPARITY, ONESTOPBIT) == 0;
    }
    void Close() { m_line.Close(); }

    bool Send(const bus::GroupMessageFields& fields)
    {
        const bus::GroupMessageBytes bytes = bus::PackGroupMessage(fields);
        DWORD written = 0;
        return m_line.Write(bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr, 2000) == 0
            && written == bytes.size();
    }

    // Reads until `count` bytes arrived or the generous watchdog ran out.
    std::vector<std::uint8_t> Receive(size_t count, std::chrono::milliseconds watchdog = std::chrono::seconds(10))
    {
        std::vector<std::uint8_t> bytes(count);
        m_line.SetReadTimeoutMode(CSerialLine::ReadModeWaitAll);
        DWORD got = 0;
        m_line.Read(bytes.data(), static_cast<DWORD>(count), &got, nullptr, static_cast<DWORD>(watchdog.count()));
        m_line.SetReadTimeoutMode(CSerialLine::ReadModeImmediate);
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

    CSerialLine& Line() { return m_line; }

private:
    CSerialLine m_line;
};
