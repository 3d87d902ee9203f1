#pragma once

#include "busport/LineSettings.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Line settings as the settings store keeps them: "<baud>" or
// "<baud> rtscts" (e.g. "57600 rtscts"), the baud rate a whole number from
// bus::kMinBaudRate to bus::kMaxBaudRate.
namespace busport {

// The settings the text stands for, or nothing with `error` saying what is
// wrong with it (a zero, negative, too high or non-numeric rate, a flow
// control other than rtscts, anything after it).
std::optional<LineSettings> ParseLineSettings(std::string_view text, std::string& error);

// The stored form: "16457", "57600 rtscts".
std::string LineSettingsValue(const LineSettings& line);

// For people: "16457 baud", "57600 baud, RTS/CTS".
std::string LineSettingsText(const LineSettings& line);

// A port's line as the settings store gives it.
struct StoredLine {
    LineSettings settings; // the bus's own line when nothing or a bad value is stored
    std::string warning;   // why a stored value was ignored; empty when none was
};

// The line of a stored value (nothing stored: the bus's own line). A bad
// value gives the bus's line and one warning that names `where` it is kept.
StoredLine ReadStoredLine(const std::optional<std::string>& value, std::string_view where);

// The stored line of COM n.
using LineLookup = std::function<StoredLine(int comNumber)>;

} // namespace busport
