// The command line: what is accepted, what is refused and why.

#include "cli/CliOptions.h"
#include "cli/ExitCode.h"

#include "CliTestSupport.h"

#include <gtest/gtest.h>

namespace {

cli::CliOptions Parsed(const std::vector<std::string>& args)
{
    cli::CliOptions options;
    std::string error;
    EXPECT_TRUE(cli::ParseCliOptions(args, options, error)) << error;
    return options;
}

std::string Refusal(const std::vector<std::string>& args)
{
    cli::CliOptions options;
    std::string error;
    EXPECT_FALSE(cli::ParseCliOptions(args, options, error)) << ::testing::PrintToString(args);
    return error;
}

TEST(CliOptions, DefaultsMatchTheProgram)
{
    const cli::CliOptions options = Parsed({"scan"});
    EXPECT_FALSE(options.port);
    EXPECT_EQ(options.line, busport::LineSettings{});
    EXPECT_EQ(options.timeoutMs, 1000);
    EXPECT_EQ(options.seconds, 60);
    EXPECT_EQ(Parsed({"scan", "--seconds", "0.5"}).seconds, 0.5);
    EXPECT_EQ(options.intervalMs, 200);
    EXPECT_TRUE(Parsed({"set", "--key", "0"}).verify);
}

TEST(CliOptions, TakesValuesSeparateOrAfterAnEqualsSign)
{
    const cli::CliOptions options =
        Parsed({"--port=COM5", "set", "--channel", "26", "--key=9999", "--name", "A b", "--flow", "rtscts", "--no-verify"});
    EXPECT_EQ(options.command, "set");
    EXPECT_EQ(options.port, "COM5");
    EXPECT_EQ(options.channel, 26);
    EXPECT_EQ(options.key, 9999);
    EXPECT_EQ(options.name, "A b");
    EXPECT_EQ(options.line.flow, busport::Flow::RtsCts);
    EXPECT_FALSE(options.verify);
}

TEST(CliOptions, EveryBusCommandTakesTheCommonOptions)
{
    for (std::string command : {"get", "set", "scan", "monitor"}) {
        std::vector<std::string> args = {command, "--port", "COM3", "--baud", "9600", "--flow", "rtscts", "--timeout", "250"};
        if (command == "set")
            args.insert(args.end(), {"--channel", "12"});
        const cli::CliOptions options = Parsed(args);
        EXPECT_EQ(options.port, "COM3") << command;
        EXPECT_EQ(options.line.flow, busport::Flow::RtsCts) << command;
        EXPECT_EQ(options.timeoutMs, 250) << command;
    }
}

TEST(CliOptions, GroupNamesTakeOneToEightPrintableLatin1Characters)
{
    for (const char* good : {"A", "Olv12345", " ", "Bär Öl", "ÿÿÿÿÿÿÿÿ"})
        EXPECT_FALSE(cli::CheckGroupName(good)) << good;
    for (const char* bad : {"", "123456789", "ÄÄÄÄÄÄÄÄÄ", "a\tb", "\x7f", "\xc2\x85", "€", "\xff"})
        EXPECT_TRUE(cli::CheckGroupName(bad)) << bad;
}

TEST(CliOptions, RefusalsSayWhatIsWrong)
{
    EXPECT_EQ(Refusal({}), "no command given");
    EXPECT_EQ(Refusal({"fetch"}), "unknown command \"fetch\"");
    EXPECT_EQ(Refusal({"get", "--channel", "12"}), "unknown option --channel for get");
    EXPECT_EQ(Refusal({"get", "--verbose"}), "unknown option --verbose");
    EXPECT_EQ(Refusal({"get", "--jsn", "--port", "X"}), "unknown option --jsn (did you mean --json?)");
    EXPECT_EQ(Refusal({"scan", "--secnds", "5"}), "unknown option --secnds (did you mean --seconds?)");
    EXPECT_EQ(Refusal({"get", "-x"}), "unknown option -x");
    EXPECT_EQ(Refusal({"--jsn"}), "unknown option --jsn (did you mean --json?), and no command given");
    EXPECT_EQ(Refusal({"--port", "COM3"}), "no command given");
    EXPECT_EQ(Refusal({"set", "--key", "5", "--name", "--json"}),
              "--name needs a value (a value that starts with - goes as --name=--json)");
    EXPECT_EQ(Refusal({"set", "--key", "-1"}), "--key needs a value (a value that starts with - goes as --key=-1)");
    EXPECT_EQ(Refusal({"set", "--key", "1", "--", "--name"}), "unexpected argument \"--name\"");
    EXPECT_EQ(Refusal({"get", "--timeout"}), "--timeout needs a value");
    EXPECT_EQ(Refusal({"get", "--timeout", "0"}), "--timeout takes a whole number from 1 to 600000, not \"0\"");
    for (const char* seconds : {"0.05", "1e2", "2s", "86400.5"})
        EXPECT_EQ(Refusal({"scan", "--seconds", seconds}),
                  std::string("--seconds takes a number of seconds from 0.1 to 86400, not \"") + seconds + "\"");
    EXPECT_EQ(Refusal({"get", "--json=yes"}), "--json takes no value");
    EXPECT_EQ(Refusal({"get", "--flow", "xonxoff"}), "--flow takes none or rtscts, not \"xonxoff\"");
    EXPECT_EQ(Refusal({"set", "--key", "12345"}), "--key takes a whole number from 0 to 9999, not \"12345\"");
    EXPECT_EQ(Refusal({"set"}), "nothing to set: give --name, --channel or --key (the group ID cannot be written)");
    EXPECT_EQ(Refusal({"get", "extra"}), "unexpected argument \"extra\"");
    EXPECT_EQ(Refusal({"ports", "--port", "COM1"}), "unknown option --port for ports");
}

TEST(CliOptions, OptionLikeValuesOnlyAfterAnEqualsSignAndDashDashEndsOptions)
{
    EXPECT_EQ(Parsed({"set", "--name=-x", "--key", "1"}).name, "-x");
    EXPECT_EQ(Parsed({"--", "get"}).command, "get");
    EXPECT_EQ(Parsed({"scan", "--csv", "-"}).csvPath, "-");
    EXPECT_EQ(Parsed({"get", "--port", "3"}).port, "COM3");
    EXPECT_EQ(Parsed({"get", "--port", "/dev/ttyUSB3"}).port, "/dev/ttyUSB3");
    EXPECT_EQ(Parsed({"ports", "--use", "12"}).usePort, "COM12");
}

TEST(CliOptions, VersionAndHelpAnywhere)
{
    CliHarness cli;
    for (const std::vector<std::string>& args : {std::vector<std::string> {"--version"}, {"get", "--version"}}) {
        const CliRun run = cli.Run(args);
        EXPECT_EQ(run.code, cli::ExitOk);
        EXPECT_EQ(run.out, "brenvik-cli 1.03\n");
    }
    EXPECT_EQ(cli.Run({"scan", "--seconds", "5", "-h"}).out, cli.Run({"scan", "--help"}).out);
    EXPECT_EQ(cli.Run({"get", "--verbose", "-h"}).out, cli.Run({"get", "--help"}).out); // help wins over a mistake
    EXPECT_EQ(cli.Run({"set", "--name", "x", "--", "-h"}).code, cli::ExitUsage);        // after --, -h is no option
    EXPECT_NE(cli.Run({"scan", "--help"}).out.find("--timeout MS"), std::string::npos);
}

TEST(CliOptions, HelpForTheProgramAndEachCommand)
{
    CliHarness cli;
    const CliRun general = cli.Run({"--help"});
    EXPECT_EQ(general.code, cli::ExitOk);
    EXPECT_NE(general.out.find("Commands:"), std::string::npos);
    for (const char* command : {"ports", "get", "set", "scan", "monitor"}) {
        const CliRun help = cli.Run({command, "--help"});
        EXPECT_EQ(help.code, cli::ExitOk);
        EXPECT_EQ(help.out.rfind(std::string("Usage: brenvik-cli ") + command, 0), 0u) << help.out;
        EXPECT_EQ(cli.Run({"help", command}).out, help.out);
    }
}

TEST(CliOptions, AUsageErrorIsOneLinePointingAtTheHelp)
{
    const CliRun run = CliHarness().Run({"scan", "--seconds", "0"});
    EXPECT_EQ(run.code, cli::ExitUsage);
    EXPECT_EQ(run.err, "brenvik-cli: --seconds takes a number of seconds from 0.1 to 86400, not \"0\" "
                       "(see brenvik-cli scan --help)\n");
    EXPECT_EQ(run.out, "");
}

} // namespace

namespace {

// --version answers alone, whatever command it comes with, and touches no port.
TEST(CliOptions, VersionAloneOrWithACommand)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>> {
             {"--version"}, {"get", "--version"}, {"set", "--channel", "12", "--version"}}) {
        const CliRun run = CliHarness().Run(args);
        EXPECT_EQ(run.code, cli::ExitOk);
        EXPECT_EQ(run.out, "brenvik-cli 1.03\n");
        EXPECT_EQ(run.err, "");
    }
}

} // namespace
