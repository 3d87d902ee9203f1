// The channel scan: statistics, ranking, Wi-Fi overlap, and the command against the simulator.

#include "cli/ExitCode.h"
#include "busreport/ScanStats.h"

#include "CliTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

TEST(ScanStats, WifiChannelNOverlapsRadioChannelsNPlus10ToNPlus13)
{
    for (int radio = bus::kFirstChannel; radio <= bus::kLastChannel; ++radio) {
        std::vector<int> expected;
        for (int wifi = 1; wifi <= 13; ++wifi) {
            if (radio >= wifi + 10 && radio <= wifi + 13)
                expected.push_back(wifi);
        }
        EXPECT_EQ(busreport::OverlappingWifiChannels(radio), expected) << radio;
    }
    EXPECT_EQ(busreport::ChannelRange(busreport::OverlappingWifiChannels(11)), "1");
    EXPECT_EQ(busreport::ChannelRange(busreport::OverlappingWifiChannels(18)), "5-8");
    EXPECT_EQ(busreport::ChannelRange({}), "-");
}

TEST(ScanStats, KeepsLastPeakAndAverageAndIgnoresOtherChannels)
{
    busreport::CScanStats stats;
    for (int level : {10, 40, 25})
        stats.Add(15, level);
    stats.Add(10, 99);
    stats.Add(27, 99);
    const busreport::ChannelStats& s = stats.Of(15);
    EXPECT_EQ(s.samples, 3);
    EXPECT_EQ(s.last, 25);
    EXPECT_EQ(s.peak, 40);
    EXPECT_DOUBLE_EQ(s.Average(), 25.0);
    EXPECT_EQ(stats.TotalSamples(), 3);
}

TEST(ScanStats, RanksByAverageThenPeakThenChannel)
{
    busreport::CScanStats stats;
    stats.Add(20, 30);                 // average 30
    stats.Add(12, 1), stats.Add(12, 2); // average 1.5, peak 2
    stats.Add(14, 1), stats.Add(14, 1), stats.Add(14, 2), stats.Add(14, 2); // 1.5, peak 2
    stats.Add(13, 0), stats.Add(13, 3); // 1.5, peak 3
    stats.Add(25, 1);                  // 1.0
    EXPECT_EQ(stats.QuietestChannels(), (std::vector<int> {25, 12, 14, 13, 20}));
}

sim::SimOptions FixedLevels()
{
    sim::SimOptions options = SimOnPty::Fast();
    options.levels = std::array<int, 16> {90, 80, 70, 60, 50, 40, 30, 20, 10, 0, 5, 15, 25, 35, 45, 255};
    return options;
}

