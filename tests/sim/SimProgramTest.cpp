// The brenvik-sim program as a user runs it.

#include "bus/GroupRequests.h"

#include "SimProcess.h"
#include "SimTestPort.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <filesystem>

namespace {

TEST(SimProgram, PrintsItsPathServesAndCleansUpItsLink)
{
    for (int signal : {SIGTERM, SIGINT}) {
        const std::string link = "/tmp/brenvik-sim-test-link-" + std::to_string(::getpid());
        SimProcess sim({"--fast", "--link", link, "--name", "Shed"});
        const std::string path = sim.ReadLine();
        ASSERT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;
        ASSERT_EQ(std::filesystem::read_symlink(link), path);

        SimTestPort port;
        ASSERT_TRUE(port.Open(link));
        ASSERT_TRUE(port.Send(bus::MakeSettingsRequest()));
        const auto messages = SimTestPort::Messages(port.Receive(40));
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages[1].data[0], 'S');
        port.Close();

        EXPECT_EQ(sim.Stop(signal), 0);
        EXPECT_FALSE(std::filesystem::is_symlink(link));
    }
}

TEST(SimProgram, HelpAndBadOptions)
{
    SimProcess help({"--help"});
    EXPECT_EQ(help.ReadLine(), "Usage: brenvik-sim [options]");
    SimProcess bad({"--channel", "99"});
    EXPECT_EQ(bad.ReadLine(), "");
    EXPECT_EQ(bad.Stop(0), 2);
}

}  // namespace
