// Framing allocates nothing per byte: every operator new in this program is
// counted while a large mixed stream goes through the framer.
#include "MixedStream.h"

#include "bus/BusFramer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

namespace {
std::atomic<std::size_t> g_allocations{0};
}

void* operator new(std::size_t size)
{
    ++g_allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

TEST(FramerAllocation, LargeStreamIsFramedWithoutAllocating)
{
    const std::vector<std::uint8_t> stream = bustest::MixedStream(4'000'000, 11);

    CBusFramer framer;
    std::size_t replies = 0;
    std::size_t messages = 0;
    std::int64_t levelSum = 0;
    framer.SetGroupMessageHandler([&](std::span<const std::uint8_t> m) {
        ++replies;
        levelSum += bus::UnpackGroupMessage(m.first<20>()).data[1];
    });
    framer.SetMessageObserver([&](std::span<const std::uint8_t>) { ++messages; });

    const std::size_t before = g_allocations.load();
    ASSERT_GT(before, 0u); // the counter sees the allocations of building the stream
    framer.ProcessRxBytes(stream);
    const std::size_t during = g_allocations.load() - before;

    EXPECT_EQ(during, 0u);
    EXPECT_GT(replies, 10'000u);
    EXPECT_GT(messages, replies);
    EXPECT_GT(levelSum, 0);
}
