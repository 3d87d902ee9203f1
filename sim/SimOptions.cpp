#include "sim/SimOptions.h"

#include "bus/BusLimits.h"
#include "bus/Latin1.h"
#include "cmdline/OptionWord.h"

#include <algorithm>
#include <charconv>
#include <sstream>

namespace sim {
namespace {

bool ParseInt(const std::string& text, long long low, long long high, long long& value)
{
    const char* end = text.data() + text.size();
    auto [stop, err] = std::from_chars(text.data(), end, value);
    return err == std::errc() && stop == end && value >= low && value <= high;
}

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator))
        parts.push_back(part);
    if (!text.empty() && text.back() == separator)
        parts.emplace_back();
    return parts;
}

// NAME,ID,KEY,CHANNEL
bool ParseSettings(const std::string& text, bus::RadioSettings& settings)
{
    const std::vector<std::string> parts = Split(text, ',');
    long long id, key, channel;
    if (parts.size() != 4 || bus::Utf8Length(parts[0]) > bus::kNameLength
        || !ParseInt(parts[1], bus::kMinGroupId, bus::kMaxGroupId, id)
        || !ParseInt(parts[2], bus::kMinPasswordKey, bus::kMaxPasswordKey, key)
        || !ParseInt(parts[3], bus::kFirstChannel, bus::kLastChannel, channel))
        return false;
    settings = {parts[0], static_cast<std::int32_t>(key), static_cast<std::int32_t>(channel),
                static_cast<std::int32_t>(id)};
    return true;
}

bool ParseLevels(const std::string& text, CTransceiverModel::LevelTable& levels)
{
    const std::vector<std::string> parts = Split(text, ',');
    if (parts.size() != levels.size())
        return false;
    for (size_t i = 0; i < parts.size(); ++i) {
        long long level;
        if (!ParseInt(parts[i], 0, 255, level))
            return false;
        levels[i] = static_cast<std::int32_t>(level);
    }
    return true;
}

// PORT, HOST:PORT or [IPV6]:PORT.
bool ParseListen(const std::string& text, ListenAddress& address)
{
    const std::size_t colon = text.rfind(':');
    std::string host = colon == std::string::npos ? address.host : text.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    long long port = 0;
    if (host.empty() || !ParseInt(colon == std::string::npos ? text : text.substr(colon + 1), 0, 65535, port))
        return false;
    address = {host, static_cast<std::uint16_t>(port)};
    return true;
}

}  // namespace

std::string HelpText()
{
    return R"(Usage: brenvik-sim [options]

Simulates the bus interface and radio transceiver on a pseudo-terminal, so
that Brenvik can be tried without hardware. The first line printed is the
pseudo-terminal's path; point Brenvik at it (Port Setup, or the settings
section "Ports", entry "COM<n>" = that path, or use --link for a stable name).
With --listen it is a network interface instead, and the first line is its
URL (tcp://HOST:PORT). The simulator echoes every message, answers Get and
level queries, keeps what Set writes, and serves on when Brenvik closes and
reopens the port. SIGINT or SIGTERM (Ctrl+C on Windows) end it cleanly.

Options:
  --listen [HOST:]PORT serve on TCP (raw bytes, one client at a time) instead
                       of a pseudo-terminal, on 127.0.0.1 unless HOST is
                       named; port 0 takes a free one. The only way on Windows
  --link PATH          also make PATH a symbolic link to the pseudo-terminal
                       (an old link there is replaced; removed at exit)
  --fast               no bus timing; by default bytes go out at the line's
                       speed (16457 baud 8N1: about 0.61 ms a byte, 12 ms for
                       a 20-byte message)
  --baud N             be an interface at N baud: answer nothing while the
                       program has set another speed (and pace at N baud)
  --flow none|rtscts   likewise for the flow control the program must set
  --log                print every frame received (rx) and sent (tx) in hex,
                       with a timestamp
  --name TEXT          starting group name, up to 8 characters (Olv12345)
  --group-id N         starting group ID, 0-127 (0)
  --key N              starting password key, 0-9999 (0)
  --channel N          starting RF channel, 11-26 (11)
  --seed N             seed of the busy channels and level jitter (1)
  --levels L11,...,L26 sixteen fixed signal levels 0-255 for channels 11-26
                       instead of the seeded ones
Faults:
  --drop-echoes        send no echoes
  --drop-replies       answer no Get or level query
  --corrupt-echoes     echoes arrive with a wrong checksum
  --corrupt-replies    replies arrive with a wrong checksum
  --noise N            N stray data bytes before every message sent back
  --foreign            messages of other kinds after the answers to each message
  --second NAME,ID,KEY,CHANNEL
                       a second transceiver that also answers every Get and
                       level query, after the first
  --flood N            N data bytes (0x00-0x7F counting) after the answers to
                       each message
  --help               show this text
  --version            show the version
)";
}

namespace {

struct KnownOption {
    const char* name;
    bool takesValue;
};

constexpr KnownOption kOptions[] = {
    {"--listen", true},        {"--link", true},          {"--fast", false},           {"--baud", true},
    {"--flow", true},          {"--log", false},          {"--name", true},            {"--group-id", true},
    {"--key", true},           {"--channel", true},       {"--seed", true},            {"--levels", true},
    {"--drop-echoes", false},  {"--drop-replies", false}, {"--corrupt-echoes", false}, {"--corrupt-replies", false},
    {"--noise", true},         {"--foreign", false},      {"--second", true},          {"--flood", true},
    {"--help", false},         {"--version", false},
};

const KnownOption* FindOption(const std::string& name)
{
    for (const KnownOption& known : kOptions) {
        if (name == known.name)
            return &known;
    }
    return nullptr;
}

}  // namespace

