#include "bus/SerialEvent.h"

#include "bus/BusFramer.h"

#include <algorithm>
#include <array>

namespace bus {

void OnSerialEvent(CBusFramer& framer, std::uint32_t eventWord, const BusReader& read)
{
    const std::uint32_t code = eventWord & 0xFFFF;
    if (code != kEventReceivedData && code != kEventLineError)
        return;
    std::array<std::uint8_t, kSerialReadSize> buffer;
    // A reader claiming more than it was given cannot make us read past the buffer.
    const std::size_t count = std::min(read(buffer), buffer.size());
    if (code == kEventReceivedData)
        framer.ProcessRxBytes(std::span(buffer).first(count));
    else
        framer.RestartReceive();
}

} // namespace bus
