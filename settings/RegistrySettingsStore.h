#pragma once

#include "settings/SettingsStore.h"

// The settings in the Windows registry, per user, under
// HKEY_CURRENT_USER\Software\Olvarn\Brenvik, exactly as QSettings' native
// format keeps them there, so the window and brenvik-cli share them: a
// section is a key below it ("Settings/Ints" is Settings\Ints), a value a
// REG_SZ string; a text that begins with '@' is stored with a second '@'
// in front, as QSettings marks its own typed values. Windows only.
namespace settings {

class CRegistrySettingsStore : public ISettingsStore {
public:
    // `key` is below HKEY_CURRENT_USER; tests give their own.
    explicit CRegistrySettingsStore(std::string key = UserKey());

    // Software\Olvarn\Brenvik
    static std::string UserKey();

    std::optional<std::string> Read(std::string_view section, std::string_view name) const override;
    bool Write(std::string_view section, std::string_view name, std::string_view text) override;
    bool Remove(std::string_view section, std::string_view name) override;

private:
    std::wstring KeyOf(std::string_view section) const;

    std::string m_key;
};

} // namespace settings
