// What scripts and terminals rely on: text from outside never reaches the
// terminal raw, JSON on every outcome, a Set cut short or fed values out of
// range says what was written.

#include "bus/GroupRequests.h"
#include "busreport/Json.h"
#include "cli/ExitCode.h"

#include "CliTestSupport.h"
#include "ScriptedDevice.h"

#include "tests/support/ChildProgram.h"
#include "tests/support/FakeSystemTree.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <csignal>
#include <functional>

namespace {

using cli::ExitNoReply;
using cli::ExitOk;
using cli::ExitPortError;
using cli::ExitUsage;
using nlohmann::json;

// A name a hostile device might answer: retitles an xterm (ESC ] 0; ... BEL),
// a DEL, and the C1 CSI as Latin-1 carries it.
const std::string kHostileName = "\x1b]0;x\x07\x7f\xc2\x9b";

// The first control character (C0 but newline, DEL, C1 in UTF-8) in `text`, or npos.
std::size_t RawControl(const std::string& text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if ((c < 0x20 && c != '\n') || c == 0x7F)
            return i;
        if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0)
            return i;
    }
    return std::string::npos;
}

sim::SimOptions Hostile()
{
    sim::SimOptions options = SimOnPty::Fast();
    options.settings.name = kHostileName;
    return options;
}

// brenvik-cli monitor as a process against a pseudo-terminal that sends `traffic`; its whole output.
CliRun Monitor(std::vector<std::string> args, const std::vector<unsigned char>& traffic)
{
    PseudoTerminal bus;
    args.insert(args.end(), {"monitor", "--port", bus.SlavePath()});
    ChildProgram monitor(BRENVIK_CLI_PROGRAM, args, {{"BRENVIK_LOCK_DIR", ""}});
    CliRun run;
    run.err = monitor.ErrLine() + '\n';
    bus.Send(traffic);
    run.out = monitor.OutLine() + '\n';
    run.code = monitor.Finish(SIGINT);
    run.err += monitor.RestOfErr();
    return run;
}

std::vector<unsigned char> Bytes(const bus::GroupMessageFields& fields)
{
    const bus::GroupMessageBytes bytes = bus::PackGroupMessage(fields);
    return {bytes.begin(), bytes.end()};
}

TEST(CliOutsideText, NoCommandWritesARawControlCharacter)
{
    SimOnPty sim(Hostile());
    PseudoTerminal usb, held;
    FakeSystemTree tree("brenvik-cli-hostile");
    tree.AddUsbTty(std::filesystem::path(usb.SlavePath()).filename().string(), "2",
                   {"04\x1b""03", "6001", kHostileName, "\x9b""2J", "\x1b[2J"});
    tree.AddProcess(4242, kHostileName, {held.SlavePath()});
    CliHarness ports;
    ports.SetIdentityRoots(tree.Roots());
    ports.Map(1, held.SlavePath());
    ports.Map(2, usb.SlavePath());
    const std::vector<unsigned char> reply = Bytes(bus::MakeSettingsReply({kHostileName, 1, 11, 2}));

    struct Case {
        const char* what;
        std::function<CliRun()> run;
    };
    const Case cases[] = {
        {"get", [&] { return CliHarness().Run({"get", "--port", sim.Path()}); }},
        {"get --json", [&] { return CliHarness().Run({"get", "--json", "--port", sim.Path()}); }},
        {"set keeping the name", [&] { return CliHarness().Run({"set", "--port", sim.Path(), "--channel", "12"}); }},
        {"set --json", [&] { return CliHarness().Run({"set", "-j", "--port", sim.Path(), "--key", "12"}); }},
        {"ports", [&] { return ports.Run({"ports"}); }},
        {"ports --json", [&] { return ports.Run({"ports", "--json"}); }},
        {"monitor", [&] { return Monitor({}, reply); }},
        {"monitor --json", [&] { return Monitor({"--json"}, reply); }},
        {"a port named with control characters", [&] { return CliHarness().Run({"get", "--port", "/tmp/\x1b[2J"}); }},
    };
    for (const Case& c : cases) {
        const CliRun run = c.run();
        EXPECT_EQ(RawControl(run.out), std::string::npos) << c.what << ": " << run.out;
        EXPECT_EQ(RawControl(run.err), std::string::npos) << c.what << ": " << run.err;
        const std::string all = run.out + run.err; // it did show the text, escaped
        EXPECT_TRUE(all.find(R"(\x1B)") != std::string::npos || all.find(R"(\u001b)") != std::string::npos) << c.what;
    }
}

