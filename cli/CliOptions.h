#pragma once

#include "busport/LineSettings.h"

#include <optional>
#include <string>
#include <vector>

// The command line of brenvik-cli: a command and its options, checked for
// form and range before anything touches a port.
namespace cli {

struct CliOptions {
    std::string command; // ports, get, set, scan, monitor, or help
    bool help = false;
    bool version = false; // --version anywhere: print it, do nothing else

    // Common to the commands that use the bus.
    std::optional<std::string> port; // "COM5" or a device path; the saved port when absent
    // --baud and --flow: for this run, in place of the port's stored line.
    std::optional<std::uint32_t> baud;
    std::optional<busport::Flow> flow;
    int timeoutMs = 1000;
    bool timeoutGiven = false; // --timeout also bounds connecting to a network interface
    bool json = false;

    // set
    std::optional<std::string> name;
    std::optional<int> channel;
    std::optional<int> key;
    bool verify = true;

    // monitor: wait for an absent device to appear instead of failing
    bool wait = false;

    // scan
    double seconds = 60; // tenths allowed: a short scan of a few channels
    int intervalMs = 200;
    std::optional<std::string> csvPath; // "-": standard output

    // ports
    bool probe = false;                   // open each device briefly for the exact answer
    std::optional<std::string> usePort;   // store this port as the saved one
    bool force = false;                   // --use: store a device that is not there now
    std::optional<int> forgetPort;        // remove this COM number from the port map
};

// Reads the arguments (without the program name). False with `error` set
// when they are not a valid command line. A value that starts with "-" is
// taken only after an equals sign (--name=-x), so a forgotten value never
// swallows the next option; "--" ends the options. -p, -j, -h and -V stand
// for --port, --json, --help and --version. A port that is a URL must be one
// the program can open, and a --csv file must be one it can write.
bool ParseCliOptions(const std::vector<std::string>& args, CliOptions& options, std::string& error);

// The line to open with: the stored one, with what --baud and --flow give instead.
busport::LineSettings LineFor(const CliOptions& options, const busport::LineSettings& stored);

// The group name rule of set: 1 to 8 printable Latin-1 characters. Gives the
// reason when the name breaks it, nothing when it is good.
std::optional<std::string> CheckGroupName(const std::string& name);

// Why a port the user gave (`what`: the option, or BRENVIK_PORT) cannot be
// opened, from its form alone: empty, or a URL the program cannot read.
std::optional<std::string> CheckPortForm(const std::string& what, const std::string& port);

// A port as the user may type it: "3" is COM3, anything else stands.
std::string PortArgument(const std::string& text);

} // namespace cli
