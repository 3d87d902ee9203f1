// What the system tells about a serial device without opening it, read from a fake tree.

#include "serial/PortIdentity.h"

#include "tests/support/FakeSystemTree.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using port_identity::UsbIdentity;

bool operator==(const UsbIdentity& a, const UsbIdentity& b)
{
    return a.vendorId == b.vendorId && a.productId == b.productId && a.manufacturer == b.manufacturer
        && a.product == b.product && a.serial == b.serial;
}

TEST(PortIdentity, UsbAdapterFromTheDeviceAboveTheTtysInterface)
{
    FakeSystemTree tree("port-identity-usb");
    const UsbIdentity ftdi {"0403", "6001", "FTDI", "FT232R USB UART", "A10K5XYZ"};
    const UsbIdentity acm {"2e8a", "000a", "", "Trakbus Interface", "E6614"};
    tree.AddUsbTty("ttyUSB0", "2", ftdi);
    tree.AddUsbTty("ttyACM0", "3", acm);
    tree.AddPlatformTty("ttyS0");

    const auto usb = port_identity::UsbIdentityOf("/dev/ttyUSB0", tree.Roots());
    ASSERT_TRUE(usb);
    EXPECT_TRUE(*usb == ftdi);
    const auto board = port_identity::UsbIdentityOf("/dev/ttyACM0", tree.Roots());
    ASSERT_TRUE(board);
    EXPECT_TRUE(*board == acm); // no manufacturer file: empty
    EXPECT_FALSE(port_identity::UsbIdentityOf("/dev/ttyS0", tree.Roots())); // on the machine, not USB
    EXPECT_FALSE(port_identity::UsbIdentityOf("/dev/ttyUSB7", tree.Roots())); // not in sysfs
}

TEST(PortIdentity, ByIdNamesAndHoldersFollowTheirLinksToTheDevice)
{
    FakeSystemTree tree("port-identity-links");
    const std::string device = (tree.Root() / "ttyUSB0").string(); // a stand-in for the device node
    const std::string other = (tree.Root() / "ttyUSB1").string();
    std::ofstream(device) << "";
    std::ofstream(other) << "";
    tree.AddByIdLink("usb-FTDI_FT232R_USB_UART_A10K5XYZ-if00-port0", device);
    tree.AddByIdLink("usb-Other_Board-if00", other);
    tree.AddProcess(4242, "minicom", {"/dev/null", device});
    tree.AddProcess(17, "getty", {other});
    tree.AddProcess(99, "brenvik", {device});
    std::filesystem::create_directories(tree.Root() / "proc" / "sys"); // not a process

    EXPECT_EQ(port_identity::ByIdNames(device, tree.Roots()),
              std::vector<std::string> {(tree.Root() / "by-id/usb-FTDI_FT232R_USB_UART_A10K5XYZ-if00-port0").string()});
    const auto holders = port_identity::HoldersOf(device, tree.Roots());
    ASSERT_EQ(holders.size(), 2u);
    EXPECT_EQ(holders[0].pid, 99);
    EXPECT_EQ(holders[0].program, "brenvik");
    EXPECT_EQ(holders[1].pid, 4242);
    EXPECT_EQ(holders[1].program, "minicom");

    EXPECT_TRUE(port_identity::HoldersOf("/nonexistent/ttyUSB9", tree.Roots()).empty());
    EXPECT_TRUE(port_identity::ByIdNames(device, {"", "/nonexistent/by-id", ""}).empty());
}

} // namespace
