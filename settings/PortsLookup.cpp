#include "settings/PortsLookup.h"

#include "bus/BusLimits.h"
#include "serial/NetworkAddress.h"
#include "settings/Schema.h"

#include <sys/stat.h>

#include <filesystem>

namespace settings {

namespace {

std::string_view Trimmed(std::string_view text)
{
    constexpr std::string_view blanks = " \t\r\n";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// Whether two paths lead to the same file, links followed; false when
// either is not there. (std::filesystem::equivalent refuses to compare two
// device nodes.)
bool SameFile(const std::string& a, const std::string& b)
{
    struct stat first {}, second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev
        && first.st_ino == second.st_ino;
}

// The lowest COM number whose entry leads to `device`.
std::optional<int> NumberWhoseEntryLeadsTo(const std::string& device, const PortLookup& stored)
{
    for (int n = bus::kFirstComPort; n <= bus::kLastComPort; ++n) {
        const std::optional<std::string> entry = stored(n);
        if (entry && !LooksLikeUrl(*entry) && SameFile(*entry, device))
            return n;
    }
    return std::nullopt;
}

} // namespace

PortLookup OneNumberPerDevice(PortLookup stored, PortLookup builtIn)
{
    return [stored = std::move(stored), builtIn = std::move(builtIn)](int comNumber) -> std::optional<std::string> {
        if (std::optional<std::string> entry = stored(comNumber))
            return entry;
        std::optional<std::string> device = builtIn(comNumber);
        std::error_code absent;
        if (!device || !std::filesystem::exists(*device, absent))
            return device;
        // Each number's entry leads to one device and each number has its own
        // built-in device, so this chain never meets itself: it ends at a
        // device no entry leads to within as many steps as there are numbers.
        for (int step = bus::kFirstComPort; step <= bus::kLastComPort; ++step) {
            const std::optional<int> owner = NumberWhoseEntryLeadsTo(*device, stored);
            if (!owner)
                return device;
            device = builtIn(*owner);
            if (!device)
                break;
        }
        return builtIn(comNumber);
    };
}

PortLookup PortsLookupOf(std::shared_ptr<const ISettingsStore> store)
{
    return [store = std::move(store)](int comNumber) -> std::optional<std::string> {
        const std::string stored = store->Read(kPortsSection, ComEntry(comNumber)).value_or("");
        const std::string_view path = Trimmed(stored);
        if (path.empty())
            return std::nullopt;
        return std::string(path);
    };
}

bool StorePortPath(ISettingsStore& store, int comNumber, std::string_view path)
{
    return store.Write(kPortsSection, ComEntry(comNumber), path);
}

bool RemovePortPath(ISettingsStore& store, int comNumber)
{
    return store.Remove(kPortsSection, ComEntry(comNumber));
}

} // namespace settings
