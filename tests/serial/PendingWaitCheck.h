#pragma once

#include "serial/SerialLine.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>

// SetMask or Close on one thread ends a WaitForPortEvent pending on
// another: SetMask with success and no events, Close with
// ERROR_INVALID_HANDLE. `open` opens a line on a port that stays quiet.
template <class Open>
void ExpectSetMaskAndCloseEndAPendingWait(Open open)
{
    using namespace win32;
    struct ObservedLine : CSerialLine {
        bool WaitPending() const { return m_waitArmed; }
    };
    struct Row {
        const char* name;
        std::function<void(CSerialLine&)> act;
        LONG code;
    };
    const Row rows[] = {
        {"SetMask", [](CSerialLine& l) { l.SetMask(EV_RXCHAR | EV_ERR); }, 0},
        {"Close", [](CSerialLine& l) { l.Close(); }, ERROR_INVALID_HANDLE},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ObservedLine waiting;
        ASSERT_EQ(open(waiting), 0);
        // Long enough to tell an ended wait from one that ran out.
        auto result = std::async(std::launch::async, [&] { return waiting.WaitForPortEvent(nullptr, 30000); });
        ASSERT_TRUE(Eventually([&] { return waiting.WaitPending(); }));
        row.act(waiting);
        ASSERT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready);
        EXPECT_EQ(result.get(), row.code);
        EXPECT_EQ(waiting.GetPendingEvents(), 0u);
    }
}
