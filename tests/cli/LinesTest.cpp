// The line brenvik-cli opens a port with: the stored one by default,
// --baud/--flow in its place for one run, the bus's own for a bad value.
// Each is checked from the pseudo-terminal's other side, or by a simulator
// that answers only on its own line.

#include "cli/ExitCode.h"
#include "serial/LineControl.h"

#include "CliTestSupport.h"

#include <gtest/gtest.h>

namespace {

using cli::ExitNoReply;
using cli::ExitOk;

// The line as the program left it on the pseudo-terminal (the settings
// stay while the master is open).
serial_line::LineParams LineSeenBy(const PseudoTerminal& device)
{
    serial_line::LineParams line;
    EXPECT_EQ(serial_line::ReadLineParams(device.Master(), line), 0);
    return line;
}

TEST(CliLines, TheStoredLineIsOpenedAndOptionsReplaceItForOneRun)
{
    const struct {
        std::vector<std::string> options;
        std::uint32_t baud;
        bool rtsCts;
    } cases[] = {
        {{}, 57600, true},
        {{"--baud", "16457"}, 16457, true},
        {{"--flow", "none"}, 57600, false},
        {{"--baud", "115200", "--flow", "none"}, 115200, false},
    };
    for (const auto& c : cases) {
        PseudoTerminal device;
        CliHarness cli;
        cli.Map(1, device.SlavePath());
        cli.StoreLine(1, "57600 rtscts");
        std::vector<std::string> args = {"get", "--timeout", "20"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const CliRun run = cli.Run(args);
        EXPECT_EQ(run.code, ExitNoReply) << run.err;
        const serial_line::LineParams line = LineSeenBy(device);
        EXPECT_EQ(line.baudRate, c.baud) << ::testing::PrintToString(c.options);
        EXPECT_EQ(line.rtsCtsFlow, c.rtsCts) << ::testing::PrintToString(c.options);
    }
}

TEST(CliLines, WithoutAnEntryThePortRunsAtTheBusSpeedWithoutFlowControl)
{
    PseudoTerminal device;
    CliHarness cli;
    cli.Map(1, device.SlavePath());
    cli.StoreLine(2, "57600 rtscts"); // another port's
    cli.Run({"get", "--timeout", "20"});
    EXPECT_EQ(LineSeenBy(device).baudRate, 16457u);
    EXPECT_FALSE(LineSeenBy(device).rtsCtsFlow);
}

TEST(CliLines, ABadStoredValueWarnsOnceAndUsesTheBusLine)
{
    PseudoTerminal device;
    CliHarness cli;
    cli.Map(1, device.SlavePath());
    cli.StoreLine(1, "57600 xonxoff");
    const CliRun run = cli.Run({"get", "--timeout", "20"});
    EXPECT_EQ(CountLines(run.err), 2) << run.err; // the warning and the missing reply
    EXPECT_TRUE(run.err.starts_with("brenvik-cli: warning: Lines/COM1 = \"57600 xonxoff\" is ignored: ")) << run.err;
    EXPECT_EQ(LineSeenBy(device).baudRate, 16457u);
}

TEST(CliLines, AnInterfaceOnItsOwnLineAnswersOnlyWhenTheStoredLineIsKept)
{
    sim::SimOptions options = SimOnPty::Fast();
    options.line = {57600, true};
    SimOnPty sim(options);
    CliHarness cli;
    cli.Map(1, sim.Path());
    cli.StoreLine(1, "57600 rtscts");
    EXPECT_EQ(cli.Run({"get"}).code, ExitOk);
    EXPECT_EQ(cli.Run({"get", "--baud", "16457", "--timeout", "100"}).code, ExitNoReply);
}

} // namespace
