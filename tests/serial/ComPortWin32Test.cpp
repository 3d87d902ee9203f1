// The Win32 COM back-end against real ports, under Wine or on Windows. A
// runner (scripts/test-windows, its serial part) provides three ports by environment:
// BRENVIK_TEST_COM, the transceiver simulator at 57600 baud;
// BRENVIK_TEST_STALLED_COM, a port whose other end never reads (only the
// write time-out uses it: its full queue would hold up a later open);
// BRENVIK_TEST_HANGUP_COM, a port whose other end hangs up at its first byte.
#include "bus/GroupMessage.h"
#include "bus/GroupRequests.h"
#include "serial/ProbePort.h"
#include "serial/SerialWnd.h"
#include "tests/serial/PendingWaitCheck.h"
#include "tests/serial/RecordingTarget.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

using namespace win32;

namespace {

// The line Wine can run on a pseudo-terminal (it sets only standard rates there).
constexpr DWORD kBaud = 57600;
// No port of that number exists: the runner gives COM1-20 to the program,
// COM21 to the machine's console.
constexpr const char* kMissingPort = "COM22";

bool RunsUnderWine()
{
    const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

std::string PortFrom(const char* variable)
{
    const char* value = std::getenv(variable);
    return value ? value : "";
}

class ComPortWin32Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (simulator.empty() || stalled.empty() || hangup.empty())
            GTEST_SKIP() << "BRENVIK_TEST_COM, BRENVIK_TEST_STALLED_COM and BRENVIK_TEST_HANGUP_COM name no ports";
    }

    // Opens `port` at the test's line.
    static LONG OpenAtTestLine(CSerialLine& line, const std::string& port)
    {
        if (LONG opened = line.Open(port.c_str(), 512, 512, true))
            return opened;
        return line.Setup(kBaud, 8, NOPARITY, ONESTOPBIT);
    }

    // Reads until `count` bytes came or a wait runs out.
    static std::vector<std::uint8_t> ReadBytes(CSerialLine& line, size_t count)
    {
        std::vector<std::uint8_t> bytes;
        while (bytes.size() < count && line.WaitForPortEvent(nullptr, 5000) == 0) {
            std::uint8_t buffer[64];
            DWORD got = 0;
            if (line.Read(buffer, sizeof buffer, &got) != 0)
                break;
            bytes.insert(bytes.end(), buffer, buffer + got);
        }
        return bytes;
    }

    const std::string simulator = PortFrom("BRENVIK_TEST_COM");
    const std::string stalled = PortFrom("BRENVIK_TEST_STALLED_COM");
    const std::string hangup = PortFrom("BRENVIK_TEST_HANGUP_COM");
    CSerialLine line;
};

