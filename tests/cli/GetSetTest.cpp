// get and set against the simulator on a pseudo-terminal.

#include "bus/GroupRequests.h"
#include "cli/ExitCode.h"
#include "busreport/MessageText.h"
#include "serial/SerialLine.h"

#include "CliTestSupport.h"

#include <gtest/gtest.h>

namespace {

using cli::ExitNoReply;
using cli::ExitOk;
using cli::ExitPortError;
using cli::ExitUsage;

std::string Hex(const bus::GroupMessageFields& fields)
{
    return busreport::HexBytes(bus::PackGroupMessage(fields));
}

sim::SimOptions WithSettings(bus::RadioSettings settings)
{
    sim::SimOptions options = SimOnPty::Fast();
    options.settings = std::move(settings);
    return options;
}

TEST(CliGet, ShowsTheSettingsAfterOneRequest)
{
    SimOnPty sim(WithSettings({"Yard", 1234, 17, 42}));
    const CliRun run = CliHarness().Run({"get", "--port", sim.Path()});
    EXPECT_EQ(run.code, ExitOk) << run.err;
    EXPECT_EQ(run.out, "Group name: \"Yard\"\nGroup ID:   42\nKey:        1234\nChannel:    17\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(sim.Received(), std::vector<std::string> {Hex(bus::MakeSettingsRequest())});
}

TEST(CliGet, JsonNamesThePortAndDevice)
{
    SimOnPty sim(WithSettings({"A \"q\"", 7, 26, 127}));
    CliHarness cli;
    cli.Map(6, sim.Path());
    const CliRun run = cli.Run({"get", "--port", "com6", "--json"});
    ASSERT_EQ(run.code, ExitOk) << run.err;
    EXPECT_EQ(run.out, "{\"port\": \"COM6\", \"device\": \"" + sim.Path()
                  + "\", \"transceivers\": [{\"name\": \"A \\\"q\\\"\", \"group_id\": 127, \"key\": 7, \"channel\": 26, \"out_of_range\": []}],"
                    " \"differ\": false}\n");
}

TEST(CliGet, UsesTheSavedPortWhenNoneIsGiven)
{
    SimOnPty sim;
    CliHarness cli;
    cli.SaveComPort(4);
    cli.Map(4, sim.Path());
    const CliRun run = cli.Run({"get"});
    EXPECT_EQ(run.code, ExitOk) << run.err;
    EXPECT_NE(run.out.find("\"Olv12345\""), std::string::npos);
}

TEST(CliGet, ReportsEachOfTwoTransceiversAndWhetherTheyDiffer)
{
    sim::SimOptions options = WithSettings({"Yard", 1234, 17, 42});
    options.faults.secondTransceiver = bus::RadioSettings {"Shed", 99, 21, 3};
    SimOnPty sim(options);
    const CliRun run = CliHarness().Run({"get", "--port", sim.Path()});
    ASSERT_EQ(run.code, ExitOk) << run.err;
    EXPECT_EQ(run.out, "2 transceivers answered, with different settings.\n"
                       "Transceiver 1:\n  Group name: \"Yard\"\n  Group ID:   42\n  Key:        1234\n  Channel:    17\n"
                       "Transceiver 2:\n  Group name: \"Shed\"\n  Group ID:   3\n  Key:        99\n  Channel:    21\n");

    const CliRun json = CliHarness().Run({"get", "--port", sim.Path(), "--json"});
    EXPECT_NE(json.out.find("\"differ\": true"), std::string::npos) << json.out;
}

TEST(CliGet, SaysWhenTwoTransceiversAgree)
{
    sim::SimOptions options = WithSettings({"Yard", 1, 11, 2});
    options.faults.secondTransceiver = options.settings;
    SimOnPty sim(options);
    const CliRun run = CliHarness().Run({"get", "--port", sim.Path()});
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')), "2 transceivers answered, all with the same settings.");
}

TEST(CliGet, NoReplyTellsNothingBackFromNoAnswerFromGarbled)
{
    struct Case {
        bool dropEchoes;
        bool corruptEchoes;
        const char* kind;
        const char* says;
    };
    for (const Case c : {Case {false, false, "no_reply", "no reply from the transceiver within 150 ms on "},
                         Case {true, false, "no_echo", "nothing came back within 150 ms on "},
                         Case {false, true, "bad_checksum", "1 message came back with a bad checksum"}}) {
        sim::SimOptions options = SimOnPty::Fast();
        options.faults.dropReplies = true;
        options.faults.dropEchoes = c.dropEchoes;
        options.faults.corruptEchoes = c.corruptEchoes;
        SimOnPty sim(options);
        const CliRun run = PacedBy(sim).Run({"get", "--port", sim.Path(), "--timeout", "150"});
        EXPECT_EQ(run.code, ExitNoReply);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(CountLines(run.err), 1) << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;

        const CliRun json = PacedBy(sim).Run({"get", "--port", sim.Path(), "--timeout", "150", "--json"});
        EXPECT_EQ(json.code, ExitNoReply);
        EXPECT_NE(json.out.find(std::string("\"error\": \"") + c.kind + "\""), std::string::npos) << json.out;
    }
}

TEST(CliGet, CorruptRepliesCountAsNoReply)
{
    sim::SimOptions options = SimOnPty::Fast();
    options.faults.corruptReplies = true;
    options.faults.noiseBytes = 3;
    SimOnPty sim(options);
    const CliRun run = PacedBy(sim).Run({"get", "--port", sim.Path(), "--timeout", "150"});
    EXPECT_EQ(run.code, ExitNoReply);
    EXPECT_NE(run.err.find("bad checksum (wrong --baud, or noise on the line)"), std::string::npos) << run.err;
}

TEST(CliGet, AReplyWithoutTheEchoIsShownWithOneWarning)
{
    sim::SimOptions options = WithSettings({"Yard", 1234, 17, 42});
    options.faults.dropEchoes = true;
    SimOnPty sim(options);
    const CliRun get = CliHarness().Run({"get", "--port", sim.Path()});
    EXPECT_EQ(get.code, ExitOk) << get.err;
    EXPECT_EQ(get.out, "Group name: \"Yard\"\nGroup ID:   42\nKey:        1234\nChannel:    17\n");
    EXPECT_EQ(get.err, "brenvik-cli: warning: the bus did not echo what was sent (an interface that does not echo, "
                       "or a line fault)\n");

    const CliRun scan = PacedBy(sim).Run({"scan", "--port", sim.Path(), "--seconds", "0.5", "--interval", "25"});
    EXPECT_EQ(scan.code, ExitOk) << scan.err;
    EXPECT_NE(scan.out.find("     11        2  "), std::string::npos) << scan.out;
    EXPECT_EQ(CountLines(scan.err), 1) << scan.err;
}

TEST(CliSet, SendsTheFourWritesInOrderThenVerifies)
{
    SimOnPty sim;
    const CliRun run = CliHarness().Run({"set", "--port", sim.Path(), "--name", "Yard", "--channel", "15", "--key", "42"});
    EXPECT_EQ(run.code, ExitOk) << run.err;
    EXPECT_NE(run.out.find("Verified"), std::string::npos) << run.out;

    const auto writes = bus::MakeSettingsWrites("Yard", 15, 0, 42);
    const std::vector<std::string> expected = {Hex(bus::MakeSettingsRequest()), Hex(writes[0]), Hex(writes[1]),
                                               Hex(writes[2]), Hex(writes[3]), Hex(bus::MakeSettingsRequest())};
    EXPECT_EQ(sim.Received(), expected);
}

TEST(CliSet, PartialSetChangesOnlyWhatWasAsked)
{
    SimOnPty sim(WithSettings({"Yard", 1234, 17, 42}));
    const CliRun run = CliHarness().Run({"set", "--port", sim.Path(), "--channel", "20", "--no-verify"});
    ASSERT_EQ(run.code, ExitOk) << run.err;
    const CliRun after = CliHarness().Run({"get", "--port", sim.Path()});
    EXPECT_EQ(after.out, "Group name: \"Yard\"\nGroup ID:   42\nKey:        1234\nChannel:    20\n");

    const auto writes = bus::MakeSettingsWrites("Yard", 20, 42, 1234);
    const std::vector<std::string> expected = {Hex(bus::MakeSettingsRequest()), Hex(writes[0]), Hex(writes[1]),
                                               Hex(writes[2]), Hex(writes[3]), Hex(bus::MakeSettingsRequest())};
    EXPECT_EQ(sim.Received(), expected); // the set's Get and writes, then the later get
}

TEST(CliSet, ShowsTheNameAsGetDoes)
{
    SimOnPty sim;
    const CliRun run = CliHarness().Run({"set", "--port", sim.Path(), "--name", "Yd"});
    ASSERT_EQ(run.code, ExitOk) << run.err;
    EXPECT_NE(run.out.find("  Group name: \"Yd\"\n"), std::string::npos) << run.out;
}

TEST(CliSet, KeepsLatin1NamesAndLeadingZeroKeys)
{
    SimOnPty sim;
    const CliRun run = CliHarness().Run({"set", "--port", sim.Path(), "--name", "Bär", "--key", "7"});
    ASSERT_EQ(run.code, ExitOk) << run.err;
    const CliRun after = CliHarness().Run({"get", "--port", sim.Path()});
    EXPECT_NE(after.out.find("\"Bär\""), std::string::npos) << after.out;
    EXPECT_NE(after.out.find("Key:        7\n"), std::string::npos) << after.out;
}

TEST(CliSet, RefusesBadValuesWithOneLineAndSendsNothing)
{
    SimOnPty sim;
    const std::vector<std::vector<std::string>> refused = {
        {"--name", ""},          {"--name", "NineChars"}, {"--name", "Tab\there"}, {"--name", "Łódź"},
        {"--channel", "10"},     {"--channel", "27"},     {"--channel", "15x"},    {"--key", "10000"},
        {"--key", "-1"},         {"--group-id", "5"},     {},                       {"--name", "Ok", "--key", "1e3"},
        {"--name", "Ok", "--bogus"}, {"--key", "5", "--name", "--json"}, {"--key", "5", "--nme", "X"},
    };
    for (const auto& values : refused) {
        std::vector<std::string> args = {"set", "--port", sim.Path()};
        args.insert(args.end(), values.begin(), values.end());
        const CliRun run = CliHarness().Run(args);
        EXPECT_EQ(run.code, ExitUsage) << ::testing::PrintToString(values);
        EXPECT_EQ(CountLines(run.err), 1) << run.err;
        EXPECT_EQ(run.err.rfind("brenvik-cli: ", 0), 0u) << run.err;
    }
    EXPECT_TRUE(sim.Received().empty());
}

TEST(CliSet, VerifyFailsWhenATransceiverDoesNotHoldTheWrite)
{
    // Writes reach only the first of two transceivers.
    sim::SimOptions options = SimOnPty::Fast();
    options.faults.secondTransceiver = options.settings;
    SimOnPty sim(options);
    const CliRun run = CliHarness().Run({"set", "--port", sim.Path(), "--channel", "22"});
    EXPECT_EQ(run.code, ExitNoReply);
    EXPECT_EQ(run.err, "brenvik-cli: verify failed: transceiver 2 of 2 holds channel 11 (wanted 22)\n");
}

TEST(CliSet, WritesNothingWithoutTheFirstReply)
{
    sim::SimOptions options = SimOnPty::Fast();
    options.faults.dropReplies = true;
    SimOnPty sim(options);
    const CliRun run = PacedBy(sim).Run({"set", "--port", sim.Path(), "--channel", "22", "--timeout", "100"});
    EXPECT_EQ(run.code, ExitNoReply);
    EXPECT_EQ(sim.Received(), std::vector<std::string> {Hex(bus::MakeSettingsRequest())});
}

TEST(CliPortErrors, MissingBusyAndUnmappedPortsAreExitThree)
{
    SimOnPty sim;
    CSerialLine holder;
    ASSERT_EQ(holder.Open(sim.Path().c_str(), 0, 0, true), 0);

    const CliRun busy = CliHarness().Run({"get", "--port", sim.Path()});
    EXPECT_EQ(busy.code, ExitPortError);
    EXPECT_EQ(busy.err, "brenvik-cli: " + sim.Path() + ": in use by another program\n");

    const CliRun missing = CliHarness().Run({"set", "--port", "COM3", "--key", "1"});
    EXPECT_EQ(missing.code, ExitPortError);
    EXPECT_EQ(missing.err, "brenvik-cli: COM3 (/nonexistent/brenvik-test-COM3): cannot open: no such device\n");

    const CliRun folder = CliHarness().Run({"get", "--port", ::testing::TempDir()});
    EXPECT_EQ(folder.code, ExitPortError);
    EXPECT_NE(folder.err.find(": cannot open: not a serial device\n"), std::string::npos) << folder.err;

    const CliRun unmapped = CliHarness().Run({"monitor", "--port", "COM0"});
    EXPECT_EQ(unmapped.code, ExitPortError);
    EXPECT_EQ(CountLines(unmapped.err), 1);
}

} // namespace
