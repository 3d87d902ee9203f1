#include "bus/BusTransmit.h"

#include "bus/BusFramer.h"

namespace bus {

void WaitForEcho(CBusFramer& framer, const BusPause& pause)
{
    for (int i = 0; framer.AwaitingEcho() && i < kEchoPauses; ++i)
        pause(kEchoPause);
    framer.StopAwaitingEcho();
}

LineError SendGroupMessage(CBusFramer& framer, const GroupMessageFields& fields, const BusWriter& writeBus,
                           const BusPause& pause)
{
    WaitForEcho(framer, pause);
    const GroupMessageBytes txBuf = PackGroupMessage(fields);
    std::uint32_t written = 0;
    LineError result = writeBus(txBuf, written);
    if (!result && written != txBuf.size())
        result = {LineFault::TimedOut, {}};
    if (result) {
        framer.StopAwaitingEcho();
        return result;
    }
    framer.ExpectEcho();
    return {};
}

} // namespace bus
