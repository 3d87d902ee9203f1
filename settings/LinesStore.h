#pragma once

#include "busport/LineSettingsText.h"
#include "settings/SettingsStore.h"

#include <memory>

// The line each port is opened with, section "Lines", entry "COM<n>" ->
// "<baud>" or "<baud> rtscts" (busport/LineSettingsText.h). No entry means
// the bus's own line.
namespace settings {

// The stored line of COM n; a bad value gives the bus's line and a warning
// naming the entry. The lookup keeps the store and may run on any thread.
busport::LineLookup LinesLookupOf(std::shared_ptr<const ISettingsStore> store);

// Stores the line for COM n; the bus's own line removes the entry, so a
// user who never chose another line keeps no "Lines" section. False when
// the store could not be written.
bool StoreLine(ISettingsStore& store, int comNumber, const busport::LineSettings& line);

} // namespace settings
