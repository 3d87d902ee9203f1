#pragma once

#include "busport/LineSettingsText.h"
#include "serial/PortNames.h"

// What brenvik-cli takes from the program's per-user settings: the port the
// program last used, the user's "Ports" map and each port's line.
namespace cli {

// "Settings\Ints" / "m_ActiveComPort", read as "%i" text; 1 when missing or not a number.
int SavedComPort();

// The "Ports" section, entry "COM<n>" -> device path; nothing for a missing or empty entry.
PortLookup SavedPortLookup();

// The "Lines" section, entry "COM<n>" -> "<baud>" or "<baud> rtscts".
busport::LineLookup SavedLineLookup();

} // namespace cli
