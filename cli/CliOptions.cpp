#include "cli/CliOptions.h"

#include "bus/Latin1.h"
#include "bus/BusLimits.h"
#include "bus/GroupRequests.h"
#include "cli/ReplacedFile.h"
#include "cmdline/OptionWord.h"
#include "serial/NetworkAddress.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

namespace cli {
namespace {

struct KnownOption {
    const char* name;
    bool takesValue;
};

// Every option of every command.
constexpr KnownOption kOptions[] = {
    {"--port", true},     {"--baud", true},      {"--flow", true},      {"--timeout", true}, {"--json", false},
    {"--name", true},     {"--channel", true},   {"--key", true},       {"--verify", false}, {"--no-verify", false},
    {"--seconds", true},  {"--interval", true},  {"--csv", true},       {"--probe", false},  {"--use", true},
    {"--group-id", true}, {"--wait", false},     {"--force", false},    {"--forget", true},
};

// The short forms, each standing for its long option.
constexpr std::pair<const char*, const char*> kShortOptions[] = {
    {"-p", "--port"}, {"-j", "--json"}, {"-h", "--help"}, {"-V", "--version"},
};

std::string LongForm(const std::string& word)
{
    for (const auto& [shortForm, longForm] : kShortOptions) {
        if (word == shortForm)
            return longForm;
    }
    return word;
}

constexpr const char* kCommands[] = {"ports", "get", "set", "scan", "monitor", "help"};

const KnownOption* FindOption(const std::string& name)
{
    for (const KnownOption& known : kOptions) {
        if (name == known.name)
            return &known;
    }
    return nullptr;
}

// Which options each command takes, besides --help and --version. Every bus
// command takes the common options; monitor has no reply window, so
// --timeout changes nothing there.
std::vector<std::string> OptionsOf(const std::string& command)
{
    if (command == "ports")
        return {"--json", "--probe", "--use", "--force", "--forget"};
    std::vector<std::string> allowed = {"--port", "--baud", "--flow", "--timeout", "--json"};
    if (command == "set")
        allowed.insert(allowed.end(), {"--name", "--channel", "--key", "--verify", "--no-verify"});
    else if (command == "scan")
        allowed.insert(allowed.end(), {"--seconds", "--interval", "--csv"});
    else if (command == "monitor")
        allowed.push_back("--wait");
    else if (command != "get")
        return {};
    return allowed;
}

bool IsCommand(const std::string& word)
{
    return std::find(std::begin(kCommands), std::end(kCommands), word) != std::end(kCommands);
}

// A word where the command should be, in words, with the command it most likely meant.
std::string UnknownCommand(const std::string& word)
{
    return "unknown command \"" + word + "\"" + cmdline::DidYouMean(word, {std::begin(kCommands), std::end(kCommands)});
}

// An option the command does not take, in words, with the one it most likely meant.
std::string UnknownOption(const std::string& option, const std::string& command)
{
    std::vector<std::string> candidates = OptionsOf(command);
    if (command.empty()) {
        for (const KnownOption& known : kOptions)
            candidates.emplace_back(known.name);
    }
    candidates.insert(candidates.end(), {"--help", "--version"});
    std::string text = "unknown option " + option;
    if (FindOption(option) && !command.empty())
        text += " for " + command;
    return text + cmdline::DidYouMean(option, candidates);
}

bool ParseNumber(const std::string& text, int low, int high, int& value)
{
    const char* end = text.data() + text.size();
    auto [stop, err] = std::from_chars(text.data(), end, value);
    return !text.empty() && err == std::errc() && stop == end && value >= low && value <= high;
}

bool ParseSeconds(const std::string& text, double& value)
{
    const char* end = text.data() + text.size();
    auto [stop, err] = std::from_chars(text.data(), end, value, std::chars_format::fixed);
    return !text.empty() && err == std::errc() && stop == end && value >= 0.1 && value <= 86400;
}

// Why the scan could not write its CSV to `path` at the end, said before it
// starts: the path is a folder, or its folder takes no new file (tried with
// the temporary file the scan would write, removed at once).
std::optional<std::string> CheckCsvTarget(const std::string& path)
{
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored))
        return "--csv takes a file name, and " + path + " is a folder";
    if (const std::string failed = CReplacedFile(path).Prepare(); !failed.empty())
        return "--csv cannot write " + path + ": " + failed;
    return std::nullopt;
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

std::optional<std::string> CheckPortForm(const std::string& what, const std::string& port)
{
    if (port.empty())
        return what + " needs a COM number (COM5) or a device path";
    const auto parsed = ParseNetworkAddress(port);
    if (const auto* wrong = parsed ? std::get_if<NetworkAddressError>(&*parsed) : nullptr)
        return what + " " + port + ": " + wrong->reason;
    return std::nullopt;
}

std::string PortArgument(const std::string& text)
{
    const bool number = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    return number ? "COM" + text : text;
}

busport::LineSettings LineFor(const CliOptions& options, const busport::LineSettings& stored)
{
    return {options.baud.value_or(stored.baud), options.flow.value_or(stored.flow)};
}

bool ParseCliOptions(const std::vector<std::string>& args, CliOptions& options, std::string& error)
{
    // --help and --version win wherever they stand, whatever else is wrong.
    const auto optionsEnd = std::find(args.begin(), args.end(), "--");
    const auto present = [&](std::initializer_list<const char*> words) {
        return std::any_of(args.begin(), optionsEnd,
                           [&](const std::string& arg) { return std::find(words.begin(), words.end(), arg) != words.end(); });
    };
    if (present({"--help", "-h", "--version", "-V"})) {
        options.version = present({"--version", "-V"});
        options.help = !options.version;
        std::vector<std::string> commands;
        std::copy_if(args.begin(), optionsEnd, std::back_inserter(commands), IsCommand);
        options.command = commands.empty() ? "help" : commands.front();
        if (options.command == "help" && commands.size() > 1)
            options.command = commands[1];
        return true;
    }

    std::vector<std::pair<std::string, std::string>> given; // option, value
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string word = args[i];
        if (word == "--" && !optionsEnded) {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || word == "-" || !word.starts_with("-")) {
            if (options.command.empty() && IsCommand(word)) {
                options.command = word;
            } else if (options.command == "help" && IsCommand(word) && word != "help") {
                options.command = word;
                options.help = true;
            } else {
                error = options.command.empty() ? UnknownCommand(word) : "unexpected argument \"" + word + "\"";
                return false;
            }
            continue;
        }
        const cmdline::OptionWord typed = cmdline::SplitOption(word);
        word = LongForm(typed.name);
        const KnownOption* known = FindOption(word);
        std::string value = typed.inlineValue.value_or("");
        if (!known) { // refused once the command is known, so the refusal can name the one meant
            if (!options.command.empty()) {
                error = UnknownOption(word, options.command);
                return false;
            }
            given.emplace_back(word, value);
            continue;
        }
        if (!cmdline::ReadValue(args, i, typed, word, known->takesValue, value, error))
            return false;
        given.emplace_back(word, value);
    }
    if (options.command.empty()) {
        const auto unknown = std::find_if(given.begin(), given.end(), [](const auto& g) { return !FindOption(g.first); });
        error = unknown != given.end() ? UnknownOption(unknown->first, "") + ", and no command given" : "no command given";
        return false;
    }
    if (options.command == "help")
        options.help = true;
    if (options.help)
        return true;

