#include "serial/PortAddress.h"
#include "serial/PortNames.h"
#include "serial/ProbePort.h"
#include "serial/SerialLine.h"

#include "tests/support/PseudoTerminal.h"

#include <gtest/gtest.h>

using namespace win32;

namespace {

TEST(PortNames, ComNumbersAreReadFromBothSpellings)
{
    EXPECT_EQ(ComNumberOf("\\\\.\\COM5"), 5);
    EXPECT_EQ(ComNumberOf("COM12"), 12);
    EXPECT_EQ(ComNumberOf("com3"), 3);
    EXPECT_EQ(ComNumberOf("\\\\.\\COM0"), 0);
    EXPECT_EQ(ComNumberOf("\\\\.\\COM-1"), -1);
    EXPECT_EQ(ComNumberOf("/dev/ttyUSB0"), std::nullopt);
    EXPECT_EQ(ComNumberOf("\\\\.\\COM"), std::nullopt);
    EXPECT_EQ(ComNumberOf("COM5x"), std::nullopt);
}

TEST(PortNames, TheSystemsComPortIsShownByItsComName)
{
    EXPECT_EQ(ShownPortName("\\\\.\\COM5"), "COM5");
    EXPECT_EQ(ShownPortName("\\\\.\\com12"), "com12");
    EXPECT_EQ(ShownPortName("\\\\.\\pipe\\x"), "\\\\.\\pipe\\x");
    EXPECT_EQ(ShownPortName("/dev/ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(ShownPortName("tcp://127.0.0.1:5331"), "tcp://127.0.0.1:5331");
    EXPECT_EQ(ShownPortName(""), "");
}

TEST(PortNames, BuiltInTableCoversOneToTwenty)
{
    EXPECT_EQ(BuiltInPortPath(1), "/dev/ttyACM0");
    EXPECT_EQ(BuiltInPortPath(8), "/dev/ttyACM7");
    EXPECT_EQ(BuiltInPortPath(9), "/dev/ttyUSB0");
    EXPECT_EQ(BuiltInPortPath(16), "/dev/ttyUSB7");
    EXPECT_EQ(BuiltInPortPath(17), "/dev/ttyS0");
    EXPECT_EQ(BuiltInPortPath(20), "/dev/ttyS3");
    EXPECT_EQ(BuiltInPortPath(0), std::nullopt);
    EXPECT_EQ(BuiltInPortPath(-1), std::nullopt);
    EXPECT_EQ(BuiltInPortPath(21), std::nullopt);
}

TEST(PortNames, UsersMappingComesFirst)
{
    const PortLookup lookup = [](int n) -> std::optional<std::string> {
        if (n == 3 || n == 21)
            return "/tmp/brenvik-sim-" + std::to_string(n);
        if (n == 4)
            return std::string();  // an empty entry counts as none
        return std::nullopt;
    };
    EXPECT_EQ(ResolvePortName("\\\\.\\COM3", lookup), "/tmp/brenvik-sim-3");
    EXPECT_EQ(ResolvePortName("\\\\.\\COM21", lookup), "/tmp/brenvik-sim-21");
    EXPECT_EQ(ResolvePortName("\\\\.\\COM4", lookup), "/dev/ttyACM3");
    EXPECT_EQ(ResolvePortName("\\\\.\\COM10", lookup), "/dev/ttyUSB1");
    EXPECT_EQ(ResolvePortName("\\\\.\\COM22", lookup), std::nullopt);
    EXPECT_EQ(ResolvePortName("/dev/serial/by-id/usb-x", lookup), "/dev/serial/by-id/usb-x");
    EXPECT_EQ(ResolvePortName("\\\\.\\COM2", PortLookup {}), "/dev/ttyACM1");
}

// What an open or a probe takes its back-end from, read once from the name.
TEST(PortAddress, ANameIsReadIntoADeviceANetworkInterfaceOrWhyAUrlNamesNone)
{
    struct Row {
        const char* name;
        std::string device;        // for a device
        std::string host;          // for a network interface
        bool refusedUrl = false;
    };
    const Row rows[] = {
        {"/dev/ttyUSB0", "/dev/ttyUSB0", ""},
        {"\\\\.\\COM4", "/dev/ttyACM3", ""},  // the user's map is the caller's: only the table here
        {"COM4", "/dev/ttyACM3", ""},
        {"tcp://127.0.0.1:7000", "", "127.0.0.1"},
        {"rfc2217://[::1]:2217", "", "::1"},
        {"ftp://host:21", "", "", true},
        {"tcp://host", "", "", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const PortAddress address = PortAddressOf(row.name);
        if (row.refusedUrl) {
            EXPECT_TRUE(std::holds_alternative<NetworkAddressError>(address));
        } else if (!row.host.empty()) {
            ASSERT_TRUE(std::holds_alternative<NetworkAddress>(address));
            EXPECT_EQ(std::get<NetworkAddress>(address).host, row.host);
        } else {
            ASSERT_TRUE(std::holds_alternative<DevicePath>(address));
            EXPECT_EQ(std::get<DevicePath>(address).path, row.device);
        }
    }
    // A number outside the table stands for no device.
    const PortAddress unmapped = PortAddressOf("\\\\.\\COM21");
    ASSERT_TRUE(std::holds_alternative<DevicePath>(unmapped));
    EXPECT_EQ(std::get<DevicePath>(unmapped).path, "");
}

TEST(ProbePort, ReportsFreeAbsentAndBusy)
{
    PseudoTerminal pty;
    EXPECT_EQ(ProbePort(pty.Path()), PortFree);
    EXPECT_EQ(ProbePort("\\\\.\\COM21"), PortAbsent);
    EXPECT_EQ(ProbePort("/nonexistent/ttyACM0"), PortAbsent);

    CSerialLine holder;
    ASSERT_EQ(holder.Open(pty.Path(), 0, 0, true), 0);
    EXPECT_EQ(ProbePort(pty.Path()), PortBusy);
    // Probing left nothing behind: the holder's port still works.
    EXPECT_EQ(holder.Setup(16457, 8, NOPARITY, ONESTOPBIT), 0);
    holder.Close();
    EXPECT_EQ(ProbePort(pty.Path()), PortFree);
}

}  // namespace
