#pragma once

#include "bus/GroupMessage.h"
#include "bus/GroupRequests.h"
#include "bus/TransceiverModel.h"

#include <cstdint>
#include <vector>

namespace bustest {

// What the line carries during scans and Gets, at least `minSize` bytes:
// echoes, level and settings replies, messages of other bus members and stray bytes.
inline std::vector<std::uint8_t> MixedStream(std::size_t minSize, std::uint32_t seed)
{
    CTransceiverModel model({}, seed);
    model.Faults().noiseBytes = 2;
    model.Faults().foreignMessages = true;
    std::vector<std::uint8_t> stream;
    auto ask = [&](const bus::GroupMessageFields& request) {
        const auto answer = model.Feed(bus::PackGroupMessage(request));
        stream.insert(stream.end(), answer.begin(), answer.end());
    };
    while (stream.size() < minSize) {
        for (std::int32_t channel = 11; channel <= 26; ++channel)
            ask(bus::MakeLevelQuery(channel));
        ask(bus::MakeSettingsRequest());
    }
    return stream;
}

} // namespace bustest