TEST(CliScan, QueriesRoundAndRoundAndReportsEveryChannel)
{
    SimOnPty sim(FixedLevels());
    const std::string csvPath = ::testing::TempDir() + "brenvik-cli-scan.csv";
    // 50 ticks of 20 ms: three rounds of 16 and two more queries.
    const CliRun run = PacedBy(sim).Run(
        {"scan", "--port", sim.Path(), "--seconds", "1", "--interval", "20", "--csv", csvPath});
    ASSERT_EQ(run.code, cli::ExitOk) << run.err;

    const std::vector<std::string> received = sim.Received();
    ASSERT_EQ(received.size(), 50u);
    EXPECT_EQ(received[0].substr(0, 17), "E5 14 10 08 00 0B"); // channel 11 first
    EXPECT_EQ(received[16], received[0]);                      // and again on the 17th

    EXPECT_NE(run.out.find("Channel  Samples  Last  Peak  Average  Wi-Fi overlap\n"
                           "     11        4    90    90     90.0  1\n"
                           "     12        4    80    80     80.0  1-2\n"
                           "     13        3    70    70     70.0  1-3\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("     26        3   255   255    255.0  13\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("   1. channel 20  average 0.0  peak 0  (Wi-Fi 7-10)\n"
                           "   2. channel 21  average 5.0  peak 5  (Wi-Fi 8-11)\n"
                           "   3. channel 19  average 10.0"),
              std::string::npos)
        << run.out;

    std::ifstream csv(csvPath);
    std::vector<std::string> rows;
    for (std::string row; std::getline(csv, row);)
        rows.push_back(row);
    ASSERT_EQ(rows.size(), 17u);
    EXPECT_EQ(rows[0], "channel,samples,last,peak,average,wifi_first,wifi_last,rank");
    EXPECT_EQ(rows[1], "11,4,90,90,90.0,1,1,15");
    EXPECT_EQ(rows[10], "20,3,0,0,0.0,7,10,1");
    std::filesystem::remove(csvPath);
}

TEST(CliScan, JsonCarriesChannelsAndRanking)
{
    SimOnPty sim(FixedLevels());
    const CliRun run = PacedBy(sim).Run({"scan", "--port", sim.Path(), "--seconds", "0.5", "--interval", "25", "--json"});
    ASSERT_EQ(run.code, cli::ExitOk) << run.err;
    EXPECT_NE(run.out.find("{\"channel\": 11, \"samples\": 2, \"last\": 90, \"peak\": 90, \"average\": 90.0, "
                           "\"wifi\": [1]}"),
              std::string::npos)
        << run.out;
    // 20 queries reach channels 11-26 and 11-14 again; the rest were asked once.
    EXPECT_NE(run.out.find("\"interrupted\": false"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"quietest\": [20, 21, 19, 22, 18, 23, 17, 24, 16, 25, 15, 14, 13, 12, 11, 26], "
                           "\"not_measured\": []}"),
              std::string::npos)
        << run.out;
}

TEST(CliScan, ChannelsNeverMeasuredShowNoFiguresAndTheLengthThatReachesThem)
{
    SimOnPty sim(FixedLevels());
    // 10 queries: channels 11-20.
    const std::vector<std::string> args = {"scan", "--port", sim.Path(), "--seconds", "0.2", "--interval", "20"};
    const CliHarness cli = PacedBy(sim);
    const CliRun text = cli.Run(args);
    ASSERT_EQ(text.code, cli::ExitOk) << text.err;
    EXPECT_NE(text.out.find("     21        0     -     -        -  8-11\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("\nNot measured: channels 21, 22, 23, 24, 25, 26 (the scan ended before it reached "
                            "them; --seconds 1 measures all sixteen)\n"),
              std::string::npos)
        << text.out;

    std::vector<std::string> csvArgs = args;
    csvArgs.insert(csvArgs.end(), {"--csv", "-"});
    const CliRun csv = cli.Run(csvArgs);
    EXPECT_EQ(csv.out.rfind("channel,samples,", 0), 0u) << csv.out; // CSV instead of the table
    EXPECT_NE(csv.out.find("\n26,0,,,,13,13,\n"), std::string::npos) << csv.out;

    std::vector<std::string> jsonArgs = args;
    jsonArgs.push_back("--json");
    const CliRun json = cli.Run(jsonArgs);
    EXPECT_NE(json.out.find("{\"channel\": 26, \"samples\": 0, \"last\": null, \"peak\": null, \"average\": null"),
              std::string::npos)
        << json.out;
    EXPECT_NE(json.out.find("\"not_measured\": [21, 22, 23, 24, 25, 26]}"), std::string::npos) << json.out;
}

TEST(CliScan, AnIntervalTheBusCannotKeepIsSaidOnce)
{
    SimOnPty sim(sim::SimOptions {}); // at bus speed: a query takes its echo and reply, some 24 ms
    const CliRun run = CliHarness().Run({"scan", "--port", sim.Path(), "--seconds", "0.15", "--interval", "10"});
    ASSERT_EQ(run.code, cli::ExitOk) << run.err;
    EXPECT_EQ(CountLines(run.err), 1) << run.err;
    EXPECT_EQ(run.err.rfind("brenvik-cli: warning: the bus cannot keep --interval 10 ms; the queries went out every ", 0),
              0u)
        << run.err;
}

TEST(CliScan, TheProgressLineUsesNoEscapeSequencesOnAPlainTerminal)
{
    SimOnPty sim;
    for (bool plain : {false, true}) {
        CliHarness cli = PacedBy(sim);
        cli.ProgressTerminal(plain);
        const CliRun run = cli.Run({"scan", "--port", sim.Path(), "--seconds", "0.2", "--interval", "50"});
        ASSERT_EQ(run.code, cli::ExitOk) << run.err;
        EXPECT_NE(run.err.find("Scanning: 0 s of 0.2, "), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find('\x1b') == std::string::npos, plain) << run.err;
        EXPECT_EQ(run.out.find("Scanning"), std::string::npos);
    }
}

TEST(CliScan, AFileThatCannotBeWrittenIsRefusedBeforeAnythingIsSent)
{
    SimOnPty sim;
    const std::string folder = ::testing::TempDir();
    const std::pair<std::string, std::string> cases[] = {
        {"/nonexistent/dir/scan.csv", "--csv cannot write /nonexistent/dir/scan.csv: No such file or directory"},
        {folder, "--csv takes a file name, and " + folder + " is a folder"},
        {"/proc/brenvik-scan.csv", "--csv cannot write /proc/brenvik-scan.csv: "}, // unwritable, even for root
    };
    for (const auto& [path, says] : cases) {
        const CliRun run = CliHarness().Run({"scan", "--port", sim.Path(), "--csv", path});
        EXPECT_EQ(run.code, cli::ExitUsage) << path;
        EXPECT_EQ(run.err.rfind("brenvik-cli: " + says, 0), 0u) << run.err;
        EXPECT_EQ(CountLines(run.err), 1) << run.err;
    }
    EXPECT_TRUE(sim.Received().empty());
}

TEST(CliScan, AScanThatFailsLeavesAnExistingCsvFileAsItWas)
{
    sim::SimOptions silent = SimOnPty::Fast();
    silent.faults.dropReplies = true;
    SimOnPty sim(silent);
    const std::string csvPath = ::testing::TempDir() + "brenvik-cli-kept.csv";
    for (const std::string& port : {std::string("/nonexistent/brenvik-scan-port"), sim.Path()}) {
        std::ofstream(csvPath) << "old\n";
        const CliRun run = PacedBy(sim).Run(
            {"scan", "--port", port, "--seconds", "0.2", "--interval", "100", "--timeout", "50", "--csv", csvPath});
        EXPECT_NE(run.code, cli::ExitOk) << port;
        std::ifstream csv(csvPath);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(csv), {}), "old\n") << port;
    }
    std::filesystem::remove(csvPath);
    // No temporary file is left beside it.
    for (const auto& entry : std::filesystem::directory_iterator(::testing::TempDir()))
        EXPECT_EQ(entry.path().filename().string().rfind("brenvik-cli-kept.csv.", 0), std::string::npos) << entry.path();
}

TEST(CliScan, NoLevelRepliesIsExitTwo)
{
    sim::SimOptions options = SimOnPty::Fast();
    options.faults.dropReplies = true;
    SimOnPty sim(options);
    const CliRun run = PacedBy(sim).Run(
        {"scan", "--port", sim.Path(), "--seconds", "0.4", "--interval", "100", "--timeout", "50"});
    EXPECT_EQ(run.code, cli::ExitNoReply);
    EXPECT_EQ(run.err, "brenvik-cli: no reply from the transceiver on " + sim.Path()
                           + "; the bus echoed the request, so the line works (is the transceiver powered, plugged in and "
                             "on this bus?)\n");
    EXPECT_EQ(sim.Received().size(), 4u);
}

} // namespace