TEST(CliJson, EveryOutcomeOfEveryCommandIsOneDocumentNamingItsError)
{
    SimOnPty sim;
    sim::SimOptions silentOptions = SimOnPty::Fast();
    silentOptions.faults.dropReplies = true;
    SimOnPty silent(silentOptions);
    sim::SimOptions outOfRangeOptions = SimOnPty::Fast();
    outOfRangeOptions.settings.rfChannel = 200;
    SimOnPty outOfRange(outOfRangeOptions);
    std::atomic<int> interrupt {SIGINT};

    struct Case {
        std::vector<std::string> args;
        int code;
        const char* error; // nullptr: success
        const char* has;   // a key the document holds
        const std::atomic<int>* stop = nullptr;
    };
    const std::string port = sim.Path();
    const Case cases[] = {
        {{"get", "--port", port}, ExitOk, nullptr, "transceivers"},
        {{"get", "--port", silent.Path(), "--timeout", "100"}, ExitNoReply, "no_reply", "bad_checksums"},
        {{"get", "--port", "/nonexistent/brenvik-json"}, ExitPortError, "no_device", "device"},
        {{"get", "--port", port, "--timeout", "x"}, ExitUsage, "usage", "message"},
        {{"get", "--port", port, "--bogus"}, ExitUsage, "usage", "message"},
        {{"get", "--port", port}, 130, "interrupted", "port", &interrupt},
        {{"set", "--port", port, "--name", "Yard"}, ExitOk, nullptr, "writes"},
        {{"set", "--port", port, "--key", "7", "--no-verify"}, ExitOk, nullptr, "written"},
        {{"set", "--port", outOfRange.Path(), "--key", "7"}, ExitUsage, "out_of_range", "before"},
        {{"set", "--port", silent.Path(), "--key", "7", "--timeout", "100"}, ExitNoReply, "no_reply", "port"},
        {{"set", "--port", port}, ExitUsage, "usage", "message"},
        {{"scan", "--port", port, "--seconds", "0.2", "--interval", "20"}, ExitOk, nullptr, "channels"},
        {{"scan", "--port", silent.Path(), "--seconds", "0.1", "--interval", "20", "--timeout", "100"}, ExitNoReply,
         "no_reply", "bad_checksums"},
        {{"scan", "--port", port, "--seconds", "0.2"}, 130, "interrupted", "scan", &interrupt},
        {{"monitor", "--port", "/nonexistent/brenvik-json"}, ExitPortError, "no_device", "port"},
        {{"ports"}, ExitOk, nullptr, "ports"},
        {{"ports", "--use", "COM3"}, ExitUsage, "usage", "message"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        args.push_back("--json");
        // Time passes as the silent simulator answers, so its time-outs cost none.
        const bool quiet = c.args.size() > 2 && c.args[2] == silent.Path();
        const CliRun run = (quiet ? PacedBy(silent) : CliHarness()).Run(args, c.stop);
        const std::string what = c.args[0] + " " + (c.error ? c.error : "ok");
        EXPECT_EQ(run.code, c.code) << what << ": " << run.err;
        EXPECT_EQ(CountLines(run.out), 1) << what << ": " << run.out; // exactly one document
        const json document = json::parse(run.out, nullptr, false);
        ASSERT_FALSE(document.is_discarded()) << what << ": " << run.out;
        EXPECT_TRUE(document.contains(c.has)) << what << ": " << run.out;
        if (c.error) {
            EXPECT_EQ(document.value("error", ""), c.error) << what << ": " << run.out;
            EXPECT_EQ(CountLines(run.err), 1) << what << ": " << run.err; // and the one line on stderr
        } else {
            EXPECT_FALSE(document.contains("error")) << what << ": " << run.out;
        }
    }
}

TEST(CliSet, ACutShortSetSaysWhichWritesWentOut)
{
    struct Case {
        int vanishAfter;
        const char* says;
    };
    for (const Case c : {Case {1, "after 1 of the 4 writes (name went out, channel, group ID and key did not)"},
                         Case {2, "after 2 of the 4 writes (name and channel went out, group ID and key did not)"},
                         Case {3, "after 3 of the 4 writes (name, channel and group ID went out, key did not)"}}) {
        for (const bool json : {false, true}) {
            ScriptedDevice device(bus::MakeSettingsReply({"Yard", 1, 11, 2}), c.vanishAfter);
            std::vector<std::string> args = {"set", "--port", device.Path(), "--key", "42"};
            if (json)
                args.push_back("--json");
            const CliRun run = CliHarness().Run(args);
            EXPECT_EQ(run.code, ExitPortError) << run.err;
            EXPECT_EQ(device.WritesTaken(), c.vanishAfter);
            EXPECT_NE(run.err.find("the device stopped working"), std::string::npos) << run.err;
            EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
            if (!json)
                continue;
            const nlohmann::json document = nlohmann::json::parse(run.out);
            EXPECT_EQ(document["error"], "device_gone");
            ASSERT_EQ(document["writes"].size(), 4u);
            for (int i = 0; i < 4; ++i)
                EXPECT_EQ(document["writes"][i]["sent"], i < c.vanishAfter) << run.out;
        }
    }
}

TEST(CliSet, ValuesOutOfRangeAreMarkedAndOnlyWrittenWhenGivenAnew)
{
    bus::GroupMessageFields garbled = bus::MakeSettingsReply({"Yard", 1234, 11, 2});
    garbled.data[8] = garbled.data[9] = 0xFF; // every key digit 15: key 16665
    struct Case {
        bus::GroupMessageFields reply;
        std::vector<std::string> setArgs;
        const char* marked; // in get's text
        bool written;
    };
    const Case cases[] = {
        {bus::MakeSettingsReply({"Yard", 1, 200, 2}), {"--name", "Shed"}, "Channel:    200 (out of range 11-26)", false},
        {bus::MakeSettingsReply({"Yard", 1, 200, 2}), {"--channel", "12"}, "Channel:    200 (out of range 11-26)", true},
        {garbled, {"--name", "Shed"}, "Key:        16665 (out of range 0-9999)", false},
        {garbled, {"--key", "5"}, "Key:        16665 (out of range 0-9999)", true},
        {bus::MakeSettingsReply({"Yard", 1, 11, 255}), {"--key", "5"}, "Group ID:   255 (out of range 0-127)", false},
    };
    for (const Case& c : cases) {
        ScriptedDevice device(c.reply);
        const CliRun get = CliHarness().Run({"get", "--port", device.Path()});
        EXPECT_EQ(get.code, ExitOk);
        EXPECT_NE(get.out.find(c.marked), std::string::npos) << get.out;

        std::vector<std::string> args = {"set", "--port", device.Path(), "--no-verify"};
        args.insert(args.end(), c.setArgs.begin(), c.setArgs.end());
        const CliRun set = CliHarness().Run(args);
        EXPECT_EQ(set.code, c.written ? ExitOk : ExitUsage) << set.err;
        EXPECT_EQ(device.WritesTaken(), c.written ? 4 : 0) << set.err;
        if (!c.written)
            EXPECT_NE(set.err.find("out of range, and set would write it back; nothing was written"), std::string::npos)
                << set.err;
    }
}

TEST(CliJson, TheScansStringsAreValidJsonWhateverTheBytes)
{
    std::vector<std::string> texts = {"Yard", "Café", "\xe2\x82\xac", "\xf0\x9f\x9a\x82", // good UTF-8 stays as it is
                                      "\xc3", "\xe2\x82", "\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "a\xffb"};
    for (int byte = 0; byte < 256; ++byte)
        texts.emplace_back(1, static_cast<char>(byte));
    for (const std::string& text : texts) {
        const json parsed = json::parse(busreport::JsonString(text), nullptr, false);
        ASSERT_TRUE(parsed.is_string()) << busreport::JsonString(text);
        bool utf8 = true;
        try {
            (void)json(text).dump(); // the library refuses to write what is no UTF-8
        } catch (const json::type_error&) {
            utf8 = false;
        }
        if (utf8)
            EXPECT_EQ(parsed.get<std::string>(), text); // what was valid UTF-8 comes back unchanged
        else
            EXPECT_NE(parsed.get<std::string>().find("\xef\xbf\xbd"), std::string::npos); // U+FFFD in place of the bytes
    }
}

} // namespace
