#include "cli/SavedSettings.h"

// Built without Qt there is no settings store to read: COM1, the built-in
// port table and the bus's own line.
namespace cli {

std::optional<std::string> CheckSettingsFile()
{
    return std::nullopt;
}

std::optional<int> SavedComPort()
{
    return std::nullopt;
}

bool StoreSavedPort(int, const std::optional<std::string>&)
{
    return false;
}

bool ForgetSavedPortPath(int)
{
    return false;
}

PortLookup SavedPortLookup()
{
    return {};
}

busport::LineLookup SavedLineLookup()
{
    return {};
}

} // namespace cli
