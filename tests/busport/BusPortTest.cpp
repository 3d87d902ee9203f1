// The bus session: how it opens and arms a line, what it reports when a step
// fails, and the way of a message out and of its echo back.

#include "busport/BusPort.h"

#include "bus/GroupRequests.h"
#include "bus/SerialEvent.h"

#include "tests/support/PseudoTerminal.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

using namespace win32;
using bus::LineError;
using bus::LineFault;

namespace bus {
// Failures read as their fault and the system's text.
void PrintTo(const LineError& error, std::ostream* out)
{
    *out << "fault " << int(error.fault) << " (" << error.system.message() << ")";
}
} // namespace bus

namespace {

std::error_code Errno(int value)
{
    return {value, std::generic_category()};
}

// The echo wait's pause where nothing else needs to happen meanwhile.
const bus::BusPause kNoPause = [](std::chrono::milliseconds) {};

TEST(LineErrorOf, NamesEachSerialResultInTheBusLayersWords)
{
    struct Row {
        const char* name;
        LONG code;
        int systemError;
        LineFault fault;
    };
    const Row rows[] = {
        {"success", ERROR_SUCCESS, 0, LineFault::None},
        {"missing device", ERROR_FILE_NOT_FOUND, ENOENT, LineFault::NoDevice},
        {"no hardware behind the node", ERROR_FILE_NOT_FOUND, ENXIO, LineFault::NoDevice},
        {"bad path", ERROR_PATH_NOT_FOUND, ENOTDIR, LineFault::NoDevice},
        {"not permitted", ERROR_ACCESS_DENIED, EACCES, LineFault::PermissionDenied},
        {"not permitted for this process", ERROR_ACCESS_DENIED, EPERM, LineFault::PermissionDenied},
        {"locked elsewhere", ERROR_ACCESS_DENIED, EWOULDBLOCK, LineFault::Busy},
        {"in use", ERROR_ACCESS_DENIED, EBUSY, LineFault::Busy},
        {"a folder", ERROR_ACCESS_DENIED, EISDIR, LineFault::NotSerial},
        {"not a terminal", ERROR_INVALID_FUNCTION, ENOTTY, LineFault::NotSerial},
        {"refused settings", ERROR_INVALID_PARAMETER, EINVAL, LineFault::SettingsRefused},
        {"settings the driver did not take", ERROR_INVALID_PARAMETER, 0, LineFault::SettingsRefused},
        {"hung up", ERROR_GEN_FAILURE, 0, LineFault::DeviceGone},
        {"i/o error", ERROR_GEN_FAILURE, EIO, LineFault::DeviceGone},
        {"write time-out", ERROR_TIMEOUT, 0, LineFault::TimedOut},
        {"closed port", ERROR_INVALID_HANDLE, 0, LineFault::NotOpen},
        {"out of memory", ERROR_NOT_ENOUGH_MEMORY, ENOMEM, LineFault::Other},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const LineError error = busport::LineErrorOf(row.code, Errno(row.systemError));
        EXPECT_EQ(error.fault, row.fault);
        EXPECT_EQ(error.system.value(), row.systemError); // the system's reason travels along
    }
}

TEST(ProbeLine, TellsWhyADeviceCannotBeOpenedNow)
{
    PseudoTerminal pty;
    char plainFile[] = "/tmp/brenvik-probe-XXXXXX";
    const int file = ::mkstemp(plainFile);
    ASSERT_GE(file, 0);
    ::close(file);
    CSerialLine holder;
    ASSERT_EQ(holder.Open(pty.Path(), 0, 0, true), 0);
    PseudoTerminal free;
    struct Row {
        std::string device;
        LineError expected;
    };
    const Row rows[] = {
        {"/nonexistent/brenvik-probe", {LineFault::NoDevice, Errno(ENOENT)}},
        {pty.SlavePath(), {LineFault::Busy, Errno(EWOULDBLOCK)}},
        {"/tmp", {LineFault::NotSerial, Errno(EISDIR)}},
        {plainFile, {LineFault::NotSerial, Errno(ENOTTY)}},
        {"/dev/null", {LineFault::NotSerial, Errno(ENOTTY)}},
        {free.SlavePath(), {}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(busport::ProbeLine(row.device), row.expected) << row.device;
    ::unlink(plainFile);
}

class BusPortTest : public ::testing::Test {
protected:
    // What the device side reads within a generous watchdog.
    std::vector<std::uint8_t> ReadDevice(std::size_t count)
    {
        std::vector<std::uint8_t> bytes;
        while (bytes.size() < count) {
            pollfd entry {pty.Master(), POLLIN, 0};
            if (::poll(&entry, 1, 5000) <= 0)
                break;
            std::uint8_t buffer[64];
            const ssize_t n = ::read(pty.Master(), buffer, std::min(sizeof buffer, count - bytes.size()));
            if (n <= 0)
                break;
            bytes.insert(bytes.end(), buffer, buffer + n);
        }
        return bytes;
    }

    PseudoTerminal pty;
    CSerialLine line;
    CBusFramer framer;
    busport::CBusPort port {line, framer};
};

TEST_F(BusPortTest, OpenSetsTheLineAsAskedAndArmsIt)
{
    struct Row {
        const char* name;
        busport::LineSettings settings;
        int baud;
        int handshake;
    };
    const Row rows[] = {
        {"the bus", {}, 16457, CSerialLine::HandshakeNone},
        {"another speed", {9600, busport::Flow::None}, 9600, CSerialLine::HandshakeNone},
        {"hardware flow control", {57600, busport::Flow::RtsCts}, 57600, CSerialLine::HandshakeRtsDtr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        framer.ExpectEcho(); // left over from an earlier port
        ASSERT_EQ(port.Open(pty.SlavePath(), row.settings), LineError{});
        EXPECT_TRUE(port.IsOpen());
        EXPECT_EQ(line.GetBaudRate(), row.baud);
        EXPECT_EQ(line.GetByteSize(), 8);
        EXPECT_EQ(line.GetParity(), NOPARITY);
        EXPECT_EQ(line.GetStopBits(), ONESTOPBIT);
        EXPECT_EQ(line.GetHandshake(), row.handshake);
        EXPECT_EQ(line.GetMask(), EV_RXCHAR | EV_ERR);
        EXPECT_FALSE(framer.AwaitingEcho());
        EXPECT_FALSE(framer.ReplySeen());
    }
}

TEST_F(BusPortTest, AFailedStepLeavesTheLineClosedAndSaysWhy)
{
    CSerialLine holder;
    struct Row {
        const char* name;
        std::string device;
        busport::LineSettings settings;
        LineError expected;
    };
    const Row rows[] = {
        {"missing device", "/nonexistent/brenvik-busport", {}, {LineFault::NoDevice, Errno(ENOENT)}},
        {"held by another line", "held", {}, {LineFault::Busy, Errno(EWOULDBLOCK)}},
        {"speed the driver refuses", pty.SlavePath(), {0, busport::Flow::None}, {LineFault::SettingsRefused, Errno(EINVAL)}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const bool held = row.device == "held";
        if (held) {
            ASSERT_EQ(holder.Open(pty.Path(), 0, 0, true), 0);
        }
        EXPECT_EQ(port.Open(held ? pty.SlavePath() : row.device, row.settings), row.expected);
        EXPECT_FALSE(port.IsOpen());
        holder.Close();
    }
}

TEST_F(BusPortTest, AGivenOpenerOpensTheLineAndItsFailureIsReported)
{
    int calls = 0;
    const auto refuse = [&](const char*) {
        ++calls;
        return LONG(ERROR_TIMEOUT);
    };
    EXPECT_EQ(port.Open(pty.SlavePath(), {}, refuse), (LineError{LineFault::TimedOut, {}}));
    EXPECT_EQ(calls, 1);
    const auto plain = [&](const char* device) { return line.Open(device, 0, 0, true); };
    EXPECT_FALSE(port.Open(pty.SlavePath(), {}, plain));
    EXPECT_TRUE(port.IsOpen());
}

TEST_F(BusPortTest, ASendGoesOutWholeAndItsEchoIsFramedFromANotification)
{
    ASSERT_FALSE(port.Open(pty.SlavePath(), {}));
    ASSERT_FALSE(port.Send(bus::MakeSettingsRequest(), kNoPause));
    EXPECT_TRUE(framer.AwaitingEcho());
    const std::vector<std::uint8_t> sent = ReadDevice(bus::kGroupMessageSize);
    const bus::GroupMessageBytes expected = bus::PackGroupMessage(bus::MakeSettingsRequest());
    EXPECT_EQ(sent, std::vector<std::uint8_t>(expected.begin(), expected.end()));

    pty.Send(sent); // the bus echoes every message
    // The form's listener would post this; here the line's own wait stands in.
    ASSERT_EQ(line.WaitForPortEvent(nullptr, 5000), 0);
    port.OnSerialEvent(line.GetPendingEvents());
    EXPECT_FALSE(framer.AwaitingEcho());
    EXPECT_EQ(port.BytesReceived(), sent.size());
}

TEST_F(BusPortTest, AWaitFramesWhatArrivesAndAGoneDeviceStaysReported)
{
    ASSERT_FALSE(port.Open(pty.SlavePath(), {}));
    ASSERT_FALSE(port.Send(bus::MakeLevelQuery(11), kNoPause));
    pty.Send(ReadDevice(bus::kGroupMessageSize));
    while (framer.AwaitingEcho() && !port.Failure())
        ASSERT_FALSE(port.WaitForEvent(std::chrono::milliseconds(5000)));
    EXPECT_FALSE(framer.AwaitingEcho());
    EXPECT_FALSE(port.WaitForEvent(std::chrono::milliseconds(1))); // nothing more: no failure

    pty.CloseMaster(); // unplugged
    const LineError gone = port.Send(bus::MakeLevelQuery(12), kNoPause);
    EXPECT_EQ(gone.fault, LineFault::DeviceGone);
    EXPECT_EQ(port.Failure(), gone);
    EXPECT_FALSE(framer.AwaitingEcho());
}

TEST_F(BusPortTest, AWaitReadsAllThatArrivedBeyondOneBuffer)
{
    ASSERT_FALSE(port.Open(pty.SlavePath(), {}));
    // More than one read takes; the line reports the arrival only once.
    const std::vector<std::uint8_t> noise(3 * bus::kSerialReadSize + 5, 0x11);
    pty.Send(noise);
    // The bytes may come in a few pieces, each a new arrival.
    for (int wait = 0; wait < 10 && port.BytesReceived() < noise.size(); ++wait)
        ASSERT_FALSE(port.WaitForEvent(std::chrono::milliseconds(1000)));
    EXPECT_EQ(port.BytesReceived(), noise.size());
}

} // namespace
