#pragma once

#include "settings/Schema.h"
#include "settings/SettingsStore.h"

// The schema's values read and written the one way both programs do.
namespace settings {

// The number as "%i" reads it ("0x10" -> 16, "011" -> 9); nothing when the
// value is missing, the fallback when it is there but no number.
std::optional<int> ReadStoredInt(const ISettingsStore& store, const IntValue& value);
// The same with the fallback for a missing value as well.
int ReadInt(const ISettingsStore& store, const IntValue& value);
// Writes "%i" text (plain decimal).
bool WriteInt(ISettingsStore& store, const IntValue& value, int number);

std::string ReadText(const ISettingsStore& store, const TextValue& value);
bool WriteText(ISettingsStore& store, const TextValue& value, std::string_view text);

} // namespace settings
