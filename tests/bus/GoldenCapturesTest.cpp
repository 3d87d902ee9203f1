// The golden captures, however the port cuts them into reads, frame into
// exactly the messages listed beside them.
#include "tests/bus/GoldenCaptures.h"

#include "bus/BusFramer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <span>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Framed {
    std::vector<Bytes> messages;
    std::uint64_t badChecksums = 0;
};

// Feeds the stream in pieces of the given sizes (the last piece takes the rest).
Framed Frame(std::span<const std::uint8_t> stream, const std::vector<std::size_t>& pieces)
{
    CBusFramer framer;
    Framed framed;
    framer.SetMessageObserver([&](std::span<const std::uint8_t> m) { framed.messages.emplace_back(m.begin(), m.end()); });
    std::size_t at = 0;
    for (std::size_t piece : pieces) {
        const std::size_t size = std::min(piece, stream.size() - at);
        framer.ProcessRxBytes(stream.subspan(at, size));
        at += size;
    }
    framer.ProcessRxBytes(stream.subspan(at));
    framed.badChecksums = framer.BadChecksumCount();
    return framed;
}

// Whole, byte by byte, and in random reads of 1 to 64 bytes (a fixed seed, so
// a failure repeats).
std::vector<std::vector<std::size_t>> Chunkings(std::size_t size)
{
    std::vector<std::vector<std::size_t>> chunkings{{size}, std::vector<std::size_t>(size, 1)};
    std::mt19937 random(2026);
    std::uniform_int_distribution<std::size_t> piece(1, 64);
    for (int n = 0; n < 20; ++n) {
        std::vector<std::size_t> pieces;
        for (std::size_t total = 0; total < size; total += pieces.back())
            pieces.push_back(piece(random));
        chunkings.push_back(pieces);
    }
    return chunkings;
}

TEST(GoldenCaptures, EveryChunkingFramesTheListedMessages)
{
    const std::vector<golden::Capture> captures = golden::LoadCaptures();
    ASSERT_GE(captures.size(), 10u);
    for (const golden::Capture& capture : captures) {
        SCOPED_TRACE(capture.name);
        ASSERT_FALSE(capture.stream.empty());
        std::vector<Bytes> listed;
        for (const golden::Message& message : capture.messages)
            listed.push_back(message.bytes);
        const auto chunkings = Chunkings(capture.stream.size());
        for (std::size_t c = 0; c < chunkings.size(); ++c) {
            SCOPED_TRACE("chunking " + std::to_string(c));
            const Framed framed = Frame(capture.stream, chunkings[c]);
            EXPECT_EQ(framed.messages, listed);
            EXPECT_EQ(framed.badChecksums, capture.badChecksums);
        }
    }
}

} // namespace
