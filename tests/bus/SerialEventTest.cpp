#include "BusTestSupport.h"

#include "bus/GroupReply.h"
#include "bus/SerialEvent.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

using bustest::Bytes;
using bustest::Packed;
using bustest::RecordingFramer;

namespace {

// Bytes waiting in the port; each read takes what fits.
struct WaitingBytes {
    std::deque<std::uint8_t> bytes;
    std::vector<std::size_t> readSizes;

    void Add(const Bytes& more) { bytes.insert(bytes.end(), more.begin(), more.end()); }

    bus::BusReader Reader()
    {
        return [this](std::span<std::uint8_t> buffer) {
            readSizes.push_back(buffer.size());
            const std::size_t count = std::min(buffer.size(), bytes.size());
            std::copy_n(bytes.begin(), count, buffer.begin());
            bytes.erase(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(count));
            return count;
        };
    }
};

const Bytes kReply = Packed(bus::MakeLevelReply(20, 99));

} // namespace

TEST(SerialEvent, DataEventFramesWhatIsWaiting)
{
    RecordingFramer r;
    WaitingBytes port;
    port.Add(kReply);
    bus::OnSerialEvent(r.framer, bus::kEventReceivedData, port.Reader());
    EXPECT_EQ(port.readSizes, std::vector<std::size_t>{1024});
    EXPECT_EQ(r.groupMessages.size(), 1u);
}

TEST(SerialEvent, OnlyTheLow16BitsAreLookedAt)
{
    RecordingFramer r;
    WaitingBytes port;
    port.Add(kReply);
    bus::OnSerialEvent(r.framer, 0x00C0'0000 | bus::kEventReceivedData, port.Reader());
    EXPECT_EQ(r.groupMessages.size(), 1u);
}

TEST(SerialEvent, OneDataEventReadsAtMost1024Bytes)
{
    RecordingFramer r;
    WaitingBytes port;
    for (int i = 0; i < 60; ++i) // 1200 bytes
        port.Add(kReply);
    bus::OnSerialEvent(r.framer, bus::kEventReceivedData, port.Reader());
    EXPECT_EQ(r.groupMessages.size(), 51u); // 1024 bytes: 51 whole messages and 4 bytes
    EXPECT_EQ(port.bytes.size(), 1200u - 1024u);
    bus::OnSerialEvent(r.framer, bus::kEventReceivedData, port.Reader());
    EXPECT_EQ(r.groupMessages.size(), 60u);
}

TEST(SerialEvent, LineErrorDiscardsOneReadAndRestartsTheFramer)
{
    RecordingFramer r;
    WaitingBytes port;
    r.Feed(Bytes(kReply.begin(), kReply.begin() + 7));
    port.Add(kReply);
    bus::OnSerialEvent(r.framer, bus::kEventLineError, port.Reader());
    EXPECT_TRUE(port.bytes.empty());
    EXPECT_TRUE(r.observed.empty());
    EXPECT_EQ(r.framer.State(), CBusFramer::WaitOpcode);
    EXPECT_EQ(r.framer.RxIndex(), 7);
    port.Add(kReply);
    bus::OnSerialEvent(r.framer, bus::kEventReceivedData, port.Reader());
    EXPECT_EQ(r.groupMessages.size(), 1u);
}

TEST(SerialEvent, OtherCodesReadNothing)
{
    for (std::uint32_t code : {0x81u, 0x00u, 0x04u, 0x80'0000u, 0x0180u}) {
        RecordingFramer r;
        WaitingBytes port;
        port.Add(kReply);
        bus::OnSerialEvent(r.framer, code, port.Reader());
        EXPECT_TRUE(port.readSizes.empty()) << code;
        EXPECT_EQ(port.bytes.size(), kReply.size());
    }
}

TEST(SerialEvent, ReaderClaimingTooMuchCannotOverrunTheBuffer)
{
    RecordingFramer r;
    bus::OnSerialEvent(r.framer, bus::kEventReceivedData, [](std::span<std::uint8_t> buffer) {
        std::fill(buffer.begin(), buffer.end(), std::uint8_t{0x05});
        return buffer.size() + 5000;
    });
    EXPECT_EQ(r.framer.State(), CBusFramer::WaitOpcode);
    EXPECT_TRUE(r.observed.empty());
}
