#pragma once

#include "busport/LineSettingsText.h"
#include "cli/SessionClock.h"
#include "serial/PortIdentity.h"
#include "serial/PortNames.h"
#include "settings/PortsLookup.h"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
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
    // The user's "Ports" map as stored (COM number -> device path or URL),
    // which ports --use and --forget change.
    PortLookup portLookup;
    // The built-in table (tests give one in a folder of their own).
    PortLookup builtInTable = BuiltInPortPath;
    // The stored line of each COM number; the bus's own line where it gives nothing.
    busport::LineLookup lineLookup;
    // The COM number of the program's saved port, nothing before one was saved.
    std::optional<int> savedComPort;
    // $BRENVIK_PORT: the port for this shell, over the saved one, below --port.
    std::optional<std::string> environmentPort;
    // Stores the saved port, and the device path of a new "Ports" entry for
    // it; false when the settings could not be written.
    std::function<bool(int comNumber, const std::optional<std::string>& devicePath)> storePort;
    // Removes COM n from the "Ports" map; false when the settings could not be written.
    std::function<bool(int comNumber)> forgetPort;
    // The folder of UUCP device locks (/run/lock): a device another program
    // locked there is busy, and a device the program opens is locked there
    // while open. Empty: no locks.
    std::string lockFolder;
    // Where `ports` reads what the system tells about a device.
    port_identity::Roots identityRoots;
    // The signal (SIGINT, SIGTERM) that asked the program to stop, 0 while
    // none did: monitor ends, a scan stops early and reports, get and set stop.
    const std::atomic<int>* stop = nullptr;
    // How the bus sessions let time pass: the wall clock, or a test's.
    std::shared_ptr<ISessionClock> clock = std::make_shared<CWallClock>();
    // Whether err is a terminal, so a scan may keep a progress line there.
    bool progressLine = false;
    // The terminal takes no escape sequences (TERM=dumb, or NO_COLOR set).
    bool plainTerminal = false;
    // Serial devices listed by `ports` besides COM1-COM20 (glob patterns).
    std::vector<std::string> extraDevicePatterns = {"/dev/ttyACM*", "/dev/ttyUSB*"};

    // The device path or URL a port name stands for, as the window resolves
    // it: the map's entry, else the built-in table's device, no device under
    // two COM numbers (settings::OneNumberPerDevice).
    std::optional<std::string> PortPath(std::string_view name) const
    {
        PortLookup stored = portLookup ? portLookup : [](int) { return std::optional<std::string>(); };
        return ResolvePortName(name, settings::OneNumberPerDevice(std::move(stored), builtInTable));
    }

    int StopSignal() const { return stop ? stop->load() : 0; }
    bool Stopped() const { return StopSignal() != 0; }
};

} // namespace cli
