// brenvik-cli and the UUCP locks other programs (ser2net, minicom) keep, in a folder of the test's own.

#include "cli/ExitCode.h"
#include "serial/DeviceLock.h"

#include "CliTestSupport.h"

#include "tests/support/ChildProgram.h"
#include "tests/support/LockFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iomanip>

namespace {

namespace fs = std::filesystem;

class CliLock : public ::testing::Test {
protected:
    std::string Folder() const { return m_locks.Path(); }

private:
    TempLockFolder m_locks {"brenvik-cli-locks"};
};

std::string CommandName(pid_t pid)
{
    std::string name;
    std::getline(std::ifstream("/proc/" + std::to_string(pid) + "/comm"), name);
    return name;
}

TEST_F(CliLock, ALiveOwnersLockMakesThePortBusyNamingItsProgram)
{
    SimOnPty sim;
    const pid_t owner = ::getppid();
    std::ofstream(device_lock::LockPath(Folder(), sim.Path())) << std::setw(10) << owner << '\n';
    CliHarness cli;
    cli.LockIn(Folder());
    cli.Map(1, sim.Path());
    const std::string holder = CommandName(owner) + " (pid " + std::to_string(owner) + ")";

    const CliRun get = cli.Run({"get", "--port", sim.Path()});
    EXPECT_EQ(get.code, cli::ExitPortError);
    EXPECT_NE(get.err.find("held by " + holder + ", by its lock"), std::string::npos) << get.err;
    EXPECT_TRUE(sim.Received().empty()); // nothing went onto the other program's line

    const nlohmann::json json = nlohmann::json::parse(cli.Run({"get", "--json", "--port", sim.Path()}).out);
    EXPECT_EQ(json["error"], "busy");
    EXPECT_EQ(json["held_by"][0]["pid"], owner);

    const CliRun probe = cli.Run({"ports", "--probe"});
    EXPECT_NE(probe.out.find("busy (held by " + holder + ", by its lock)"), std::string::npos) << probe.out;
}

TEST_F(CliLock, AFolderThatTakesNoLockIsSaidOnceAndTheCommandGoesOn)
{
    SimOnPty sim;
    CliHarness cli;
    cli.LockIn(Folder() + "/missing");
    const CliRun get = cli.Run({"get", "--port", sim.Path()});
    EXPECT_EQ(get.code, cli::ExitOk) << get.err;
    EXPECT_EQ(CountLines(get.err), 1) << get.err;
    EXPECT_NE(get.err.find("warning: no lock taken on " + sim.Path()), std::string::npos) << get.err;
}

TEST_F(CliLock, TheProgramHoldsItsLockWhileTheDeviceIsOpenAndRemovesItAtExit)
{
    SimOnPty sim;
    const fs::path lock = device_lock::LockPath(Folder(), sim.Path());
    ChildProgram monitor(BRENVIK_CLI_PROGRAM, {"monitor", "--port", sim.Path()}, {{"BRENVIK_LOCK_DIR", Folder()}});
    ASSERT_EQ(monitor.ErrLine(), "Monitoring " + sim.Path() + "; Ctrl+C ends."); // open, locked
    std::string pidLine;
    std::getline(std::ifstream(lock), pidLine);
    ASSERT_EQ(pidLine.size(), 10u) << pidLine; // ten characters, right-aligned, then the newline
    EXPECT_EQ(CommandName(std::stoi(pidLine)), "brenvik-cli");
    EXPECT_EQ(monitor.Finish(SIGINT), cli::ExitOk);
    EXPECT_FALSE(fs::exists(lock));
}

} // namespace
