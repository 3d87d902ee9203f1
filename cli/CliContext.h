#pragma once

#include "busport/LineSettingsText.h"
#include "serial/PortNames.h"

#include <atomic>
#include <ostream>
#include <string>
#include <vector>

// What the commands get from the process around them, so tests can run them
// in-process with their own streams, port map and interrupt flag.
namespace cli {

struct CliContext {
    CliContext(std::ostream& results, std::ostream& errors) : out(results), err(errors) {}

    std::ostream& out; // results
    std::ostream& err; // the one failure line, warnings and progress
    // The user's "Ports" map (COM number -> device path); the built-in table
    // applies where it gives nothing.
    PortLookup portLookup;
    // The stored line of each COM number; the bus's own line where it gives nothing.
    busport::LineLookup lineLookup;
    // The COM number of the program's saved port, used when --port is not given.
    int savedComPort = 1;
    // Set by an interrupt: monitor ends, a scan stops early and reports.
    const std::atomic<bool>* stop = nullptr;
    // Whether err is a terminal, so a scan may keep a progress line there.
    bool progressLine = false;
    // Serial devices listed by `ports` besides COM1-COM20 (glob patterns).
    std::vector<std::string> extraDevicePatterns = {"/dev/serial/by-id/*", "/dev/ttyACM*", "/dev/ttyUSB*"};

    bool Stopped() const { return stop && stop->load(); }
};

} // namespace cli