    const std::vector<std::string> allowed = OptionsOf(options.command);
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
        } else if (std::find(allowed.begin(), allowed.end(), option) == allowed.end()) {
            error = UnknownOption(option, options.command);
            return false;
        } else if (option == "--port" || option == "--use") {
            if (const auto wrong = CheckPortForm(option, value)) {
                error = *wrong;
                return false;
            }
            (option == "--port" ? options.port : options.usePort) = PortArgument(value);
        } else if (option == "--forget") {
            const std::string port = PortArgument(value);
            if (!port.starts_with("COM") || !ParseNumber(port.substr(3), bus::kFirstComPort, bus::kLastComPort, n)) {
                error = "--forget takes COM1 to COM20, not \"" + value + "\"";
                return false;
            }
            options.forgetPort = n;
        } else if (option == "--force") {
            options.force = true;
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
            options.timeoutGiven = true;
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
            if (!ParseSeconds(value, options.seconds)) {
                error = option + " takes a number of seconds from 0.1 to 86400, not \"" + value + "\"";
                return false;
            }
        } else if (option == "--interval") {
            if (!number(10, 60000, options.intervalMs))
                return false;
        } else if (option == "--probe") {
            options.probe = true;
        } else if (option == "--csv") {
            if (value.empty()) {
                error = "--csv needs a file name";
                return false;
            }
            if (const auto wrong = value == "-" ? std::nullopt : CheckCsvTarget(value)) {
                error = *wrong;
                return false;
            }
            options.csvPath = value;
        }
    }
    if (options.json && options.csvPath == "-") {
        error = "--json and --csv - both write to stdout; give one of them";
        return false;
    }
    if (options.usePort && options.forgetPort) {
        error = "--use and --forget: give one of them";
        return false;
    }
    if (options.json && (options.usePort || options.forgetPort)) {
        error = "--json goes with the list of ports; --use and --forget say what they did in words";
        return false;
    }
    if (options.force && !options.usePort) {
        error = "--force goes with --use";
        return false;
    }
    if (options.command == "set" && !options.name && !options.channel && !options.key) {
        error = "nothing to set: give --name, --channel or --key (the group ID cannot be written)";
        return false;
    }
    return true;
}

} // namespace cli
