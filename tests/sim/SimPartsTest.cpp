#include "sim/BytePacer.h"
#include "sim/FrameLog.h"
#include "sim/SimOptions.h"


#include <gtest/gtest.h>

#include <regex>
#include <sstream>

namespace {

using namespace std::chrono_literals;

sim::ParseResult Parse(std::vector<std::string> args, sim::SimOptions& options, std::string& error)
{
    return sim::ParseSimOptions(args, options, error);
}

TEST(SimOptions, DefaultsServeTheFactorySettingsAtBusSpeed)
{
    sim::SimOptions options;
    std::string error;
    ASSERT_EQ(Parse({}, options, error), sim::ParseResult::Run);
    EXPECT_FALSE(options.fast);
    EXPECT_EQ(options.settings, CTransceiverModel::DefaultSettings());
    EXPECT_FALSE(options.levels);
}

TEST(SimOptions, EveryOptionIsTaken)
{
    sim::SimOptions options;
    std::string error;
    ASSERT_EQ(Parse({"--link", "/tmp/x", "--fast", "--log", "--name", "Yard", "--group-id", "127", "--key", "9999",
                     "--channel", "26", "--seed", "77", "--levels", "0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,255",
                     "--drop-echoes", "--drop-replies", "--corrupt-echoes", "--corrupt-replies", "--noise", "3",
                     "--foreign", "--second", "Other,5,1234,15", "--flood", "1048576"},
                    options, error),
              sim::ParseResult::Run)
        << error;
    EXPECT_EQ(options.linkPath, "/tmp/x");
    EXPECT_TRUE(options.fast && options.log);
    EXPECT_EQ(options.settings, (bus::RadioSettings {"Yard", 9999, 26, 127}));
    EXPECT_EQ(options.seed, 77u);
    ASSERT_TRUE(options.levels);
    EXPECT_EQ((*options.levels)[15], 255);
    const TransceiverFaults& f = options.faults;
    EXPECT_TRUE(f.dropEchoes && f.dropReplies && f.corruptEchoes && f.corruptReplies && f.foreignMessages);
    EXPECT_EQ(f.noiseBytes, 3u);
    ASSERT_TRUE(f.secondTransceiver);
    EXPECT_EQ(*f.secondTransceiver, (bus::RadioSettings {"Other", 1234, 15, 5}));
    EXPECT_EQ(f.floodBytes, 1048576u);
}

TEST(SimOptions, NamesCountCharactersNotBytes)
{
    sim::SimOptions options;
    std::string error;
    // Eight letters, ten bytes.
    ASSERT_EQ(Parse({"--name", "Müllerhö", "--second", "Bärentäl,5,1234,15"}, options, error), sim::ParseResult::Run)
        << error;
    EXPECT_EQ(options.settings.name, "Müllerhö");
    EXPECT_EQ(options.faults.secondTransceiver->name, "Bärentäl");
    EXPECT_EQ(Parse({"--name", "Müllerhöf"}, options, error), sim::ParseResult::Error);
    EXPECT_EQ(Parse({"--second", "Bärentälx,5,1234,15"}, options, error), sim::ParseResult::Error);
}

TEST(SimOptions, BadValuesAreRefusedWithAReason)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string> {"--channel", "10"}, {"--channel", "27"}, {"--group-id", "128"},
          {"--key", "10000"}, {"--key", "-1"}, {"--name", "NineChars"}, {"--levels", "1,2,3"},
          {"--levels", "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,256"}, {"--second", "A,1,2"}, {"--seed", "x"},
          {"--link"}, {"--bogus"}}) {
        sim::SimOptions options;
        std::string error;
        EXPECT_EQ(Parse(args, options, error), sim::ParseResult::Error) << args[0];
        EXPECT_FALSE(error.empty());
    }
    sim::SimOptions options;
    std::string error;
    EXPECT_EQ(Parse({"--fast", "--help"}, options, error), sim::ParseResult::Help);
    EXPECT_NE(sim::HelpText().find("--link PATH"), std::string::npos);
}

