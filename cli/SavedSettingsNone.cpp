#include "cli/SavedSettings.h"

// Built without Qt there is no settings store to read: COM1 and the built-in port table.
namespace cli {

int SavedComPort()
{
    return 1;
}

PortLookup SavedPortLookup()
{
    return {};
}

} // namespace cli
