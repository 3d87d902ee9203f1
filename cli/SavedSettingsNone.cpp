#include "cli/SavedSettings.h"

// Built without Qt there is no settings store to read: COM1, the built-in
// port table and the bus's own line.
namespace cli {

int SavedComPort()
{
    return 1;
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
