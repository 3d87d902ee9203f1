// The count that Close waits on: a wait must end however close behind it the
// last call leaves, and not before. Run on Linux and under Wine, where the
// library's own atomic wait once missed such a leave.
#include "serial/ActiveCalls.h"

#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

namespace {

// A waiter and a leaver in step, round after round: the leaver lets the
// round's calls go the moment the waiter starts waiting for none.
struct Race {
    Race(int calls, int rounds) : calls(calls), rounds(rounds) {}

    void Wait()
    {
        for (int round = 1; round <= rounds; ++round) {
            for (int call = 0; call < calls; ++call)
                active.Enter();
            left = 0;
            started = round;
            active.WaitUntilNone();
            if (left != calls)
                ++early;
            while (finished != round)
                std::this_thread::yield();
        }
        done = true;
    }
    void Leave()
    {
        for (int round = 1; round <= rounds; ++round) {
            while (started != round)
                std::this_thread::yield();
            for (int call = 0; call < calls; ++call) {
                ++left;
                active.Leave();
            }
            finished = round;
        }
    }

    const int calls;
    const int rounds;
    CActiveCalls active;
    std::atomic<int> started {0}, finished {0}, left {0}, early {0};
    std::atomic<bool> done {false};
};

TEST(ActiveCalls, AWaitEndsWhenTheLastCallLeavesHoweverCloseBehindItComes)
{
    struct Row {
        const char* what;
        int calls;
    };
    const Row rows[] = {{"one call", 1}, {"three calls", 3}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        // Shared with the threads: a lost wake-up leaves them behind, and
        // the test fails instead of hanging.
        const auto race = std::make_shared<Race>(row.calls, 20000);
        std::thread waiter([race] { race->Wait(); });
        std::thread leaver([race] { race->Leave(); });
        const bool ended = Eventually([&] { return race->done.load(); });
        EXPECT_TRUE(ended) << "a wait still sleeps in round " << race->started << " after its calls left";
        if (!ended) {
            waiter.detach();
            leaver.detach();
            continue;
        }
        waiter.join();
        leaver.join();
        EXPECT_EQ(race->early, 0) << "waits that ended before the last call left";
    }
}

}  // namespace
