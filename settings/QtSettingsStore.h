#pragma once

#include "settings/SettingsStore.h"

// The settings through QSettings' native format, organisation "Olvarn",
// application "Brenvik": ~/.config/Olvarn/Brenvik.conf on Linux (written
// atomically), the registry key HKEY_CURRENT_USER\Software\Olvarn\Brenvik
// on Windows. Each call opens its own QSettings, so the base path a test
// sets with QSettings::setPath applies to the next call. The Linux file is
// kept private (settings/SettingsFile.h) and never opened when it is no
// regular file: reads then find nothing and writes fail.
namespace settings {

class CQtSettingsStore : public ISettingsStore {
public:
    // The settings file; empty where the settings are in the registry.
    static std::string FilePath();

    std::optional<std::string> Read(std::string_view section, std::string_view name) const override;
    bool Write(std::string_view section, std::string_view name, std::string_view text) override;
    bool Remove(std::string_view section, std::string_view name) override;
};

} // namespace settings