ParseResult ParseSimOptions(const std::vector<std::string>& args, SimOptions& options, std::string& error)
{
    // --help and --version win wherever they stand, whatever else is wrong.
    const auto optionsEnd = std::find(args.begin(), args.end(), "--");
    const auto present = [&](std::initializer_list<const char*> words) {
        return std::any_of(args.begin(), optionsEnd, [&](const std::string& arg) {
            return std::find(words.begin(), words.end(), arg) != words.end();
        });
    };
    if (present({"--version"}))
        return ParseResult::Version;
    if (present({"--help", "-h"}))
        return ParseResult::Help;

    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--" && !optionsEnded) {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || args[i] == "-" || !args[i].starts_with("-")) {
            error = "unexpected argument \"" + args[i] + "\" (brenvik-sim takes options only)";
            return ParseResult::Error;
        }
        const cmdline::OptionWord typed = cmdline::SplitOption(args[i]);
        const std::string& option = typed.name;
        const KnownOption* known = FindOption(option);
        if (!known) {
            std::vector<std::string> names;
            for (const KnownOption& k : kOptions)
                names.emplace_back(k.name);
            error = "unknown option " + option + cmdline::DidYouMean(option, names);
            return ParseResult::Error;
        }
        std::string text;
        if (!cmdline::ReadValue(args, i, typed, option, known->takesValue, text, error))
            return ParseResult::Error;
        auto number = [&](long long low, long long high, long long& out) {
            if (ParseInt(text, low, high, out))
                return true;
            error = option + " takes a whole number from " + std::to_string(low) + " to " + std::to_string(high)
                + ", not \"" + text + "\"";
            return false;
        };
        long long n = 0;

        if (option == "--listen") {
            ListenAddress address;
            if (!ParseListen(text, address)) {
                error = "--listen takes PORT or HOST:PORT (port 0-65535), not \"" + text + "\"";
                return ParseResult::Error;
            }
            options.listen = address;
        } else if (option == "--link") {
            options.linkPath = text;
        } else if (IsLineOption(option)) {
            if (!ParseLineOption(option, text, options.line, error))
                return ParseResult::Error;
        } else if (option == "--fast") {
            options.fast = true;
        } else if (option == "--log") {
            options.log = true;
        } else if (option == "--name") {
            if (bus::Utf8Length(text) > bus::kNameLength) {
                error = "--name takes at most 8 characters";
                return ParseResult::Error;
            }
            options.settings.name = text;
        } else if (option == "--group-id") {
            if (!number(bus::kMinGroupId, bus::kMaxGroupId, n))
                return ParseResult::Error;
            options.settings.netWorkId = static_cast<std::int32_t>(n);
        } else if (option == "--key") {
            if (!number(bus::kMinPasswordKey, bus::kMaxPasswordKey, n))
                return ParseResult::Error;
            options.settings.pwKey = static_cast<std::int32_t>(n);
        } else if (option == "--channel") {
            if (!number(bus::kFirstChannel, bus::kLastChannel, n))
                return ParseResult::Error;
            options.settings.rfChannel = static_cast<std::int32_t>(n);
        } else if (option == "--seed") {
            if (!number(0, 0xFFFFFFFFll, n))
                return ParseResult::Error;
            options.seed = static_cast<std::uint32_t>(n);
        } else if (option == "--levels") {
            CTransceiverModel::LevelTable levels {};
            if (!ParseLevels(text, levels)) {
                error = "--levels takes 16 comma-separated levels from 0 to 255";
                return ParseResult::Error;
            }
            options.levels = levels;
        } else if (option == "--drop-echoes") {
            options.faults.dropEchoes = true;
        } else if (option == "--drop-replies") {
            options.faults.dropReplies = true;
        } else if (option == "--corrupt-echoes") {
            options.faults.corruptEchoes = true;
        } else if (option == "--corrupt-replies") {
            options.faults.corruptReplies = true;
        } else if (option == "--noise") {
            if (!number(0, 1 << 20, n))
                return ParseResult::Error;
            options.faults.noiseBytes = static_cast<std::size_t>(n);
        } else if (option == "--foreign") {
            options.faults.foreignMessages = true;
        } else if (option == "--second") {
            bus::RadioSettings second;
            if (!ParseSettings(text, second)) {
                error = "--second takes NAME,ID,KEY,CHANNEL (name up to 8 characters, ID 0-127, key 0-9999, "
                        "channel 11-26)";
                return ParseResult::Error;
            }
            options.faults.secondTransceiver = second;
        } else if (option == "--flood") {
            if (!number(0, 1ll << 30, n))
                return ParseResult::Error;
            options.faults.floodBytes = static_cast<std::size_t>(n);
        }
    }
    // A TCP client sets no line and has no pseudo-terminal to link to.
    if (options.listen && !options.linkPath.empty()) {
        error = "--link names a pseudo-terminal, and --listen serves none";
        return ParseResult::Error;
    }
    if (options.listen && (options.line.baud || options.line.rtsCts)) {
        error = "--baud and --flow check the line a program sets, and a TCP client sets none";
        return ParseResult::Error;
    }
    return ParseResult::Run;
}

}  // namespace sim