TEST_F(ComPortWin32Test, OpenIsExclusiveAndMissingPortsAreNamed)
{
    ASSERT_EQ(line.Open(simulator.c_str(), 512, 512, true), 0);
    EXPECT_TRUE(line.IsOpen());
    CSerialLine second;
    // Wine opens a COM port a second time although the first open shares
    // nothing; Windows refuses it.
    if (!RunsUnderWine()) {
        EXPECT_EQ(second.Open(simulator.c_str(), 512, 512, true), ERROR_ACCESS_DENIED);
        EXPECT_EQ(second.GetLastSystemError().value(), ERROR_ACCESS_DENIED);
        EXPECT_FALSE(second.IsOpen());
        EXPECT_EQ(ProbePort(simulator.c_str()), PortBusy);
    }
    EXPECT_EQ(second.Open(kMissingPort, 512, 512, true), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(second.GetLastSystemError().value(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(second.IsOpen());
    EXPECT_EQ(ProbePort(kMissingPort), PortAbsent);
    line.Close();
    EXPECT_EQ(ProbePort(simulator.c_str()), PortFree);
}

TEST_F(ComPortWin32Test, TheLineReadsBackAsSetAndARateThePortMissesIsUndone)
{
    ASSERT_EQ(OpenAtTestLine(line, simulator), 0);
    EXPECT_EQ(line.GetBaudRate(), int(kBaud));
    EXPECT_EQ(line.GetByteSize(), 8);
    EXPECT_EQ(line.GetParity(), NOPARITY);
    EXPECT_EQ(line.GetStopBits(), ONESTOPBIT);
    for (int mode : {CSerialLine::HandshakeRtsDtr, CSerialLine::HandshakeXonXoff, CSerialLine::HandshakeNone}) {
        EXPECT_EQ(line.SetHandshake(mode), 0) << mode;
        EXPECT_EQ(line.GetHandshake(), mode);
    }
    // Wine sets the bus's 16457 baud on a pseudo-terminal as 38400: the line
    // must refuse it rather than run at the wrong speed.
    EXPECT_EQ(line.Setup(16457, 8, NOPARITY, ONESTOPBIT), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(line.GetBaudRate(), int(kBaud));
}

TEST_F(ComPortWin32Test, GetIsEchoedAndAnsweredAndSetIsEchoed)
{
    ASSERT_EQ(OpenAtTestLine(line, simulator), 0);
    const bus::GroupMessageBytes request = bus::PackGroupMessage(bus::MakeSettingsRequest());
    DWORD written = 0;
    ASSERT_EQ(line.Write(request.data(), DWORD(request.size()), &written, nullptr, 2000), 0);
    EXPECT_EQ(written, request.size());
    const std::vector<std::uint8_t> answer = ReadBytes(line, 2 * request.size());
    ASSERT_EQ(answer.size(), 2 * request.size());
    EXPECT_TRUE(std::equal(request.begin(), request.end(), answer.begin())) << "the echo comes first";
    EXPECT_EQ(answer[20], 0xE5);
    EXPECT_EQ(answer[21], 0x14);
    EXPECT_EQ(answer[23], 0x10) << "a reply";

    const bus::GroupMessageBytes name = bus::PackGroupMessage(bus::MakeNameWrite("Wine"));
    ASSERT_EQ(line.Write(name.data(), DWORD(name.size()), &written, nullptr, 2000), 0);
    const std::vector<std::uint8_t> echo = ReadBytes(line, name.size());
    EXPECT_TRUE(std::equal(name.begin(), name.end(), echo.begin(), echo.end()));
}

TEST_F(ComPortWin32Test, TransfersThatRunOutOfTimeAreCancelledAndCountWhatMoved)
{
    ASSERT_EQ(OpenAtTestLine(line, stalled), 0);
    const std::vector<char> block(1 << 20, 'x');
    DWORD written = 0;
    EXPECT_EQ(line.Write(block.data(), DWORD(block.size()), &written, nullptr, 100), ERROR_TIMEOUT);
    EXPECT_LT(written, block.size());

    // A read that waits for all it asked for, on a line that stays quiet.
    CSerialLine quiet;
    ASSERT_EQ(OpenAtTestLine(quiet, simulator), 0);
    ASSERT_EQ(quiet.SetReadTimeoutMode(CSerialLine::ReadModeWaitAll), 0);
    char buffer[20];
    DWORD got = 1;
    EXPECT_EQ(quiet.Read(buffer, sizeof buffer, &got, nullptr, 100), ERROR_TIMEOUT);
    EXPECT_EQ(got, 0u);
    // The next read finds the port usable: the cancelled one is over.
    ASSERT_EQ(quiet.SetReadTimeoutMode(CSerialLine::ReadModeImmediate), 0);
    EXPECT_EQ(quiet.Read(buffer, sizeof buffer, &got), 0);
    EXPECT_EQ(got, 0u);
}

TEST_F(ComPortWin32Test, SetMaskOrCloseFromAnotherThreadEndsAPendingWait)
{
    // The simulator says nothing unasked.
    ExpectSetMaskAndCloseEndAPendingWait([&](CSerialLine& waiting) { return OpenAtTestLine(waiting, simulator); });
}

class ListeningPort : public CSerialWnd {
public:
    ~ListeningPort() override { Close(); }
};

TEST_F(ComPortWin32Test, TheListenerPostsArrivalsAndStopsOnClose)
{
    RecordingTarget target;
    ListeningPort port;
    ASSERT_EQ(port.Open(simulator.c_str(), &target, 0, 12, 512, 512), 0);
    ASSERT_EQ(port.Setup(kBaud, 8, NOPARITY, ONESTOPBIT), 0);
    ASSERT_EQ(port.SetMask(EV_RXCHAR | EV_ERR), 0);
    // A write that is only echoed: once the echo is read, the line is quiet.
    const bus::GroupMessageBytes name = bus::PackGroupMessage(bus::MakeNameWrite("Wine"));
    ASSERT_EQ(port.Write(name.data(), DWORD(name.size()), nullptr, nullptr, 2000), 0);
    ASSERT_TRUE(target.WaitFor(1));
    EXPECT_EQ(target.Received().front().wParam & 0xFFFFu, EV_RXCHAR);
    EXPECT_EQ(target.Received().front().lParam, 12);
    size_t echoed = 0;
    EXPECT_TRUE(Eventually([&] {
        char buffer[32];
        DWORD got = 0;
        port.Read(buffer, sizeof buffer, &got);
        return (echoed += got) >= name.size();
    }));
    EXPECT_TRUE(port.IsListening());
    EXPECT_EQ(port.Close(), 0);
    EXPECT_FALSE(port.IsListening());
}

TEST_F(ComPortWin32Test, APortThatVanishesEndsTheListenerAndFailsTransfers)
{
    RecordingTarget target;
    ListeningPort port;
    ASSERT_EQ(port.Open(hangup.c_str(), &target, 0, 12, 512, 512), 0);
    ASSERT_EQ(port.Setup(kBaud, 8, NOPARITY, ONESTOPBIT), 0);
    ASSERT_EQ(port.WriteString("x", nullptr, nullptr, 2000), 0);  // the other end hangs up
    ASSERT_TRUE(Eventually([&] { return !port.IsListening(); }, std::chrono::seconds(10)));
    EXPECT_NE(port.GetListenerResult(), 0);
    char buffer[8];
    DWORD got = 0;
    EXPECT_NE(port.WriteString("y", nullptr, nullptr, 500), 0);
    EXPECT_EQ(port.Close(), 0);
    EXPECT_EQ(port.Read(buffer, sizeof buffer, &got), ERROR_INVALID_HANDLE);
    EXPECT_EQ(got, 0u);
}

}  // namespace
