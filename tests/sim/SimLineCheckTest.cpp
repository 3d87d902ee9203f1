// brenvik-sim as an interface with its own line (--baud, --flow): it answers
// only a program that set that line on its side of the pseudo-terminal.

#include "sim/SimOptions.h"

#include "bus/GroupRequests.h"

#include "SimTestPort.h"
#include "tests/support/SimOnPty.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

namespace {

// Until the simulator has taken what was written (and judged its line).
bool Taken(const SimOnPty& server, std::size_t messages)
{
    return Eventually([&] { return server.Written().size() == messages; });
}

sim::SimOptions UsbInterface()
{
    sim::SimOptions options = SimOnPty::Fast();
    options.line = {57600, true};
    return options;
}

// A message on a wrong line (the bus's own, or one with the speed or the
// flow control wrong) is never answered; once the program opens the port
// with the interface's line, the next one is.
TEST(SimLineCheck, TheSpeedAndTheFlowControlAreEachChecked)
{
    const struct {
        busport::LineSettings wrong;
    } cases[] = {{busport::LineSettings {}}, {{57600, busport::Flow::None}}, {{16457, busport::Flow::RtsCts}}};
    for (const auto& c : cases) {
        SimOnPty server(UsbInterface());
        SimTestPort port;
        ASSERT_TRUE(port.Open(server.Path(), c.wrong));
        ASSERT_TRUE(port.Send(bus::MakeLevelQuery(15)));
        ASSERT_TRUE(Taken(server, 1));
        port.Close();
        ASSERT_TRUE(port.Open(server.Path(), busport::kUsbInterfaceLine));
        ASSERT_TRUE(port.Send(bus::MakeSettingsRequest()));
        const auto messages = SimTestPort::Messages(port.Receive(2 * bus::kGroupMessageSize));
        ASSERT_EQ(messages.size(), 2u) << c.wrong.baud;
        EXPECT_EQ(messages[0], bus::MakeSettingsRequest()) << c.wrong.baud;
    }
}

TEST(SimLineCheck, OptionsTakeARateAndAFlowControl)
{
    sim::SimOptions options;
    std::string error;
    ASSERT_EQ(sim::ParseSimOptions({"--baud", "57600", "--flow", "rtscts"}, options, error), sim::ParseResult::Run);
    EXPECT_EQ(options.line.baud, 57600u);
    EXPECT_EQ(options.line.rtsCts, true);
    for (std::vector<std::string> bad : {std::vector<std::string> {"--baud", "0"}, {"--baud", "4000001"},
                                         {"--baud", "fast"}, {"--flow", "xonxoff"}, {"--baud"}}) {
        EXPECT_EQ(sim::ParseSimOptions(bad, options, error), sim::ParseResult::Error) << bad[0];
        EXPECT_NE(error.find(bad[0]), std::string::npos) << error;
    }
}

} // namespace
