#pragma once

#include "busport/LineSettingsText.h"
#include "serial/PortNames.h"

// What brenvik-cli takes from the program's per-user settings: the port the
// program last used, the user's "Ports" map and each port's line.
namespace cli {

// Looks at the settings file before anything reads it: the one line to say
// when it is refused (a FIFO, a folder, ...) or was open to other users and
// has just been made private; nothing otherwise.
std::optional<std::string> CheckSettingsFile();

// "Settings\Ints" / "m_ActiveComPort", read as "%i" text; nothing when
// missing, 1 when not a number (as the program reads it).
std::optional<int> SavedComPort();

// Writes the saved port as the program does, and a "Ports" entry
// "COM<n>" -> devicePath when one is given. False when the store cannot be written.
bool StoreSavedPort(int comNumber, const std::optional<std::string>& devicePath);

// Removes "Ports" entry "COM<n>". False when the store cannot be written.
bool ForgetSavedPortPath(int comNumber);

// The "Ports" section, entry "COM<n>" -> device path; nothing for a missing or empty entry.
PortLookup SavedPortLookup();

// The "Lines" section, entry "COM<n>" -> "<baud>" or "<baud> rtscts".
busport::LineLookup SavedLineLookup();

} // namespace cli
