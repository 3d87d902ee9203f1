#pragma once

#include "bus/BusFramer.h"
#include "bus/Checksum.h"
#include "bus/GroupMessage.h"

#include <cstdint>
#include <initializer_list>
#include <span>
#include <vector>

namespace bustest {

using Bytes = std::vector<std::uint8_t>;

// A message with its checksum appended.
inline Bytes WithChecksum(std::initializer_list<std::uint8_t> body)
{
    Bytes message(body);
    message.push_back(CalcChecksum(static_cast<std::int32_t>(message.size()), message.data()));
    return message;
}

inline Bytes Packed(const bus::GroupMessageFields& fields)
{
    const auto bytes = bus::PackGroupMessage(fields);
    return Bytes(bytes.begin(), bytes.end());
}

inline Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// A framer that records what it hands on.
struct RecordingFramer {
    CBusFramer framer;
    std::vector<Bytes> groupMessages; // handed to the group message handler
    std::vector<Bytes> observed;      // every good message

    RecordingFramer()
    {
        framer.SetGroupMessageHandler(
            [this](std::span<const std::uint8_t> m) { groupMessages.emplace_back(m.begin(), m.end()); });
        framer.SetMessageObserver(
            [this](std::span<const std::uint8_t> m) { observed.emplace_back(m.begin(), m.end()); });
    }

    void Feed(const Bytes& bytes) { framer.ProcessRxBytes(bytes); }
};

} // namespace bustest
