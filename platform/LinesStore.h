#pragma once

#include "busport/LineSettingsText.h"

// The line each port is opened with, section "Lines", entry "COM<n>" ->
// "<baud>" or "<baud> rtscts" (busport/LineSettingsText.h). No entry means
// the bus's own line. Safe to call from any thread: each call reads through
// its own settings object.
busport::LineLookup ProfileLineLookup();

// Stores the line for COM n; the bus's own line removes the entry, so a
// user who never chose another line keeps no "Lines" section. False when
// the store could not be written.
bool StoreProfileLine(int comNumber, const busport::LineSettings& line);
