#pragma once

#include "busport/LineSettingsText.h"
#include "serial/PortNames.h"
#include "settings/Schema.h"

#include <QString>

#ifdef _WIN32
// <windows.h> takes two of these names over as macros of its own (its .ini
// file functions): read it once here and give the names back.
#include "serial/WindowsHeader.h"
#undef GetProfileString
#undef WriteProfileString
#endif

// The window's per-user settings, kept through QSettings
// (settings/QtSettingsStore.h) under the names of settings/Schema.h. A
// section such as "Settings\Ints" is the nested group "Settings/Ints".

// The stored text, or defaultValue when the entry is missing.
QString GetProfileString(const QString& section, const QString& entry,
                         const QString& defaultValue = QString());

// Writes the text and flushes the store at once; false when the store could
// not be written (read-only file, unwritable folder, ...).
bool WriteProfileString(const QString& section, const QString& entry, const QString& value);

// A value of the schema; its fallback when missing.
QString GetProfileText(const settings::TextValue& value);
bool WriteProfileText(const settings::TextValue& value, const QString& text);

// Removes the entry and flushes the store; false when the store could not be written.
bool RemoveProfileEntry(const QString& section, const QString& entry);

// COM number -> what it stands for: its path or URL in "Ports", else its
// device in the built-in table, no device under two numbers
// (settings::OneNumberPerDevice).
PortLookup ProfilePortLookup(PortLookup builtIn = BuiltInPortPath);
// Maps COM n to a path or URL in "Ports"; false when the store could not be written.
bool StoreProfilePort(int comNumber, const QString& path);
// Takes COM n out of "Ports", back to the built-in table; false when the store could not be written.
bool RemoveProfilePort(int comNumber);

// COM number -> its stored line of "Lines" (settings/LinesStore.h).
busport::LineLookup ProfileLineLookup();
// Stores the line for COM n (the bus's own line removes the entry).
bool StoreProfileLine(int comNumber, const busport::LineSettings& line);
