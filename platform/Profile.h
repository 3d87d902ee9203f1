#pragma once

#include <QString>

// Per-user settings under organisation "Olvarn", application "Brenvik". A
// section such as "Settings\Ints" is a nested group ("Settings/Ints"), so the
// same names land in the registry key Software\Olvarn\Brenvik\Settings\Ints on
// Windows and in ~/.config/Olvarn/Brenvik.conf on Linux. Values are text.

// The stored text, or defaultValue when the entry is missing.
QString GetProfileString(const QString& section, const QString& entry,
                         const QString& defaultValue = QString());

// Writes the text and flushes the store at once; false when the store could
// not be written (read-only file, unwritable folder, ...).
bool WriteProfileString(const QString& section, const QString& entry, const QString& value);

// Removes the entry and flushes the store; false when the store could not be written.
bool RemoveProfileEntry(const QString& section, const QString& entry);

// The settings group that stands for a section name.
QString ProfileGroup(const QString& section);
