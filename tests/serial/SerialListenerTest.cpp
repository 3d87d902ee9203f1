#include "serial/RegisteredMessage.h"
#include "serial/SerialWnd.h"

#include "ProcessCounts.h"
#include "RecordingTarget.h"
#include "tests/support/PseudoTerminal.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>

#include <chrono>
#include <cstdlib>
#include <thread>

using namespace win32;

namespace {

using namespace std::chrono_literals;

// How long a test looks for a notification that must not come.
constexpr auto kQuietWindow = 150ms;

class SerialListenerTest : public ::testing::Test {
protected:
    LONG OpenPort(unsigned message = 0, LPARAM lParam = 12)
    {
        return port.Open(pty.Path(), &target, message, lParam, 512, 512);
    }

    PseudoTerminal pty;
    RecordingTarget target;
    CSerialWnd port;
};

TEST(Notification, PacksErrorsHighAndEventsLow)
{
    EXPECT_EQ(CSerialWnd::PackNotification(EV_RXCHAR, 0), 0x0001u);
    EXPECT_EQ(CSerialWnd::PackNotification(EV_ERR, 0), 0x0080u);
    EXPECT_EQ(CSerialWnd::PackNotification(EV_RXCHAR | EV_ERR, CE_FRAME), 0x00080081u);
    EXPECT_EQ(CSerialWnd::PackNotification(0x12345, 0xABCDE), 0xBCDE2345u);
}

TEST(Notification, DefaultMessageIsTheRegisteredName)
{
    EXPECT_EQ(CSerialWnd::s_defaultComMsg, RegisterMessageName("CSerialWnd_DefaultComMsg"));
    EXPECT_NE(CSerialWnd::s_defaultComMsg, 0u);
}

TEST_F(SerialListenerTest, ArrivalPostsTheDefaultMessageWithItsParameter)
{
    ASSERT_EQ(OpenPort(), 0);
    EXPECT_TRUE(port.IsListening());
    pty.Send("x");
    ASSERT_TRUE(target.WaitFor(1));
    const auto first = target.Received().front();
    EXPECT_EQ(first.message, CSerialWnd::s_defaultComMsg);
    EXPECT_EQ(first.wParam, EV_RXCHAR);
    EXPECT_EQ(first.lParam, 12);
}

TEST_F(SerialListenerTest, GivenMessageNumberIsPosted)
{
    ASSERT_EQ(OpenPort(0x8123, -5), 0);
    pty.Send("x");
    ASSERT_TRUE(target.WaitFor(1));
    EXPECT_EQ(target.Received().front().message, 0x8123u);
    EXPECT_EQ(target.Received().front().lParam, -5);
}

TEST_F(SerialListenerTest, UnreadDataIsReportedOncePerArrival)
{
    ASSERT_EQ(OpenPort(), 0);
    pty.Send("first");
    ASSERT_TRUE(target.WaitFor(1));
    std::this_thread::sleep_for(kQuietWindow);
    EXPECT_EQ(target.Count(), 1u) << "unread data must not be reported again";

    pty.Send("second");  // more bytes: a new arrival
    ASSERT_TRUE(target.WaitFor(2));

    char buffer[64];
    DWORD count = 0;
    ASSERT_EQ(port.Read(buffer, sizeof buffer, &count), 0);
    EXPECT_EQ(std::string(buffer, count), "firstsecond");
    pty.Send("third");  // reading handed input watching back
    ASSERT_TRUE(target.WaitFor(3));
    for (const auto& n : target.Received())
        EXPECT_EQ(n.wParam, EV_RXCHAR);
}

TEST_F(SerialListenerTest, ReadingEveryNotificationLosesNoByte)
{
    ASSERT_EQ(OpenPort(), 0);
    std::string received;
    const std::string sent = "0123456789abcdefghijklmnopqrstuvwxyz";
    for (char c : sent) {
        const size_t before = target.Count();
        pty.Send(std::string(1, c));
        ASSERT_TRUE(target.WaitFor(before + 1));
        char buffer[1024];
        DWORD count = 0;
        ASSERT_EQ(port.Read(buffer, sizeof buffer, &count, nullptr, INFINITE), 0);
        received.append(buffer, count);
    }
    EXPECT_EQ(received, sent);
}

// A flood read as the program reads it, 1024 bytes per notification: every
// byte arrives, in order, while more keeps coming.
TEST_F(SerialListenerTest, FloodIsReadWithoutLoss)
{
    ASSERT_EQ(OpenPort(), 0);
    constexpr size_t kFlood = 256 * 1024;
    std::vector<unsigned char> noise(kFlood);
    for (size_t i = 0; i < kFlood; ++i)
        noise[i] = static_cast<unsigned char>(i * 7);
    std::thread device([&] { pty.Send(noise); });

    std::vector<unsigned char> received;
    size_t handled = 0;
    while (received.size() < kFlood) {
        ASSERT_TRUE(target.WaitFor(handled + 1)) << "stalled at " << received.size();
        handled = target.Count();
        unsigned char buffer[1024];
        DWORD count = 0;
        ASSERT_EQ(port.Read(buffer, sizeof buffer, &count), 0);
        received.insert(received.end(), buffer, buffer + count);
    }
    device.join();
    EXPECT_EQ(received, noise);
    EXPECT_TRUE(port.IsListening());
}

TEST_F(SerialListenerTest, LineErrorsTravelInTheHighWord)
{
    std::atomic<long> frames {0};
    std::atomic<bool> badByteComing {false};
    port.SetLineCounterReader([&frames, &badByteComing](int fd, LineCounters& counters) {
        // The driver counts a framing error once it has received the bad byte
        // (not while the byte is still on its way, when the listener may look).
        int queued = 0;
        if (badByteComing && ::ioctl(fd, FIONREAD, &queued) == 0 && queued > 0) {
            frames = 1;
            badByteComing = false;
        }
        counters = {};
        counters.frame = frames;
        return 0;
    });
    // The mask set at open already holds EV_RXCHAR and EV_ERR. Setting it
    // again would wake the listener for a pass without events, and a byte
    // arriving just then would have its error cleared and dropped in that pass.
    ASSERT_EQ(OpenPort(), 0);
    badByteComing = true;
    pty.Send("x");
    ASSERT_TRUE(target.WaitFor(1));
    const auto n = target.Received().front();
    EXPECT_EQ(n.wParam & 0xFFFF, EV_RXCHAR | EV_ERR);
    EXPECT_EQ(n.wParam >> 16, CE_FRAME);

    // An error without data is seen too, where the driver counts errors.
    char buffer[8];
    port.Read(buffer, sizeof buffer);
    frames = 2;
    ASSERT_TRUE(target.WaitFor(2));
    EXPECT_EQ(target.Received().back().wParam, (CE_FRAME << 16) | EV_ERR);
}

TEST_F(SerialListenerTest, EventsOutsideTheMaskAndMaskChangesPostNothing)
{
    ASSERT_EQ(OpenPort(), 0);
    ASSERT_EQ(port.SetMask(EV_ERR), 0);
    pty.Send("ignored");
    ASSERT_EQ(port.SetMask(EV_ERR | EV_BREAK), 0);
    std::this_thread::sleep_for(kQuietWindow);
    EXPECT_EQ(target.Count(), 0u);
    EXPECT_TRUE(port.IsListening());
}

TEST_F(SerialListenerTest, StartingTwiceKeepsOneThread)
{
    ASSERT_EQ(OpenPort(), 0);
    const int threads = Threads();
    EXPECT_EQ(port.StartListening(), 0);
    EXPECT_EQ(Threads(), threads);
    EXPECT_EQ(port.StopListening(100), 0);
    EXPECT_EQ(Threads(), threads - 1) << "a finite stop still ends the thread";
    EXPECT_FALSE(port.IsListening());
    EXPECT_TRUE(port.IsOpen());
}

TEST_F(SerialListenerTest, SecondOpenKeepsTargetAndListener)
{
    ASSERT_EQ(OpenPort(0, 12), 0);
    RecordingTarget other;
    EXPECT_EQ(port.Open(pty.Path(), &other, 0x9000, 99, 512, 512), ERROR_ALREADY_INITIALIZED);
    pty.Send("x");
    ASSERT_TRUE(target.WaitFor(1));
    EXPECT_EQ(target.Received().front().lParam, 12);
    EXPECT_EQ(other.Count(), 0u);
}

TEST_F(SerialListenerTest, FailedOpenPostsNothingAndStartsNoThread)
{
    const int threads = Threads();
    EXPECT_EQ(port.Open("/nonexistent/ttyUSB0", &target, 0, 12, 512, 512), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(port.IsListening());
    EXPECT_EQ(Threads(), threads);
}

TEST_F(SerialListenerTest, NullTargetListensAndPostsNowhere)
{
    ASSERT_EQ(port.Open(pty.Path(), nullptr, 0, 12, 512, 512), 0);
    pty.Send("x");
    EXPECT_TRUE(port.IsListening());
    EXPECT_EQ(port.Close(), 0);
}

TEST_F(SerialListenerTest, BytesThatCameWithAHangUpAreAnnouncedBeforeTheEnd)
{
    // A pseudo-terminal loses its input with the hang-up; this driver, like
    // many a USB adapter, still holds three bytes that came with it.
    serial_line::LineDriver driver;
    driver.inputWaiting = [](int fd, int& count) {
        if (serial_line::BytesWaiting(fd, count) != 0)
            count = 3;
        return 0;
    };
    port.SetLineDriver(driver);
    ASSERT_EQ(OpenPort(), 0);
    pty.CloseMaster();
    ASSERT_TRUE(Eventually([&] { return !port.IsListening(); }));
    EXPECT_EQ(port.GetListenerResult(), ERROR_GEN_FAILURE);
    ASSERT_EQ(target.Count(), 1u);
    EXPECT_EQ(target.Received().front().wParam, EV_RXCHAR);
}

// The owner takes line errors while the listener takes them on its passes.
// Under ThreadSanitizer this shows the counters are shared safely.
TEST_F(SerialListenerTest, LineErrorsCanBeClearedWhileListening)
{
    std::atomic<long> frames {0};
    port.SetLineCounterReader([&frames](int, LineCounters& counters) {
        counters = {};
        counters.frame = ++frames;
        return 0;
    });
    ASSERT_EQ(OpenPort(), 0);
    // Every pass of the listener finds a new error and posts it.
    while (target.Count() < 5)
        port.ClearLineErrors();
    EXPECT_TRUE(port.IsListening());
}

TEST_F(SerialListenerTest, PeerGoneEndsTheListenerWithAnError)
{
    ASSERT_EQ(OpenPort(), 0);
    pty.CloseMaster();
    ASSERT_TRUE(Eventually([&] { return !port.IsListening(); }));
    EXPECT_EQ(port.GetListenerResult(), ERROR_GEN_FAILURE);
    EXPECT_TRUE(port.IsOpen());
    std::this_thread::sleep_for(kQuietWindow);
    EXPECT_EQ(target.Count(), 0u);
    EXPECT_EQ(port.Close(), 0);
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(SerialListenerTest, ReadAfterCloseFindsThePortClosed)
{
    ASSERT_EQ(OpenPort(), 0);
    pty.Send("x");
    ASSERT_TRUE(target.WaitFor(1));
    port.Close();
    char buffer[16];
    DWORD count = 5;
    EXPECT_EQ(port.Read(buffer, sizeof buffer, &count), ERROR_INVALID_HANDLE);
    EXPECT_EQ(count, 0u);
}

// Learns when the thread that posted to it has ended: a thread-local object
// of that thread is destroyed as it ends.
class ThreadEndWitness : public RecordingTarget {
public:
    bool Post(unsigned message, std::uint32_t wParam, std::intptr_t lParam) override
    {
        thread_local EndFlag flag;
        flag.ended = &m_posterEnded;
        return RecordingTarget::Post(message, wParam, lParam);
    }
    bool PosterEnded() const { return m_posterEnded; }

private:
    struct EndFlag {
        std::atomic<bool>* ended = nullptr;
        ~EndFlag()
        {
            if (ended)
                *ended = true;
        }
    };
    std::atomic<bool> m_posterEnded {false};
};

TEST_F(SerialListenerTest, DestroyingAListeningPortStopsItsThread)
{
    ThreadEndWitness witness;
    {
        CSerialWnd local;
        ASSERT_EQ(local.Open(pty.Path(), &witness, 0, 0, 0, 0), 0);
        pty.Send("x");
        ASSERT_TRUE(witness.WaitFor(1));
        EXPECT_FALSE(witness.PosterEnded());
    }
    EXPECT_TRUE(witness.PosterEnded());
}

TEST_F(SerialListenerTest, StartListeningOnAClosedPortIsRefused)
{
    EXPECT_EQ(port.StartListening(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(port.IsListening());
}

// Open, listen and close many times while data flows: no thread and no
// descriptor may be left behind.
TEST_F(SerialListenerTest, CyclesLeaveNothingBehind)
{
    int cycles = 1000;
    if (const char* text = std::getenv("BRENVIK_LISTENER_CYCLES"))
        cycles = std::max(1, std::atoi(text));
    // One cycle before counting: a sanitizer starts a helper thread of its
    // own with the first thread the process creates.
    ASSERT_EQ(OpenPort(), 0);
    ASSERT_EQ(port.Close(), 0);
    const int descriptors = OpenDescriptors();
    const int threads = Threads();
    for (int i = 0; i < cycles; ++i) {
        ASSERT_EQ(OpenPort(), 0) << "cycle " << i;
        if (i % 4 == 0)
            pty.Send("ab");
        if (i % 8 == 0)
            port.SetMask(EV_RXCHAR | EV_ERR);
        ASSERT_EQ(port.Close(), 0);
    }
    EXPECT_EQ(OpenDescriptors(), descriptors);
    EXPECT_EQ(Threads(), threads);
}

}  // namespace
