// brenvik-cli ports: every candidate with its state, on pseudo-terminals and missing paths only.

#include "cli/ExitCode.h"
#include "serial/SerialLine.h"

#include "CliTestSupport.h"
#include "tests/support/FakeSystemTree.h"
#include "tests/support/ScriptedServer.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/inotify.h>
#include <sys/wait.h>

#include <filesystem>
#include <map>
#include <memory>

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

// Whether anything opened the file since the watch began (inotify).
class OpenWatch {
public:
    explicit OpenWatch(const std::string& path) : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        ::inotify_add_watch(m_fd, path.c_str(), IN_OPEN);
    }
    ~OpenWatch() { ::close(m_fd); }
    bool Opened() const
    {
        char events[4096];
        return ::read(m_fd, events, sizeof events) > 0;
    }

private:
    int m_fd;
};

TEST(CliPorts, LooksWithoutOpeningAndNamesTheAdapterItsStableNameAndItsHolder)
{
    PseudoTerminal usb, held;
    FakeSystemTree tree("brenvik-cli-ports");
    const std::string usbName = std::filesystem::path(usb.SlavePath()).filename().string();
    tree.AddUsbTty(usbName, "2", {"0403", "6001", "FTDI", "FT232R USB UART", "A10K5XYZ"});
    tree.AddByIdLink("usb-FTDI_FT232R_USB_UART_A10K5XYZ-if00-port0", usb.SlavePath());
    tree.AddProcess(4242, "minicom", {held.SlavePath()});
    const std::filesystem::path folder = tree.Root() / "a-folder";
    std::filesystem::create_directories(folder);

    CliHarness cli;
    cli.SetIdentityRoots(tree.Roots());
    cli.Map(1, held.SlavePath());
    cli.Map(2, usb.SlavePath());
    cli.Map(3, folder.string());
    cli.SaveComPort(2);
    cli.StoreLine(2, "57600 rtscts");
    cli.StoreLine(3, "0");
    OpenWatch usbOpens(usb.SlavePath()), heldOpens(held.SlavePath());
    const CliRun run = cli.Run({"ports"});
    ASSERT_EQ(run.code, cli::ExitOk) << run.err;
    EXPECT_FALSE(usbOpens.Opened());
    EXPECT_FALSE(heldOpens.Opened());

    EXPECT_EQ(LineOf(run.out, "Port"), "Port   Device                       State");
    EXPECT_NE(LineOf(run.out, "COM1 ").find(" in use by minicom (pid 4242)"), std::string::npos) << run.out;
    EXPECT_NE(LineOf(run.out, "COM2 ").find(" present  [saved port]"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(LineOf(run.out, "COM2 ") + "\n       USB 0403:6001 FTDI FT232R USB UART, serial A10K5XYZ\n"
                           "       " + (tree.Root() / "by-id/usb-FTDI_FT232R_USB_UART_A10K5XYZ-if00-port0").string() + "\n"
                           "       line: 57600 baud, RTS/CTS\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(LineOf(run.out, "COM3 ").find(" not a serial device"), std::string::npos) << run.out;
    // A stored value that was ignored shows the line used instead, and why.
    EXPECT_NE(run.out.find(LineOf(run.out, "COM3 ") + "\n       line: 16457 baud (Lines/COM3 = \"0\" is ignored: "),
              std::string::npos)
        << run.out;
    EXPECT_NE(LineOf(run.out, "COM4 ").find("/nonexistent/brenvik-test-COM4 absent"), std::string::npos);
    EXPECT_EQ(CountLines(run.out), 1 + 20 + 2 + 2) << run.out;

    const CliRun json = cli.Run({"ports", "--json"});
    EXPECT_NE(json.out.find("{\"port\": \"COM1\", \"device\": \"" + held.SlavePath() + "\", \"state\": \"in_use\", "
                            "\"saved\": false, \"held_by\": [{\"program\": \"minicom\", \"pid\": 4242}], \"usb\": null, "
                            "\"by_id\": [], \"line\": {\"baud\": 16457, \"flow\": \"none\"}}"),
              std::string::npos)
        << json.out;
    EXPECT_NE(json.out.find("\"usb\": {\"vendor_id\": \"0403\", \"product_id\": \"6001\", \"manufacturer\": \"FTDI\", "
                            "\"product\": \"FT232R USB UART\", \"serial\": \"A10K5XYZ\"}"),
              std::string::npos)
        << json.out;
    EXPECT_NE(json.out.find("-port0\"], \"line\": {\"baud\": 57600, \"flow\": \"rtscts\"}}"),
              std::string::npos)
        << json.out;
    EXPECT_FALSE(usbOpens.Opened());
}

TEST(CliPorts, ProbeOpensEachDeviceForTheExactAnswer)
{
    PseudoTerminal held, free, unlisted;
    CSerialLine holder;
    ASSERT_EQ(holder.Open(held.SlavePath().c_str(), 0, 0, true), 0);

    CliHarness cli;
    cli.Map(1, held.SlavePath());
    cli.Map(2, free.SlavePath());
    // A second name of COM2's device adds no line; a device of its own does.
    const std::filesystem::path link = std::filesystem::path(::testing::TempDir()) / "brenvik-cli-probe-link";
    std::filesystem::remove(link);
    std::filesystem::create_symlink(free.SlavePath(), link);
    cli.ListDevices({link.string(), unlisted.SlavePath(), "/nonexistent/ttyUSB*"});
    OpenWatch opens(free.SlavePath());
    const CliRun run = cli.Run({"ports", "--probe"});
    ASSERT_EQ(run.code, cli::ExitOk) << run.err;
    EXPECT_TRUE(opens.Opened());

    EXPECT_EQ(CountLines(run.out), 1 + 20 + 1) << run.out;
    EXPECT_NE(LineOf(run.out, "COM1 ").find("busy (held by another program)"), std::string::npos) << run.out;
    EXPECT_NE(LineOf(run.out, "COM2 ").find(" free"), std::string::npos) << run.out;
    EXPECT_NE(LineOf(run.out, "COM3 ").find("/nonexistent/brenvik-test-COM3 absent"), std::string::npos);
    EXPECT_NE(LineOf(run.out, "- ").find(unlisted.SlavePath() + " "), std::string::npos) << run.out;
    EXPECT_NE(LineOf(run.out, "- ").find(" free"), std::string::npos) << run.out;
    std::filesystem::remove(link);
}

TEST(CliPorts, UseStoresAComNumberOrTheOneAPathIsMappedTo)
{
    PseudoTerminal pty;
    // A device that is not there now is stored only with --force, and then with a warning.
    struct Case {
        std::vector<std::string> args;
        std::optional<int> stored;
        std::string says;
        std::string warns;
    };
    const std::string absent = "/nonexistent/brenvik-test-COM3";
    const std::vector<Case> cases = {
        {{"--use", "COM3"}, std::nullopt, "",
         "brenvik-cli: " + absent + " is not there now; nothing stored (--force stores it all the same)\n"},
        {{"--use", "COM3", "--force"}, 3, "Saved port: COM3 (" + absent + ")",
         "brenvik-cli: warning: " + absent + " is not there now\n"},
        {{"--force", "--use=7"}, 7, "Saved port: COM7 ", "brenvik-cli: warning: "},
        {{"--use", pty.SlavePath()}, 5, "Saved port: COM5 (" + pty.SlavePath() + ")", ""}, // already mapped
    };
    for (const Case& c : cases) {
        CliHarness cli;
        cli.Map(5, pty.SlavePath());
        std::vector<std::string> args = {"ports"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun run = cli.Run(args);
        EXPECT_EQ(run.code, c.stored ? cli::ExitOk : cli::ExitUsage) << run.err;
        EXPECT_NE(run.out.find(c.says), std::string::npos) << run.out;
        EXPECT_EQ(run.err.rfind(c.warns, 0), 0u) << run.err;
        EXPECT_EQ(CountLines(run.err), c.warns.empty() ? 0 : 1) << run.err;
        ASSERT_EQ(cli.Stored().size(), c.stored ? 1u : 0u) << args.back();
        if (c.stored) {
            EXPECT_EQ(cli.Stored()[0].first, *c.stored);
            EXPECT_EQ(cli.Stored()[0].second, std::nullopt);
        }
    }

    EXPECT_EQ(CliHarness().Run({"ports", "--use", "COM21"}).code, cli::ExitUsage);

    // A network interface is no device to look for: no warning that it is not there.
    CliHarness cli;
    cli.Map(6, "rfc2217://127.0.0.1:7000");
    const CliRun run = cli.Run({"ports", "--use", "rfc2217://127.0.0.1:7000"});
    EXPECT_EQ(run.code, cli::ExitOk) << run.err;
    EXPECT_EQ(run.err, "");
    ASSERT_EQ(cli.Stored().size(), 1u);
    EXPECT_EQ(cli.Stored()[0].first, 6);
}

// Two adapters (simulators behind device nodes of a fake tree), adapter A
// stored as COM9 by its by-id name: a COM number opens the adapter the
// window's Port Selection lists under it, whatever the plug order.
TEST(CliPorts, AComNumberOpensTheAdapterTheWindowListsUnderIt)
{
    struct Case {
        const char* name;
        const char* ttyUsb0; // the adapter plugged in as ttyUSB0; the other is ttyUSB1
        const char* port;
        const char* expected;
    };
    const Case cases[] = {
        {"as first plugged, the stored number", "A", "COM9", "A"},
        {"as first plugged, the other number", "A", "COM10", "B"},
        {"swapped by a re-plug, the stored number", "B", "COM9", "A"},
        {"swapped by a re-plug, the other number", "B", "COM10", "B"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::map<std::string, std::unique_ptr<SimOnPty>> adapters;
        for (const char* adapter : {"A", "B"}) {
            sim::SimOptions options = SimOnPty::Fast();
            options.settings = {std::string("Adapter") + adapter, 1, 11, 1};
            adapters[adapter] = std::make_unique<SimOnPty>(options);
        }
        FakeSystemTree tree("cli-com-number");
        const auto byId = [](const std::string& adapter) { return "usb-Olvarn_Bus_Interface_" + adapter + "-if00"; };
        const std::string other = std::string(c.ttyUsb0) == "A" ? "B" : "A";
        tree.Plug("ttyUSB0", adapters[c.ttyUsb0]->Path(), byId(c.ttyUsb0));
        tree.Plug("ttyUSB1", adapters[other]->Path(), byId(other));
        CliHarness cli;
        cli.UseBuiltInTable(tree.BuiltInTable());
        cli.Map(9, tree.Roots().byId + "/" + byId("A"));

        const CliRun run = cli.Run({"get", "--port", c.port});
        EXPECT_EQ(run.code, cli::ExitOk) << run.err;
        EXPECT_NE(run.out.find(std::string("\"Adapter") + c.expected + "\""), std::string::npos) << run.out;
    }
}

TEST(CliPorts, ForgetRemovesAMappingAndGivesTheNumberBackToTheBuiltInTable)
{
    CliHarness cli;
    const CliRun run = cli.Run({"ports", "--forget", "3"});
    EXPECT_EQ(run.code, cli::ExitOk) << run.err;
    EXPECT_EQ(run.out, "Removed COM3 (/nonexistent/brenvik-test-COM3) from the port map; COM3 is /dev/ttyACM2 again.\n");
    EXPECT_EQ(cli.Forgotten(), std::vector<int> {3});
}

TEST(CliPorts, ANetworkInterfaceIsNeverAbsentAndOnlyAProbeConnects)
{
    ScriptedServer listening([](int client) { ScriptedServer::ReadUntilClosed(client); });
    const std::string reachable = listening.Url("tcp");
    // A port that was listening a moment ago and is closed now.
    const std::string unreachable = ScriptedServer([](int) {}, false).Url("tcp");
    // One whose port another client has: a plain stream's server says so after accepting.
    const std::string text = "Port already in use\r\n";
    ScriptedServer refusing([&](int client) { ScriptedServer::Send(client, ScriptedServer::Bytes(text.begin(), text.end())); });
    struct Case {
        bool probe;
        std::string com4, com6, com7;
    };
    const Case cases[] = {
        {false, "network interface", "network interface", "network interface"},
        {true, "reachable", "unreachable: ", "busy: the server turned the connection away"},
    };
    for (const Case& c : cases) {
        CliHarness cli;
        cli.Map(4, reachable);
        cli.Map(6, unreachable);
        cli.Map(7, refusing.Url("tcp"));
        const CliRun run = cli.Run(c.probe ? std::vector<std::string> {"ports", "--probe"} : std::vector<std::string> {"ports"});
        ASSERT_EQ(run.code, cli::ExitOk) << run.err;
        EXPECT_NE(LineOf(run.out, "COM4 ").find("  " + c.com4), std::string::npos) << run.out;
        EXPECT_NE(LineOf(run.out, "COM6 ").find("  " + c.com6), std::string::npos) << run.out;
        EXPECT_NE(LineOf(run.out, "COM7 ").find("  " + c.com7), std::string::npos) << run.out;
        const CliRun json = cli.Run({"ports", "--json"});
        EXPECT_NE(json.out.find("\"device\": \"" + reachable + "\", \"state\": \"network\""), std::string::npos);
    }
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
