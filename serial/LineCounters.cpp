#include "serial/LineCounters.h"

using namespace win32;

DWORD LineErrorsBetween(const LineCounters& before, const LineCounters& after)
{
    DWORD errors = 0;
    if (after.frame != before.frame)
        errors |= CE_FRAME;
    if (after.parity != before.parity)
        errors |= CE_RXPARITY;
    if (after.overrun != before.overrun)
        errors |= CE_OVERRUN;
    if (after.brk != before.brk)
        errors |= CE_BREAK;
    return errors;
}

DWORD LineEventsBetween(const LineCounters& before, const LineCounters& after)
{
    const DWORD errors = LineErrorsBetween(before, after);
    DWORD events = 0;
    if (errors & (CE_FRAME | CE_RXPARITY | CE_OVERRUN))
        events |= EV_ERR;
    if (errors & CE_BREAK)
        events |= EV_BREAK;
    return events;
}
