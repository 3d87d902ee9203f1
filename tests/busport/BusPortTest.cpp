// The conversation with the bus: how it opens and arms a line, what it
// reports when a step fails, the way of a message out and of its echo back,
// and what it makes of what the bus answers.

#include "busport/BusPort.h"

#include "bus/GroupRequests.h"
#include "busport/LineErrorText.h"
#include "busport/ProbeLine.h"
#include "busport/SerialResult.h"
#include "serial/SerialLine.h"

#include "tests/support/LockFolder.h"
#include "tests/support/PseudoTerminal.h"
#include "tests/support/ScriptedServer.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <memory>
#include <thread>
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
const busport::Pause kNoPause = [](std::chrono::milliseconds) {};

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
    const TempLockFolder locks("brenvik-probe-locks");
    std::vector<std::unique_ptr<PseudoTerminal>> ptys; // free devices with a lock file
    const auto lockedBy = [&](pid_t pid) {
        PseudoTerminal& pty = *ptys.emplace_back(std::make_unique<PseudoTerminal>());
        locks.Lock(pty.SlavePath(), pid);
        return pty.SlavePath();
    };
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
        {lockedBy(::getppid()), {LineFault::Busy, Errno(EBUSY)}},
        {lockedBy(GonePid()), {}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(busport::ProbeLine(row.device, locks.Path()), row.expected) << row.device;
    ::unlink(plainFile);
}

// A network interface that cannot be reached is no device that stopped
// working: the probe's answer reads as the open's would.
TEST(ProbeLine, SaysWhyANetworkInterfaceCannotBeReachedInANetworkLinesWords)
{
    std::string refused;
    {
        ScriptedServer gone({}, true);
        refused = gone.Url("tcp");
    }
    const std::pair<std::string, std::string> rows[] = {
        {refused, "cannot connect: Connection refused"},
        {"tcp://host.invalid:4001", "cannot connect: host not found"},
        {"rfc2217://127.0.0.1", "not a network interface: no port: write HOST:PORT"},
    };
    for (const auto& [url, words] : rows) {
        const LineError problem = busport::ProbeLine(url, "");
        EXPECT_TRUE(problem) << url;
        EXPECT_EQ(busport::OpenErrorText(url, problem), words) << url;
    }
}

using Bytes = std::vector<std::uint8_t>;

