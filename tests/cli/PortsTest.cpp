// brenvik-cli ports: every candidate with its state, on pseudo-terminals and missing paths only.

#include "cli/ExitCode.h"
#include "serial/SerialLine.h"

#include "CliTestSupport.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/wait.h>

#include <filesystem>

namespace {

// The listing's line for a port or device.
std::string LineOf(const std::string& listing, const std::string& start)
{
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(start, 0) == 0)
            return line;
    }
    return "(no line for " + start + ")";
}

TEST(CliPorts, ListsEveryComPortAndOtherDevicesWithTheirState)
{
    PseudoTerminal held, free;
    CSerialLine holder;
    ASSERT_EQ(holder.Open(held.SlavePath().c_str(), 0, 0, true), 0);

    const std::filesystem::path byId = std::filesystem::path(::testing::TempDir()) / "brenvik-cli-by-id";
    std::filesystem::remove_all(byId);
    std::filesystem::create_directories(byId);
    std::filesystem::create_symlink(free.SlavePath(), byId / "usb-Trakbus_Interface-if00");

    CliHarness cli;
    cli.Map(1, held.SlavePath());
    cli.Map(2, free.SlavePath());
    cli.SaveComPort(2);
    cli.ListDevices({(byId / "*").string(), "/nonexistent/ttyUSB*"});
    const CliRun run = cli.Run({"ports"});
    ASSERT_EQ(run.code, cli::ExitOk) << run.err;

    EXPECT_EQ(CountLines(run.out), 1 + 20 + 1) << run.out;
    EXPECT_EQ(LineOf(run.out, "Port"), "Port   Device                       State");
    EXPECT_NE(LineOf(run.out, "COM1 ").find(held.SlavePath()), std::string::npos);
    EXPECT_NE(LineOf(run.out, "COM1 ").find("busy (held by another program)"), std::string::npos) << run.out;
    EXPECT_NE(LineOf(run.out, "COM2 ").find(" free  [saved port]"), std::string::npos) << run.out;
    EXPECT_NE(LineOf(run.out, "COM3 ").find("/nonexistent/brenvik-test-COM3 absent"), std::string::npos);
    EXPECT_NE(LineOf(run.out, "COM20 ").find("absent"), std::string::npos);
    const std::string device = LineOf(run.out, "- ");
    EXPECT_NE(device.find("usb-Trakbus_Interface-if00 -> " + free.SlavePath()), std::string::npos) << run.out;
    EXPECT_NE(device.find(" free"), std::string::npos) << device;

    std::filesystem::remove_all(byId);
}

TEST(CliPorts, NamesTheGroupThatGrantsAccess)
{
    const group* dialout = ::getgrnam("dialout");
    if (::geteuid() != 0 || !dialout)
        GTEST_SKIP() << "needs root and a dialout group to play an ordinary user";
    PseudoTerminal pty;
    ASSERT_EQ(::chown(pty.SlavePath().c_str(), 0, dialout->gr_gid), 0);
    ASSERT_EQ(::chmod(pty.SlavePath().c_str(), 0660), 0);

    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(out[0]);
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(100);
        CliHarness cli;
        cli.Map(1, pty.SlavePath());
        const std::string text = cli.Run({"ports"}).out + cli.Run({"get", "--port", "COM1"}).err;
        [[maybe_unused]] ssize_t n = ::write(out[1], text.data(), text.size());
        ::_exit(0);
    }
    ::close(out[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

    const std::string fix = "sudo usermod -aG dialout $USER, then log out and in again";
    EXPECT_NE(LineOf(text, "COM1 ").find("permission denied (fix: " + fix + ")"), std::string::npos) << text;
    EXPECT_NE(text.find("brenvik-cli: COM1 (" + pty.SlavePath() + "): permission denied; to fix: " + fix + "\n"),
              std::string::npos)
        << text;
}

} // namespace
