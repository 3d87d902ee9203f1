#include "bus/BusTransmit.h"

#include "bus/BusFramer.h"

namespace bus {

bool WaitForEcho(CBusFramer& framer, const BusPause& pause)
{
    for (int i = 0; framer.m_bAwaitingEcho && i < kEchoPauses; ++i)
        pause(kEchoPause);
    framer.m_bAwaitingEcho = false;
    return true;
}

int SendGroupMessage(CBusFramer& framer, const GroupMessageFields& fields, const BusWriter& writeBus,
                     const BusPause& pause)
{
    WaitForEcho(framer, pause);
    const GroupMessageBytes txBuf = PackGroupMessage(fields);
    std::uint32_t written = 0;
    const std::int32_t result = writeBus(txBuf, written);
    if (result != 0 || written != txBuf.size()) {
        framer.m_bAwaitingEcho = false;
        return 0;
    }
    framer.m_bReplySeen = false;
    framer.m_bAwaitingEcho = true;
    return 1;
}

} // namespace bus
