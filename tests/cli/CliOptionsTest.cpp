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
    EXPECT_FALSE(options.baud);
    EXPECT_FALSE(options.flow);
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
    EXPECT_EQ(options.flow, busport::Flow::RtsCts);
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
        EXPECT_EQ(options.baud, 9600u) << command;
        EXPECT_EQ(options.flow, busport::Flow::RtsCts) << command;
        EXPECT_EQ(options.timeoutMs, 250) << command;
    }
}

TEST(CliOptions, BaudAndFlowReplaceOnlyWhatTheyNameOfTheStoredLine)
{
    const busport::LineSettings stored = busport::kUsbInterfaceLine;
    EXPECT_EQ(cli::LineFor(Parsed({"get"}), stored), stored);
    EXPECT_EQ(cli::LineFor(Parsed({"get", "--baud", "16457"}), stored), (busport::LineSettings {16457, busport::Flow::RtsCts}));
    EXPECT_EQ(cli::LineFor(Parsed({"get", "--flow", "none"}), stored), (busport::LineSettings {57600, busport::Flow::None}));
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
    EXPECT_EQ(Refusal({"gte", "--port", "COM3"}), "unknown command \"gte\" (did you mean get?)");
    EXPECT_EQ(Refusal({"sacn"}), "unknown command \"sacn\" (did you mean scan?)");
    EXPECT_EQ(Refusal({"monitr"}), "unknown command \"monitr\" (did you mean monitor?)");
    EXPECT_EQ(Refusal({"get", "-p"}), "-p needs a value");
    EXPECT_EQ(Refusal({"get", "-p", "-j"}), "-p needs a value (a value that starts with - goes as --port=-j)");
    EXPECT_EQ(Refusal({"get", "-P", "COM3"}), "unknown option -P");
    EXPECT_EQ(Refusal({"ports", "-p", "COM3"}), "unknown option --port for ports");
    EXPECT_EQ(Refusal({"ports", "--forget"}), "--forget needs a value");
    EXPECT_EQ(Refusal({"ports", "--forget", "-3"}), "--forget needs a value (a value that starts with - goes as --forget=-3)");
    for (const std::string wrong : {"COM21", "0", "COM", "/dev/ttyUSB0", "COM3x", "-3", ""})
        EXPECT_EQ(Refusal({"ports", "--forget=" + wrong}), "--forget takes COM1 to COM20, not \"" + wrong + "\"");
    EXPECT_EQ(Refusal({"ports", "--forgt", "3"}), "unknown option --forgt (did you mean --forget?)");
    EXPECT_EQ(Refusal({"ports", "--force"}), "--force goes with --use");
    EXPECT_EQ(Refusal({"ports", "--force=yes", "--use", "3"}), "--force takes no value");
    EXPECT_EQ(Refusal({"get", "--force"}), "unknown option --force for get");
    EXPECT_EQ(Refusal({"ports", "--use", "3", "--forget", "3"}), "--use and --forget: give one of them");
    EXPECT_EQ(Refusal({"ports", "--use", "tcp://127.0.0.1"}), "--use tcp://127.0.0.1: no port: write HOST:PORT");
    EXPECT_EQ(Refusal({"get", "-p", "http://example.org:80"}),
              "--port http://example.org:80: unknown scheme \"http\" (rfc2217:// or tcp://)");
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
    EXPECT_EQ(Parsed({"ports", "--forget", "COM12"}).forgetPort, 12);
    EXPECT_EQ(Parsed({"ports", "--forget=4"}).forgetPort, 4);
    EXPECT_TRUE(Parsed({"ports", "--use", "/dev/ttyUSB9", "--force"}).force);
}

TEST(CliOptions, ShortOptionsStandForTheirLongOnes)
{
    const cli::CliOptions options = Parsed({"-p", "5", "get", "-j"});
    EXPECT_EQ(options.port, "COM5");
    EXPECT_TRUE(options.json);
    EXPECT_EQ(Parsed({"scan", "-j", "-p=/dev/ttyUSB0"}).port, "/dev/ttyUSB0");
    EXPECT_TRUE(Parsed({"get", "-V"}).version);
    EXPECT_TRUE(Parsed({"-h", "set"}).help);
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
