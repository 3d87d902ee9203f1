#include "serial/SerialLine.h"

#include "tests/serial/PendingWaitCheck.h"
#include "tests/support/PseudoTerminal.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <cerrno>
#include <cstring>
#include <future>
#include <string>
#include <thread>
#include <vector>

using namespace win32;

namespace {

class SerialLineTest : public ::testing::Test {
protected:
    PseudoTerminal pty;
    CSerialLine line;
};

TEST_F(SerialLineTest, MissingDeviceGivesFileNotFoundAndStaysClosed)
{
    EXPECT_EQ(line.Open("/nonexistent/ttyUSB9", 512, 512, true), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(line.IsOpen());
    EXPECT_EQ(line.GetLastError(), ERROR_FILE_NOT_FOUND);
    // Stored port numbers outside 1-20 without a mapping reach no device.
    for (const char* name : {"\\\\.\\COM0", "\\\\.\\COM-1", "\\\\.\\COM21"}) {
        EXPECT_EQ(line.Open(name, 512, 512, true), ERROR_FILE_NOT_FOUND) << name;
        EXPECT_FALSE(line.IsOpen());
    }
}

TEST_F(SerialLineTest, SecondOpenIsRefusedAndLeavesThePortAsItWas)
{
    ASSERT_EQ(line.Open(pty.Path(), 512, 512, true), 0);
    ASSERT_EQ(line.Setup(16457, 8, NOPARITY, ONESTOPBIT), 0);
    EXPECT_EQ(line.Open("/nonexistent/tty", 0, 0, true), ERROR_ALREADY_INITIALIZED);
    EXPECT_TRUE(line.IsOpen());
    EXPECT_EQ(line.GetBaudRate(), 16457);
}

TEST_F(SerialLineTest, PortHeldElsewhereGivesAccessDenied)
{
    ASSERT_EQ(line.Open(pty.Path(), 0, 0, true), 0);
    CSerialLine other;
    EXPECT_EQ(other.Open(pty.Path(), 0, 0, true), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(other.IsOpen());
    line.Close();
    EXPECT_EQ(other.Open(pty.Path(), 0, 0, true), 0);

    // Another program's lock counts the same.
    other.Close();
    int foreign = ::open(pty.Path(), O_RDWR | O_NOCTTY);
    ASSERT_GE(foreign, 0);
    ASSERT_EQ(::flock(foreign, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(line.Open(pty.Path(), 0, 0, true), ERROR_ACCESS_DENIED);
    ::close(foreign);
}

TEST_F(SerialLineTest, AFailureKeepsTheSystemsReasonAndSuccessClearsIt)
{
    char plainFile[] = "/tmp/brenvik-serial-XXXXXX";
    const int file = ::mkstemp(plainFile);
    ASSERT_GE(file, 0);
    ::close(file);
    CSerialLine holder;
    struct Row {
        const char* name;
        std::string device;
        bool held;
        LONG code;
        int systemError;
    };
    const Row rows[] = {
        {"missing device", "/nonexistent/ttyUSB9", false, ERROR_FILE_NOT_FOUND, ENOENT},
        {"held by another line", pty.SlavePath(), true, ERROR_ACCESS_DENIED, EWOULDBLOCK},
        {"not a terminal", plainFile, false, ERROR_INVALID_FUNCTION, ENOTTY},
        {"a free port", pty.SlavePath(), false, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.held) {
            ASSERT_EQ(holder.Open(pty.Path(), 0, 0, true), 0);
        }
        EXPECT_EQ(line.Open(row.device.c_str(), 0, 0, true), row.code);
        EXPECT_EQ(line.GetLastSystemError().value(), row.systemError);
        holder.Close();
    }
    // A refusal of the layer's own has no system reason.
    line.Close();
    EXPECT_EQ(line.SetMask(EV_RXCHAR), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(line.GetLastSystemError());
    ::unlink(plainFile);
}

TEST_F(SerialLineTest, CloseIsHarmlessWhenClosed)
{
    EXPECT_EQ(line.Close(), 0);
    ASSERT_EQ(line.Open(pty.Path(), 0, 0, true), 0);
    EXPECT_EQ(line.Close(), 0);
    EXPECT_EQ(line.Close(), 0);
    EXPECT_FALSE(line.IsOpen());
}

TEST_F(SerialLineTest, ClosedObjectRefusesEveryOperation)
{
    ASSERT_EQ(line.Open(pty.Path(), 0, 0, true), 0);
    ASSERT_EQ(line.SetMask(EV_RXCHAR), 0);
    line.Close();

    DWORD count = 77;
    char buffer[8];
    EXPECT_EQ(line.Read(buffer, sizeof buffer, &count), ERROR_INVALID_HANDLE);
    EXPECT_EQ(count, 0u);
    count = 77;
    EXPECT_EQ(line.Write("x", 1, &count), ERROR_INVALID_HANDLE);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(line.GetMask(), 0u);
    EXPECT_EQ(line.GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(line.GetBaudRate(), -1);
    EXPECT_EQ(line.GetParity(), -1);
    EXPECT_EQ(line.GetHandshake(), -1);
    EXPECT_EQ(line.GetEvtChar(), '\0');
    EXPECT_EQ(line.Setup(9600, 8, 0, 0), ERROR_INVALID_HANDLE);
    EXPECT_EQ(line.SetHandshake(CSerialLine::HandshakeNone), ERROR_INVALID_HANDLE);
    EXPECT_EQ(line.WaitForPortEvent(nullptr, 10), ERROR_INVALID_HANDLE);
}

TEST_F(SerialLineTest, LineSettingsReadBackWhatTheDriverHolds)
{
    ASSERT_EQ(line.Open(pty.Path(), 512, 512, true), 0);
    ASSERT_EQ(line.Setup(16457, 8, NOPARITY, ONESTOPBIT), 0);
    EXPECT_EQ(line.GetBaudRate(), 16457);
    EXPECT_EQ(line.GetByteSize(), 8);
    EXPECT_EQ(line.GetParity(), NOPARITY);
    EXPECT_EQ(line.GetStopBits(), ONESTOPBIT);

    ASSERT_EQ(line.Setup(115200, 8, NOPARITY, TWOSTOPBITS), 0);
    EXPECT_EQ(line.GetBaudRate(), 115200);
    EXPECT_EQ(line.GetStopBits(), TWOSTOPBITS);
}

TEST_F(SerialLineTest, SettingsTheDriverDoesNotTakeAreRefusedAndUndone)
{
    // A pseudo-terminal keeps 8 data bits and no parity whatever it is told.
    ASSERT_EQ(line.Open(pty.Path(), 0, 0, true), 0);
    ASSERT_EQ(line.Setup(16457, 8, NOPARITY, ONESTOPBIT), 0);
    EXPECT_EQ(line.Setup(9600, 7, NOPARITY, TWOSTOPBITS), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(line.Setup(9600, 8, MARKPARITY, TWOSTOPBITS), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(line.GetBaudRate(), 16457);
    EXPECT_EQ(line.GetByteSize(), 8);
    EXPECT_EQ(line.GetParity(), NOPARITY);
    EXPECT_EQ(line.GetStopBits(), ONESTOPBIT);
}

TEST_F(SerialLineTest, RefusedSettingsLeaveTheLineUnchanged)
{
    ASSERT_EQ(line.Open(pty.Path(), 0, 0, true), 0);
    ASSERT_EQ(line.Setup(16457, 8, NOPARITY, ONESTOPBIT), 0);
    ASSERT_EQ(line.SetHandshake(CSerialLine::HandshakeXonXoff), 0);

    EXPECT_EQ(line.Setup(9600, 8, NOPARITY, ONE5STOPBITS), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(line.Setup(9600, 9, NOPARITY, ONESTOPBIT), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(line.Setup(9600, 4, NOPARITY, ONESTOPBIT), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(line.Setup(9600, 8, 5, ONESTOPBIT), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(line.Setup(0, 8, NOPARITY, ONESTOPBIT), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(line.SetHandshake(3), E_INVALIDARG);
    EXPECT_EQ(line.GetLastError(), E_INVALIDARG);
    EXPECT_EQ(line.SetReadTimeoutMode(2), E_INVALIDARG);

    EXPECT_EQ(line.GetBaudRate(), 16457);
    EXPECT_EQ(line.GetByteSize(), 8);
    EXPECT_EQ(line.GetStopBits(), ONESTOPBIT);
    EXPECT_EQ(line.GetHandshake(), CSerialLine::HandshakeXonXoff);
    // Still immediate: a read returns at once.
    DWORD count = 1;
    char byte;
    EXPECT_EQ(line.Read(&byte, 1, &count), 0);
    EXPECT_EQ(count, 0u);
}

TEST_F(SerialLineTest, HandshakeModesRoundTrip)
{
    ASSERT_EQ(line.Open(pty.Path(), 0, 0, true), 0);
    for (int mode : {CSerialLine::HandshakeRtsDtr, CSerialLine::HandshakeXonXoff, CSerialLine::HandshakeNone}) {
        EXPECT_EQ(line.SetHandshake(mode), 0);
        EXPECT_EQ(line.GetHandshake(), mode);
    }
}

TEST_F(SerialLineTest, EventCharacterAndMask)
{
    ASSERT_EQ(line.Open(pty.Path(), 0, 0, true), 0);
    EXPECT_EQ(line.GetMask(), EV_RXCHAR | EV_BREAK | EV_ERR);
    ASSERT_EQ(line.SetMask(EV_RXCHAR | EV_ERR), 0);
    EXPECT_EQ(line.SetEvtChar('\x7e', true), 0);
    EXPECT_EQ(line.GetEvtChar(), '\x7e');
    EXPECT_EQ(line.GetMask(), EV_RXCHAR | EV_ERR | EV_RXFLAG);
    EXPECT_EQ(line.SetEvtChar('\x0a', false), 0);
    EXPECT_EQ(line.GetEvtChar(), '\x0a');
}

TEST_F(SerialLineTest, ImmediateReadReturnsAtOnceEvenWithInfiniteTimeout)
{
    ASSERT_EQ(line.Open(pty.Path(), 512, 512, true), 0);
    char buffer[1024];
    DWORD count = 99;
    EXPECT_EQ(line.Read(buffer, sizeof buffer, &count, nullptr, INFINITE), 0);
    EXPECT_EQ(count, 0u);

    pty.Send("hello");
    ASSERT_EQ(line.WaitForPortEvent(nullptr, 10000), 0);
    EXPECT_EQ(line.Read(buffer, sizeof buffer, &count, nullptr, INFINITE), 0);
    EXPECT_EQ(std::string(buffer, count), "hello");
}

TEST_F(SerialLineTest, StaleInputIsDiscardedOnOpen)
{
    ASSERT_EQ(line.Open(pty.Path(), 0, 0, true), 0);
    line.Close();
    pty.Send("left over");
    ASSERT_EQ(line.Open(pty.Path(), 0, 0, true), 0);
    char buffer[64];
    DWORD count = 1;
    EXPECT_EQ(line.Read(buffer, sizeof buffer, &count), 0);
    EXPECT_EQ(count, 0u);
}

TEST_F(SerialLineTest, WaitAllReadIsBoundedByItsTimeoutAndKeepsWhatArrived)
{
    ASSERT_EQ(line.Open(pty.Path(), 0, 0, true), 0);
    ASSERT_EQ(line.SetReadTimeoutMode(CSerialLine::ReadModeWaitAll), 0);
    pty.Send("abc");
    char buffer[8];
    DWORD count = 0;
    EXPECT_EQ(line.Read(buffer, 8, &count, nullptr, 100), ERROR_TIMEOUT);
    EXPECT_EQ(std::string(buffer, count), "abc");

    pty.Send("12345678");
    EXPECT_EQ(line.Read(buffer, 8, &count, nullptr, 10000), 0);
    EXPECT_EQ(std::string(buffer, count), "12345678");
}

TEST_F(SerialLineTest, WriteThePeerNeverTakesTimesOut)
{
    ASSERT_EQ(line.Open(pty.Path(), 0, 0, true), 0);
    const std::vector<char> block(1 << 20, 'x');
    DWORD written = 0;
    EXPECT_EQ(line.Write(block.data(), static_cast<DWORD>(block.size()), &written, nullptr, 50), ERROR_TIMEOUT);
    EXPECT_GT(written, 0u);
    EXPECT_LT(written, block.size());
}

// Reads `count` bytes from the device side; fewer if none come for a
// generous watchdog.
std::vector<unsigned char> ReadFromDevice(const PseudoTerminal& pty, size_t count)
{
    std::vector<unsigned char> bytes(count);
    size_t got = 0;
    pollfd entry {pty.Master(), POLLIN, 0};
    while (got < count && ::poll(&entry, 1, 5000) == 1) {
        const ssize_t n = ::read(pty.Master(), bytes.data() + got, count - got);
        if (n <= 0)
            break;
        got += size_t(n);
    }
    bytes.resize(got);
    return bytes;
}

TEST_F(SerialLineTest, ATimedOutWriteDiscardsWhatIsStillQueuedAndCountsWhatLeft)
{
    // A driver that still holds 100 of the bytes it took when the time runs
    // out. Its flush is only recorded, so that the test can count what the
    // driver took.
    constexpr int kStillQueued = 100;
    bool flushed = false;
    serial_line::LineDriver driver;
    driver.outputQueued = [](int, int& count) {
        count = kStillQueued;
        return 0;
    };
    driver.flushOutput = [&flushed](int) {
        flushed = true;
        return 0;
    };
    line.SetLineDriver(driver);
    ASSERT_EQ(line.Open(pty.Path(), 0, 0, true), 0);
    const std::vector<char> block(1 << 20, 'x');
    DWORD written = 0;
    EXPECT_EQ(line.Write(block.data(), DWORD(block.size()), &written, nullptr, 50), ERROR_TIMEOUT);
    EXPECT_TRUE(flushed);
    ASSERT_GT(written, 0u);
    EXPECT_EQ(ReadFromDevice(pty, written + kStillQueued).size(), written + kStillQueued)
        << "the count leaves out what was still queued";
}

// A driver that runs at the rate of its own table nearest to the one asked.
serial_line::LineDriver RoundingDriver(std::vector<std::uint32_t> table)
{
    serial_line::LineDriver driver;
    driver.readParams = [table](int fd, serial_line::LineParams& params) {
        const int err = serial_line::ReadLineParams(fd, params);
        const auto off = [&](std::uint32_t rate) { return std::abs(double(rate) - params.baudRate); };
        params.baudRate = *std::min_element(table.begin(), table.end(),
                                            [&](std::uint32_t a, std::uint32_t b) { return off(a) < off(b); });
        return err;
    };
    return driver;
}

TEST_F(SerialLineTest, ADriverThatDoesNotFollowGetsItsOldSettingsBack)
{
    struct Row {
        const char* name;
        std::vector<std::uint32_t> table;
        LONG code;
        int rateAfter;
    };
    const Row rows[] = {
        {"rounds 16457 to 19200 (17 % off)", {9600, 19200, 38400}, ERROR_INVALID_PARAMETER, 9600},
        {"divides down to 16393 (0.4 % off)", {9600, 16393, 19200}, 0, 16393},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CSerialLine adapter;
        adapter.SetLineDriver(RoundingDriver(row.table));
        ASSERT_EQ(adapter.Open(pty.Path(), 0, 0, true), 0);
        ASSERT_EQ(adapter.Setup(9600, 8, NOPARITY, ONESTOPBIT), 0);
        EXPECT_EQ(adapter.Setup(16457, 8, NOPARITY, ONESTOPBIT), row.code);
        EXPECT_EQ(adapter.GetBaudRate(), row.rateAfter);
    }

    // Modem lines that fail after the flow control was written.
    serial_line::LineDriver noModemLines;
    noModemLines.setModemLines = [](int, bool, bool) { return EIO; };
    line.SetLineDriver(noModemLines);
    ASSERT_EQ(line.Open(pty.Path(), 0, 0, true), 0);
    EXPECT_EQ(line.SetHandshake(CSerialLine::HandshakeRtsDtr), ERROR_GEN_FAILURE);
    EXPECT_EQ(line.GetLastSystemError().value(), EIO);
    EXPECT_EQ(line.GetHandshake(), CSerialLine::HandshakeNone);
}

TEST_F(SerialLineTest, SetMaskOrCloseFromAnotherThreadEndsAPendingWait)
{
    ExpectSetMaskAndCloseEndAPendingWait([&](CSerialLine& waiting) { return waiting.Open(pty.Path(), 0, 0, true); });
}

TEST_F(SerialLineTest, AWaitReportsNewArrivalsOnly)
{
    ASSERT_EQ(line.Open(pty.Path(), 0, 0, true), 0);
    pty.Send("abc");
    ASSERT_EQ(line.WaitForPortEvent(nullptr, 10000), 0);
    EXPECT_EQ(line.GetPendingEvents(), EV_RXCHAR);
    EXPECT_EQ(line.WaitForPortEvent(nullptr, 50), ERROR_TIMEOUT) << "unread bytes are no new arrival";

    pty.Send("d");
    ASSERT_EQ(line.WaitForPortEvent(nullptr, 10000), 0);
    EXPECT_EQ(line.GetPendingEvents(), EV_RXCHAR);
    char buffer[2];
    DWORD count = 0;
    ASSERT_EQ(line.Read(buffer, sizeof buffer, &count), 0);  // "cd" still waits
    EXPECT_EQ(line.WaitForPortEvent(nullptr, 50), ERROR_TIMEOUT);
    pty.Send("e");
    ASSERT_EQ(line.WaitForPortEvent(nullptr, 10000), 0);
    EXPECT_EQ(line.GetPendingEvents(), EV_RXCHAR);
}

TEST_F(SerialLineTest, WrittenBytesReachThePeer)
{
    ASSERT_EQ(line.Open(pty.Path(), 0, 0, true), 0);
    DWORD written = 0;
    ASSERT_EQ(line.WriteString("Get ", &written, nullptr, 2000), 0);
    EXPECT_EQ(written, 4u);
    char buffer[8] = {};
    ASSERT_EQ(::read(pty.Master(), buffer, sizeof buffer), 4);
    EXPECT_STREQ(buffer, "Get ");

    written = 9;
    EXPECT_EQ(line.WriteString("", &written), 0);
    EXPECT_EQ(written, 0u);
}

TEST_F(SerialLineTest, NonOverlappedPortRefusesTimeoutsAndRecords)
{
    ASSERT_EQ(line.Open(pty.Path(), 0, 0, false), 0);
    char buffer[16];
    DWORD count = 5;
    EXPECT_EQ(line.Read(buffer, sizeof buffer, &count, nullptr, 2000), ERROR_INVALID_FUNCTION);
    EXPECT_EQ(count, 0u);
    OVERLAPPED record;
    EXPECT_EQ(line.Write("x", 1, &count, &record, INFINITE), ERROR_INVALID_FUNCTION);
    EXPECT_EQ(line.WaitForPortEvent(nullptr, 100), ERROR_INVALID_FUNCTION);
    EXPECT_EQ(line.Write("x", 1, &count, nullptr, INFINITE), 0);
    EXPECT_EQ(count, 1u);
}

TEST_F(SerialLineTest, CallersOverlappedRecordIsRefusedInEitherMode)
{
    ASSERT_EQ(line.Open(pty.Path(), 0, 0, true), 0);
    OVERLAPPED record;
    DWORD count = 3;
    char buffer[4];
    EXPECT_EQ(line.Read(buffer, 4, &count, &record, 100), ERROR_INVALID_FUNCTION);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(line.WaitForPortEvent(&record, INFINITE), ERROR_INVALID_FUNCTION);
}

TEST_F(SerialLineTest, VanishedDeviceFailsTransfersAndWaits)
{
    ASSERT_EQ(line.Open(pty.Path(), 0, 0, true), 0);
    pty.CloseMaster();
    char buffer[16];
    DWORD count = 0;
    EXPECT_EQ(line.Read(buffer, sizeof buffer, &count), ERROR_GEN_FAILURE);
    EXPECT_EQ(line.Write("x", 1, &count, nullptr, 1000), ERROR_GEN_FAILURE);
    EXPECT_EQ(line.WaitForPortEvent(nullptr, 1000), ERROR_GEN_FAILURE);
    EXPECT_EQ(line.Close(), 0);
}

// A pseudo-terminal loses its input with the hang-up; this driver, like
// many a USB adapter, still holds three bytes that came with it.
serial_line::LineDriver KeepsBytesAtHangUp()
{
    serial_line::LineDriver driver;
    driver.inputWaiting = [](int fd, int& count) {
        if (serial_line::BytesWaiting(fd, count) != 0)
            count = 3;
        return 0;
    };
    return driver;
}

TEST_F(SerialLineTest, BytesThatCameWithAHangUpAreReportedBeforeTheEnd)
{
    line.SetLineDriver(KeepsBytesAtHangUp());
    ASSERT_EQ(line.Open(pty.Path(), 0, 0, true), 0);
    pty.CloseMaster();
    ASSERT_EQ(line.WaitForPortEvent(nullptr, 1000), 0);
    EXPECT_EQ(line.GetPendingEvents(), EV_RXCHAR);
    EXPECT_EQ(line.WaitForPortEvent(nullptr, 1000), ERROR_GEN_FAILURE);
}

TEST_F(SerialLineTest, WaitTimesOutWithoutEvents)
{
    ASSERT_EQ(line.Open(pty.Path(), 0, 0, true), 0);
    EXPECT_EQ(line.WaitForPortEvent(nullptr, 50), ERROR_TIMEOUT);
    ASSERT_EQ(line.SetMask(0), 0);
    EXPECT_EQ(line.WaitForPortEvent(nullptr, 50), ERROR_INVALID_PARAMETER);
}

TEST_F(SerialLineTest, LineErrorsComeFromTheDriversCounters)
{
    LineCounters driver;
    line.SetLineCounterReader([&driver](int, LineCounters& counters) {
        counters = driver;
        return 0;
    });
    ASSERT_EQ(line.Open(pty.Path(), 0, 0, true), 0);
    ASSERT_EQ(line.SetMask(EV_ERR | EV_BREAK), 0);

    driver.frame = 2;
    ASSERT_EQ(line.WaitForPortEvent(nullptr, 10000), 0);
    driver.brk = 1;
    ASSERT_EQ(line.WaitForPortEvent(nullptr, 10000), 0);
    EXPECT_EQ(line.ClearLineErrors(), CE_FRAME | CE_BREAK);
    EXPECT_EQ(line.ClearLineErrors(), 0u);
    driver.parity = 1;
    driver.overrun = 4;
    EXPECT_EQ(line.ClearLineErrors(), CE_RXPARITY | CE_OVERRUN);
}

}  // namespace
