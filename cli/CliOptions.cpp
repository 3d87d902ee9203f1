#include "cli/CliOptions.h"

#include "bus/Latin1.h"
#include "bus/GroupRequests.h"

#include <algorithm>
#include <charconv>
#include <set>

namespace cli {
namespace {

// Every bus command takes the common options; monitor has no reply window,
// so --timeout changes nothing there.
const std::set<std::string> kBusOptions = {"--port", "--baud", "--flow", "--timeout"};

// Which options each command takes, besides --help.
std::set<std::string> OptionsOf(const std::string& command)
{
    std::set<std::string> allowed = kBusOptions;
    if (command == "ports" || command == "help")
        return {};
    if (command == "get")
        allowed.insert("--json");
    else if (command == "set")
        allowed.insert({"--name", "--channel", "--key", "--verify", "--no-verify"});
    else if (command == "scan")
        allowed.insert({"--seconds", "--interval", "--csv", "--json"});
    else if (command == "monitor")
        allowed.insert("--wait");
    else
        return {};
    return allowed;
}

bool IsCommand(const std::string& word)
{
    return word == "ports" || word == "get" || word == "set" || word == "scan" || word == "monitor"
        || word == "help";
}

bool TakesValue(const std::string& option)
{
    return option != "--json" && option != "--verify" && option != "--no-verify" && option != "--help"
        && option != "--wait";
}

bool ParseNumber(const std::string& text, int low, int high, int& value)
{
    const char* end = text.data() + text.size();
    auto [stop, err] = std::from_chars(text.data(), end, value);
    return !text.empty() && err == std::errc() && stop == end && value >= low && value <= high;
}

bool IsPrintableLatin1(unsigned char c)
{
    return (c >= 0x20 && c <= 0x7E) || c >= 0xA0;
}

} // namespace

std::optional<std::string> CheckGroupName(const std::string& name)
{
    const std::string bytes = bus::Utf8ToLatin1(name);
    // A character the name cannot carry would change on the way; say so instead.
    if (bus::Latin1ToUtf8(bytes) != name)
        return "the group name can only hold Latin-1 characters (no character above U+00FF)";
    if (bytes.empty() || bytes.size() > bus::kNameLength)
        return "the group name takes 1 to 8 characters, not " + std::to_string(bytes.size());
    if (!std::all_of(bytes.begin(), bytes.end(), [](char c) { return IsPrintableLatin1(static_cast<unsigned char>(c)); }))
        return "the group name takes printable characters only";
    return std::nullopt;
}

busport::LineSettings LineFor(const CliOptions& options, const busport::LineSettings& stored)
{
    return {options.baud.value_or(stored.baud), options.flow.value_or(stored.flow)};
}

bool ParseCliOptions(const std::vector<std::string>& args, CliOptions& options, std::string& error)
{
    std::vector<std::pair<std::string, std::string>> given; // option, value
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string word = args[i];
        if (word == "--help" || word == "-h") {
            options.help = true;
            continue;
        }
        if (word == "--version") {
            options.version = true;
            continue;
        }
        if (!word.starts_with("--")) {
            if (options.command.empty() && IsCommand(word)) {
                options.command = word;
            } else if (options.command == "help" && IsCommand(word) && word != "help") {
                options.command = word;
                options.help = true;
            } else {
                error = options.command.empty() ? "unknown command \"" + word + "\""
                                                : "unexpected argument \"" + word + "\"";
                return false;
            }
            continue;
        }
        std::string value;
        const std::size_t equals = word.find('=');
        const bool inlineValue = equals != std::string::npos;
        if (inlineValue) {
            value = word.substr(equals + 1);
            word.resize(equals);
        }
        if (TakesValue(word) && !inlineValue) {
            if (i + 1 >= args.size()) {
                error = word + " needs a value";
                return false;
            }
            value = args[++i];
        } else if (!TakesValue(word) && inlineValue) {
            error = word + " takes no value";
            return false;
        }
        given.emplace_back(word, value);
    }
    if (options.version)
        return true;
    if (options.command.empty()) {
        if (options.help) {
            options.command = "help";
            return true;
        }
        error = "no command given";
        return false;
    }
    if (options.command == "help")
        options.help = true;
    if (options.help)
        return true;

    const std::set<std::string> allowed = OptionsOf(options.command);
    for (const auto& [option, value] : given) {
        auto number = [&](int low, int high, int& out) {
            if (ParseNumber(value, low, high, out))
                return true;
            error = option + " takes a whole number from " + std::to_string(low) + " to " + std::to_string(high)
                + ", not \"" + value + "\"";
            return false;
        };
        int n = 0;
        if (option == "--group-id" && options.command == "set") {
            error = "the group ID cannot be written; it is set by the transceiver";
            return false;
        } else if (!allowed.contains(option)) {
            error = "unknown option " + option + " for " + options.command;
            return false;
        } else if (option == "--port") {
            if (value.empty()) {
                error = "--port needs a COM number (COM5) or a device path";
                return false;
            }
            options.port = value;
        } else if (option == "--baud") {
            if (!number(int(bus::kMinBaudRate), int(bus::kMaxBaudRate), n))
                return false;
            options.baud = static_cast<std::uint32_t>(n);
        } else if (option == "--flow") {
            if (value != "none" && value != "rtscts") {
                error = "--flow takes none or rtscts, not \"" + value + "\"";
                return false;
            }
            options.flow = value == "none" ? busport::Flow::None : busport::Flow::RtsCts;
        } else if (option == "--timeout") {
            if (!number(1, 600000, options.timeoutMs))
                return false;
        } else if (option == "--json") {
            options.json = true;
        } else if (option == "--wait") {
            options.wait = true;
        } else if (option == "--name") {
            if (const auto wrong = CheckGroupName(value)) {
                error = *wrong + ": \"" + value + "\"";
                return false;
            }
            options.name = value;
        } else if (option == "--channel") {
            if (!number(bus::kFirstChannel, bus::kLastChannel, n))
                return false;
            options.channel = n;
        } else if (option == "--key") {
            if (!number(bus::kMinPasswordKey, bus::kMaxPasswordKey, n))
                return false;
            options.key = n;
        } else if (option == "--verify" || option == "--no-verify") {
            options.verify = option == "--verify";
        } else if (option == "--seconds") {
            if (!number(1, 86400, options.seconds))
                return false;
        } else if (option == "--interval") {
            if (!number(10, 60000, options.intervalMs))
                return false;
        } else if (option == "--csv") {
            if (value.empty()) {
                error = "--csv needs a file name";
                return false;
            }
            options.csvPath = value;
        }
    }
    if (options.command == "set" && !options.name && !options.channel && !options.key) {
        error = "nothing to set: give --name, --channel or --key (the group ID cannot be written)";
        return false;
    }
    return true;
}

} // namespace cli