TEST(SimOptions, TheCommandLineFormIsTheCommandLinesOwn)
{
    struct Case {
        std::vector<std::string> args;
        const char* error; // nullptr: taken
    };
    const Case cases[] = {
        {{"--chanel", "12"}, "unknown option --chanel (did you mean --channel?)"},
        {{"--name", "-x"}, "--name needs a value (a value that starts with - goes as --name=-x)"},
        {{"--name=-x"}, nullptr},
        {{"--seed=5", "--fast"}, nullptr},
        {{"--fast=1"}, "--fast takes no value"},
        {{"--link"}, "--link needs a value"},
        {{"extra"}, "unexpected argument \"extra\" (brenvik-sim takes options only)"},
        {{"--fast", "--", "--log"}, "unexpected argument \"--log\" (brenvik-sim takes options only)"},
    };
    for (const Case& c : cases) {
        sim::SimOptions options;
        std::string error;
        EXPECT_EQ(Parse(c.args, options, error), c.error ? sim::ParseResult::Error : sim::ParseResult::Run) << c.args[0];
        EXPECT_EQ(error, c.error ? c.error : "") << c.args[0];
    }
}

TEST(BytePacer, ReleasesOneByteEveryByteTime)
{
    const auto t0 = sim::BytePacer::Clock::time_point {} + 1s;
    sim::BytePacer pacer(1ms);
    const std::vector<std::uint8_t> bytes(20, 0x55);
    pacer.Push(bytes, t0);
    EXPECT_EQ(pacer.DueCount(t0), 0u);
    EXPECT_EQ(pacer.MsUntilNext(t0), 1);
    EXPECT_EQ(pacer.DueCount(t0 + 1ms), 1u);
    EXPECT_EQ(pacer.DueCount(t0 + 10500us), 10u);
    pacer.Release(10);
    EXPECT_EQ(pacer.DueCount(t0 + 10500us), 0u);
    EXPECT_EQ(pacer.DueCount(t0 + 25ms), 10u);
    pacer.Release(10);
    EXPECT_EQ(pacer.MsUntilNext(t0 + 25ms), -1);
    // After a pause the line starts afresh.
    pacer.Push(bytes, t0 + 1s);
    EXPECT_EQ(pacer.DueCount(t0 + 1s), 0u);
    EXPECT_EQ(pacer.DueCount(t0 + 1s + 20ms), 20u);
}

TEST(BytePacer, BusSpeedIsAboutPointSixOneMillisecondsAByte)
{
    const double byteMs = std::chrono::duration<double, std::milli>(sim::BytePacer::kBusByteTime).count();
    EXPECT_NEAR(byteMs, 0.6077, 0.001);
    sim::BytePacer fast(0ns);
    const std::vector<std::uint8_t> bytes(1000, 1);
    const auto now = sim::BytePacer::Clock::now();
    fast.Push(bytes, now);
    EXPECT_EQ(fast.DueCount(now), 1000u);
}

TEST(FrameLog, FramesAreSplitAtOpcodesAndLoggedWithTimestampAndDirection)
{
    std::ostringstream out;
    sim::FrameLog log(out);
    sim::ReportFrames(sim::LineFrame::Way::ToProgram, std::vector<std::uint8_t> {0x01, 0x7F, 0x83, 0x7C, 0xE5, 0x14},
                      [&](const sim::LineFrame& frame) { log.Log(frame); });
    const std::regex line(R"(\d\d:\d\d:\d\d\.\d\d\d tx ([0-9A-F ]+)\n)");
    std::string text = out.str();
    std::vector<std::string> frames;
    for (std::sregex_iterator it(text.begin(), text.end(), line), end; it != end; ++it)
        frames.push_back((*it)[1]);
    EXPECT_EQ(frames, (std::vector<std::string> {"01 7F", "83 7C", "E5 14"})) << text;
}

}  // namespace
