#include "bus/BusLimits.h"
#include "cli/Commands.h"
#include "cli/ExitCode.h"
#include "cli/SystemPorts.h"
#include "serial/NetworkAddress.h"

namespace cli {
namespace {

struct ComChoice {
    int number = 0;
    bool mapNew = false; // the number still has to be mapped to the path
};

// The COM number a device path goes by: the user's own mapping of it, the
// built-in table's number for it, or the first number the user has not
// mapped whose built-in device is not there (so no present device loses
// its number). Nothing when every number is taken.
std::optional<ComChoice> ComNumberFor(const std::string& path, const PortLookup& userMap)
{
    const auto mapped = [&userMap](int n) -> std::optional<std::string> { return userMap ? userMap(n) : std::nullopt; };
    const auto first = [](auto fits) -> std::optional<int> {
        for (int n = bus::kFirstComPort; n <= bus::kLastComPort; ++n) {
            if (fits(n))
                return n;
        }
        return std::nullopt;
    };
    if (const auto n = first([&](int n) { return mapped(n) == path; }))
        return ComChoice {*n, false};
    if (const auto n = first([&](int n) { return !mapped(n) && BuiltInPortPath(n) == path; }))
        return ComChoice {*n, false};
    if (const auto n = first([&](int n) { return !mapped(n) && !DevicePresent(*BuiltInPortPath(n)); }))
        return ComChoice {*n, true};
    return std::nullopt;
}

} // namespace

int UsePort(const CliContext& context, const std::string& port, bool force)
{
    std::optional<ComChoice> choice;
    if (const std::optional<int> number = ComNumberOf(port)) {
        if (*number < bus::kFirstComPort || *number > bus::kLastComPort) {
            context.err << "brenvik-cli: --use takes COM1 to COM20 or a device path, not " << port << '\n';
            return ExitUsage;
        }
        choice = ComChoice {*number, false};
    } else if (!(choice = ComNumberFor(port, context.portLookup))) {
        context.err << "brenvik-cli: no COM number is free for " << port
                    << ": each of COM1 to COM20 is mapped or has its own device\n";
        return ExitUsage;
    }
    const bool mapNew = choice->mapNew;
    const std::string name = "COM" + std::to_string(choice->number);
    const std::string path = mapNew ? port : context.PortPath(name).value_or("");
    const bool absent = !LooksLikeUrl(path) && !DevicePresent(path);
    if (absent && !force) {
        context.err << "brenvik-cli: " << (path.empty() ? name + " has no device" : path + " is not there now")
                    << "; nothing stored (--force stores it all the same)\n";
        return ExitUsage;
    }
    if (!context.storePort || !context.storePort(choice->number, mapNew ? std::optional<std::string>(port) : std::nullopt)) {
        context.err << "brenvik-cli: cannot store the saved port in the program's settings\n";
        return ExitUsage;
    }
    if (mapNew)
        context.out << "Mapped " << name << " to " << port << " in the port map.\n";
    context.out << "Saved port: " << name << " (" << path
                << "); the Brenvik window and brenvik-cli use it from now on.\n";
    if (absent)
        context.err << "brenvik-cli: warning: " << path << " is not there now\n";
    return ExitOk;
}

int ForgetPort(const CliContext& context, int comNumber)
{
    const std::string name = "COM" + std::to_string(comNumber);
    const std::optional<std::string> mapped = context.portLookup ? context.portLookup(comNumber) : std::nullopt;
    if (!mapped) {
        context.out << name << " is not in the port map; nothing changed.\n";
        return ExitOk;
    }
    if (!context.forgetPort || !context.forgetPort(comNumber)) {
        context.err << "brenvik-cli: cannot remove " << name << " from the program's settings\n";
        return ExitUsage;
    }
    const std::optional<std::string> builtIn = BuiltInPortPath(comNumber);
    context.out << "Removed " << name << " (" << *mapped << ") from the port map"
                << (builtIn ? "; " + name + " is " + *builtIn + " again" : std::string()) << ".\n";
    return ExitOk;
}

} // namespace cli
