#pragma once

#include <optional>
#include <string>
#include <string_view>

// Where the per-user settings are kept: text values by section and name
// (settings/Schema.h). Sections nest with '/'; a '\' is taken as '/' too.
// Text is UTF-8. Every call reads or writes through at once, so a store
// holds no state of its own and may be used from any thread.
namespace settings {

class ISettingsStore {
public:
    virtual ~ISettingsStore() = default;

    // The stored text; nothing when the value is missing.
    virtual std::optional<std::string> Read(std::string_view section, std::string_view name) const = 0;
    // False when the text could not be stored (an unwritable file or key).
    virtual bool Write(std::string_view section, std::string_view name, std::string_view text) = 0;
    // Removing a missing value succeeds; false when the store could not be written.
    virtual bool Remove(std::string_view section, std::string_view name) = 0;
};

} // namespace settings
