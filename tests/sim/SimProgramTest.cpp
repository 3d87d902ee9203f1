// The brenvik-sim program as a user runs it.

#include "bus/GroupRequests.h"

#include "SimTestPort.h"
#include "tests/support/ChildProgram.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <filesystem>

namespace {

TEST(SimProgram, PrintsItsPathServesAndCleansUpItsLink)
{
    for (int signal : {SIGTERM, SIGINT}) {
        const std::string link = "/tmp/brenvik-sim-test-link-" + std::to_string(::getpid());
        ChildProgram sim(BRENVIK_SIM_PROGRAM, {"--fast", "--link", link, "--name", "Shed"});
        const std::string path = sim.OutLine();
        ASSERT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;
        ASSERT_EQ(std::filesystem::read_symlink(link), path);

        SimTestPort port;
        ASSERT_TRUE(port.Open(link));
        ASSERT_TRUE(port.Send(bus::MakeSettingsRequest()));
        const auto messages = SimTestPort::Messages(port.Receive(40));
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages[1].data[0], 'S');
        port.Close();

        EXPECT_EQ(sim.Finish(signal), 0);
        EXPECT_FALSE(std::filesystem::is_symlink(link));
    }
}

TEST(SimProgram, HelpAndBadOptions)
{
    ChildProgram help(BRENVIK_SIM_PROGRAM, {"--help"});
    EXPECT_EQ(help.OutLine(), "Usage: brenvik-sim [options]");
    ChildProgram version(BRENVIK_SIM_PROGRAM, {"--fast", "--version"});
    EXPECT_EQ(version.OutLine(), "brenvik-sim 1.03");
    EXPECT_EQ(version.Finish(), 0);
    ChildProgram bad(BRENVIK_SIM_PROGRAM, {"--chanel", "12"});
    EXPECT_EQ(bad.OutLine(), "");
    EXPECT_EQ(bad.ErrLine(), "brenvik-sim: unknown option --chanel (did you mean --channel?) (see brenvik-sim --help)");
    EXPECT_EQ(bad.Finish(), 2); // a usage error, as the man page says
}

}  // namespace
