#include "cli/SavedSettings.h"

// Built without Qt there is no settings store to read: COM1 and the built-in port table.
namespace cli {

std::optional<int> SavedComPort()
{
    return std::nullopt;
}

bool StoreSavedPort(int, const std::optional<std::string>&)
{
    return false;
}

PortLookup SavedPortLookup()
{
    return {};
}

} // namespace cli