Bytes Packed(const bus::GroupMessageFields& fields)
{
    const bus::GroupMessageBytes bytes = bus::PackGroupMessage(fields);
    return Bytes(bytes.begin(), bytes.end());
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

class BusPortTest : public ::testing::Test {
protected:
    // What the device side reads within a generous watchdog.
    Bytes ReadDevice(std::size_t count)
    {
        Bytes bytes;
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

    // Frames until `count` more bytes have arrived, as the command line waits.
    void Receive(std::size_t count)
    {
        const std::uint64_t until = port.BytesReceived() + count;
        while (port.BytesReceived() < until && !port.Failure())
            ASSERT_FALSE(port.WaitForEvent(std::chrono::milliseconds(5000)));
    }

    // The device's side has `bytes` waiting for the program, once the
    // program's line sees all of them (the terminal's input queue is one,
    // whichever descriptor asks).
    void Waiting(const Bytes& bytes)
    {
        pty.Send(bytes);
        int queued = 0;
        while (::ioctl(inputProbe, FIONREAD, &queued) == 0 && queued < int(bytes.size()))
            ASSERT_EQ(line.WaitForPortEvent(nullptr, 5000), 0);
    }

    void TearDown() override { ::close(inputProbe); }

    PseudoTerminal pty;
    // Opened before the port takes the terminal for itself.
    int inputProbe = ::open(pty.Path(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    busport::CBusPort port;
    CSerialLine& line = port.Line();
};

TEST_F(BusPortTest, OpenSetsTheLineAsAskedArmsItAndForgetsTheConversation)
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
        if (port.IsOpen()) { // an echo left awaited on the earlier line
            ASSERT_FALSE(port.SendGetRequest(kNoPause));
        }
        ASSERT_EQ(port.Open(pty.SlavePath(), row.settings), LineError{});
        EXPECT_TRUE(port.IsOpen());
        EXPECT_EQ(line.GetBaudRate(), row.baud);
        EXPECT_EQ(line.GetByteSize(), 8);
        EXPECT_EQ(line.GetParity(), NOPARITY);
        EXPECT_EQ(line.GetStopBits(), ONESTOPBIT);
        EXPECT_EQ(line.GetHandshake(), row.handshake);
        EXPECT_EQ(line.GetMask(), EV_RXCHAR | EV_ERR);
        int pauses = 0;
        port.AwaitEcho([&](std::chrono::milliseconds) { ++pauses; });
        EXPECT_EQ(pauses, 0);
        EXPECT_FALSE(port.ReplySeen());
        EXPECT_FALSE(port.EchoesMissing());
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
    const auto missing = [&](const char*) {
        ++calls;
        return line.Open("/nonexistent/brenvik-busport", 0, 0, true) == 0;
    };
    EXPECT_EQ(port.Open(pty.SlavePath(), {}, missing), (LineError{LineFault::NoDevice, Errno(ENOENT)}));
    EXPECT_EQ(calls, 1);
    const auto plain = [&](const char* device) { return line.Open(device, 0, 0, true) == 0; };
    EXPECT_FALSE(port.Open(pty.SlavePath(), {}, plain));
    EXPECT_TRUE(port.IsOpen());
}

// What the bus answers to a Get request, and what the conversation makes of it.
TEST_F(BusPortTest, AnAnswerToAGetIsTakenApartInOnePlace)
{
    const bus::RadioSettings held {"Yard", 42, 21, 7};
    const Bytes request = Packed(bus::MakeSettingsRequest());
    const Bytes reply = Packed(bus::MakeSettingsReply(held));
    Bytes garbled = request;
    garbled[6] ^= 0x01;
    struct Row {
        const char* name;
        Bytes answer;
        bool replySeen;
        int levels;
        bool echoed;
        bool echoesMissing;
        busport::NoAnswer why;
    };
    const Row rows[] = {
        {"echo and settings", Concat({request, reply}), true, 0, true, false, busport::NoAnswer::NoReply},
        {"settings without the echo", reply, true, 0, false, true, busport::NoAnswer::NoEcho},
        {"echo and a level reply", Concat({request, Packed(bus::MakeLevelReply(14, 90))}), false, 1, true, false,
         busport::NoAnswer::NoReply},
        {"echo only", request, false, 0, true, false, busport::NoAnswer::NoReply},
        {"a garbled echo", garbled, false, 0, false, true, busport::NoAnswer::BadChecksum},
        {"nothing", {}, false, 0, false, true, busport::NoAnswer::NoEcho},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_FALSE(port.Open(pty.SlavePath(), {}));
        std::vector<bus::RadioSettings> settings;
        int levels = 0;
        std::vector<bool> echoes;
        port.SetReplyHandler([&](const bus::GroupReply& got) {
            if (const auto* s = std::get_if<bus::RadioSettings>(&got))
                settings.push_back(*s);
            levels += std::holds_alternative<bus::ChannelLevelReply>(got);
        });
        port.SetMessageObserver([&](std::span<const std::uint8_t>, bool echo) { echoes.push_back(echo); });
        const std::uint64_t badBefore = port.BadChecksums();
        ASSERT_FALSE(port.SendGetRequest(kNoPause));
        EXPECT_EQ(ReadDevice(request.size()), request);
        pty.Send(row.answer);
        Receive(row.answer.size());
        EXPECT_EQ(port.ReplySeen(), row.replySeen);
        EXPECT_EQ(settings, row.replySeen ? std::vector {held} : std::vector<bus::RadioSettings> {});
        EXPECT_EQ(levels, row.levels);
        EXPECT_EQ(port.LastEchoSeen(), row.echoed);
        EXPECT_EQ(port.Echoes(), int(row.echoed));
        EXPECT_EQ(!echoes.empty() && echoes.front(), row.echoed);
        EXPECT_EQ(port.EchoesMissing(), row.echoesMissing);
        EXPECT_EQ(port.WhyNoAnswer(badBefore), row.why);
    }
}

// The echo wait before each send: the form sleeps through it, the command
// line frames what comes meanwhile.
TEST_F(BusPortTest, EachSendWaitsForThePreviousEchoAtMostFivePauses)
{
    struct Row {
        const char* name;
        bool echoes;     // the device echoes each write
        bool readInWait; // the pause frames what arrives
        std::size_t stopAt;
        std::size_t pauses;
    };
    const Row rows[] = {
        {"the form reads nothing while it sends", false, false, 4, 3 * busport::kEchoPauses},
        {"the command line reads each echo", true, true, 4, 3},
        {"no echoes come back", false, true, 4, 3 * busport::kEchoPauses},
        {"stopped after two writes", true, true, 2, 2},
    };
    const bus::RadioSettings wanted {"Yard", 42, 21, 7};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_FALSE(port.Open(pty.SlavePath(), {}));
        std::size_t pauses = 0;
        const busport::Pause pause = [&](std::chrono::milliseconds length) {
            EXPECT_EQ(length, busport::kEchoPause);
            ++pauses;
            if (row.readInWait)
                port.WaitForEvent(std::chrono::milliseconds(row.echoes ? 5000 : 0));
        };
        std::size_t asked = 0;
        const auto goOn = [&] { return asked++ < row.stopAt; };
        std::thread device([&] {
            for (std::size_t i = 0; i < row.stopAt; ++i) {
                const Bytes write = ReadDevice(bus::kGroupMessageSize);
                if (row.echoes)
                    pty.Send(write);
            }
        });
        const busport::CBusPort::WritesSent sent = port.SendWrites(wanted, pause, goOn);
        device.join();
        EXPECT_EQ(sent.count, row.stopAt);
        EXPECT_FALSE(sent.error);
        EXPECT_EQ(pauses, row.pauses);
    }
}

TEST_F(BusPortTest, AFailedWriteIsKeptAndAwaitsNoEcho)
{
    ASSERT_FALSE(port.Open(pty.SlavePath(), {}));
    pty.CloseMaster(); // unplugged
    const LineError gone = port.SendLevelQuery(12, kNoPause);
    EXPECT_EQ(gone.fault, LineFault::DeviceGone);
    EXPECT_EQ(port.Failure(), gone);
    EXPECT_EQ(port.WhyNoAnswer(0), busport::NoAnswer::LineFault);
    int pauses = 0;
    port.AwaitEcho([&](std::chrono::milliseconds) { ++pauses; });
    EXPECT_EQ(pauses, 0);
}

// How one notification's event word is taken: only the two exact events do
// anything, a read takes at most 1024 bytes, and a line error throws away
// what it reads and starts the framer afresh.
TEST_F(BusPortTest, ANotificationReadsOnceAndFramesOrDiscards)
{
    const Bytes reply = Packed(bus::MakeLevelReply(20, 99));
    Bytes many;
    for (int i = 0; i < 60; ++i) // 1200 bytes
        many.insert(many.end(), reply.begin(), reply.end());
    const Bytes half(reply.begin(), reply.begin() + 7);
    struct Row {
        const char* name;
        Bytes before; // framed from an earlier data event
        Bytes waiting;
        std::uint32_t eventWord;
        int replies;
        std::uint64_t read;
        std::vector<std::uint32_t> lineErrors;
        int eventually; // once what was left has been read too
    };
    const Row rows[] = {
        {"data", {}, reply, EV_RXCHAR, 1, reply.size(), {}, 1},
        {"data with flags above", {}, reply, 0x00C0'0000 | EV_RXCHAR, 1, reply.size(), {}, 1},
        {"more than one read takes", {}, many, EV_RXCHAR, 51, busport::kSerialReadSize, {}, 60},
        {"a line error amid a message", half, reply, (CE_FRAME << 16) | EV_ERR, 0, reply.size(), {CE_FRAME}, 0},
        {"data and error at once", {}, reply, EV_RXCHAR | EV_ERR, 0, 0, {}, 1},
        {"another event", {}, reply, EV_TXEMPTY, 0, 0, {}, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_FALSE(port.Open(pty.SlavePath(), {}));
        int replies = 0;
        std::vector<std::uint32_t> lineErrors;
        port.SetReplyHandler([&](const bus::GroupReply&) { ++replies; });
        port.SetLineErrorObserver([&](std::uint32_t errors) { lineErrors.push_back(errors); });
        if (!row.before.empty()) {
            Waiting(row.before);
            port.OnSerialEvent(EV_RXCHAR);
        }
        const std::uint64_t before = port.BytesReceived();
        Waiting(row.waiting);
        port.OnSerialEvent(row.eventWord);
        EXPECT_EQ(replies, row.replies);
        EXPECT_EQ(port.BytesReceived() - before, row.read);
        EXPECT_EQ(lineErrors, row.lineErrors);
        // What was left waiting is framed by the next data event.
        port.OnSerialEvent(EV_RXCHAR);
        EXPECT_EQ(replies, row.eventually);
    }
}

// Whether the bus echoes: a bus slower than the sends echoes late, and
// only one that gave no echo since a send was given up on leaves them out.
TEST_F(BusPortTest, EchoesAreMissingOnlyWhenNoneComeNotWhenTheyComeLate)
{
    struct Row {
        const char* name;
        std::size_t sends;
        std::size_t echoedAtOnce; // the first sends the device echoes as they come
        bool echoRestAtEnd;       // the device echoes all the others once every send is in
        bool missing;
    };
    const Row rows[] = {
        {"each send echoed", 300, 300, false, false},
        {"a bus far behind the sends", 300, 0, true, false},
        {"a bus that never echoes", 300, 0, false, true},
        {"a bus that stopped echoing", 300, 10, false, true},
        {"a few sends, none echoed yet", 3, 0, false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_FALSE(port.Open(pty.SlavePath(), {}));
        std::thread device([&] {
            Bytes late;
            for (std::size_t i = 0; i < row.sends; ++i) {
                const Bytes send = ReadDevice(bus::kGroupMessageSize);
                if (i < row.echoedAtOnce)
                    pty.Send(send);
                else if (row.echoRestAtEnd)
                    late.insert(late.end(), send.begin(), send.end());
            }
            pty.Send(late);
        });
        for (std::size_t i = 0; i < row.sends; ++i) {
            ASSERT_FALSE(port.SendLevelQuery(11 + int(i % 16), kNoPause));
            while (i < row.echoedAtOnce && port.Echoes() <= int(i))
                ASSERT_FALSE(port.WaitForEvent(std::chrono::milliseconds(5000)));
        }
        device.join();
        const std::size_t echoed = row.echoedAtOnce + (row.echoRestAtEnd ? row.sends - row.echoedAtOnce : 0);
        while (port.BytesReceived() < echoed * bus::kGroupMessageSize && !port.Failure())
            ASSERT_FALSE(port.WaitForEvent(std::chrono::milliseconds(5000)));
        EXPECT_EQ(port.EchoesMissing(), row.missing);
    }
}

TEST_F(BusPortTest, AWaitReadsAllThatArrivedBeyondOneBufferAndAGoneDeviceStaysReported)
{
    ASSERT_FALSE(port.Open(pty.SlavePath(), {}));
    // More than one read takes; the line reports the arrival only once.
    const Bytes noise(3 * busport::kSerialReadSize + 5, 0x11);
    pty.Send(noise);
    // The bytes may come in a few pieces, each a new arrival.
    for (int wait = 0; wait < 10 && port.BytesReceived() < noise.size(); ++wait)
        ASSERT_FALSE(port.WaitForEvent(std::chrono::milliseconds(1000)));
    EXPECT_EQ(port.BytesReceived(), noise.size());
    EXPECT_FALSE(port.WaitForEvent(std::chrono::milliseconds(1))); // nothing more: no failure

    pty.CloseMaster();
    const LineError gone = port.WaitForEvent(std::chrono::milliseconds(1000));
    EXPECT_TRUE(gone);
    EXPECT_EQ(port.Failure(), gone);
}

// A raw tcp:// peer that never stops sending: each wait still ends at its
// time-out, having read and framed what came meanwhile, and nothing fails.
TEST(FloodingPeer, AWaitEndsAtItsTimeOutWhateverARawStreamKeepsSending)
{
    constexpr std::uint8_t IAC = 0xFF;
    struct Case {
        const char* what;
        Bytes chunk;
        int messages; // good messages framed per chunk
    };
    const Case cases[] = {
        {"line data", {0x55}, 0},
        {"Telnet NOP", {IAC, 0xF1}, 0},
        {"other Telnet commands", {IAC, 0xF6, IAC, 0xFD, 99, IAC, 0xFB, 98, IAC, 0xF9}, 0},
        {"messages that are not ours", Packed(bus::MakeLevelQuery(11)), 1},
    };
    // A peer gives up after this, so a wait that would follow the flood
    // ends too: far beyond the wait's time-out plus a loaded machine's delays.
    constexpr auto kFloodLength = std::chrono::seconds(10);
    constexpr auto kWait = std::chrono::milliseconds(200);
    constexpr auto kHangBound = kWait + std::chrono::seconds(2);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::atomic<bool> stop = false;
        ScriptedServer server([&](int client) {
            Bytes burst;
            for (int i = 0; i < 512; ++i)
                burst.insert(burst.end(), c.chunk.begin(), c.chunk.end());
            const auto end = std::chrono::steady_clock::now() + kFloodLength;
            while (!stop && std::chrono::steady_clock::now() < end
                   && ::send(client, burst.data(), burst.size(), MSG_NOSIGNAL) > 0) {
            }
        });
        busport::CBusPort port;
        int framed = 0;
        port.SetMessageObserver([&](std::span<const std::uint8_t>, bool) { ++framed; });
        ASSERT_FALSE(port.Open(server.Url("tcp"), {}));
        for (int wait = 0; wait < 3; ++wait) {
            const auto start = std::chrono::steady_clock::now();
            EXPECT_FALSE(port.WaitForEvent(kWait));
            EXPECT_LT(std::chrono::steady_clock::now() - start, kHangBound);
        }
        EXPECT_GT(port.BytesReceived(), 0u);
        EXPECT_EQ(framed > 0, c.messages > 0);
        stop = true;
        port.Close();
    }
}

} // namespace
