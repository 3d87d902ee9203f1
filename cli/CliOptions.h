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
    busport::LineSettings line; // --baud and --flow
    int timeoutMs = 1000;
    bool timeoutGiven = false; // --timeout also bounds connecting to a network interface
    bool json = false;

    // set
    std::optional<std::string> name;
    std::optional<int> channel;
    std::optional<int> key;
    bool verify = true;

    // scan
    double seconds = 60; // tenths allowed: a short scan of a few channels
    int intervalMs = 200;
    std::optional<std::string> csvPath; // "-": standard output

    // ports
    bool probe = false;                   // open each device briefly for the exact answer
    std::optional<std::string> usePort;   // store this port as the saved one
};

// Reads the arguments (without the program name). False with `error` set
// when they are not a valid command line. A value that starts with "-" is
// taken only after an equals sign (--name=-x), so a forgotten value never
// swallows the next option; "--" ends the options.
bool ParseCliOptions(const std::vector<std::string>& args, CliOptions& options, std::string& error);

// The group name rule of set: 1 to 8 printable Latin-1 characters. Gives the
// reason when the name breaks it, nothing when it is good.
std::optional<std::string> CheckGroupName(const std::string& name);

// A port as the user may type it: "3" is COM3, anything else stands.
std::string PortArgument(const std::string& text);

} // namespace cli
