#pragma once

#include <optional>
#include <string>

// The settings file holds the group's password key, so it is the user's
// alone (0600), and it must be a plain file: a FIFO at its path would hold a
// read for good. Each check looks at the path without opening it. POSIX only:
// on Windows the settings are in the registry.
namespace settings {

// Why the settings cannot be kept at `path` (a FIFO, a folder, a device, or
// a link to one), in one line; nothing for a regular file or no file at all.
std::optional<std::string> RefusalOf(const std::string& path);

// Creates a missing settings file empty and private, with its folders.
// False when it could not be made.
bool CreatePrivate(const std::string& path);

// Takes the other users' access away from an existing regular file. True
// when it had any and lost it.
bool MakePrivate(const std::string& path);

} // namespace settings
