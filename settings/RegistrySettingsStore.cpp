#include "settings/RegistrySettingsStore.h"

#include "settings/Schema.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace settings {

namespace {

std::wstring Wide(std::string_view text)
{
    if (text.empty())
        return {};
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(size, L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), wide.data(), size);
    return wide;
}

std::string Utf8(std::wstring_view text)
{
    if (text.empty())
        return {};
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(size, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), narrow.data(), size, nullptr, nullptr);
    return narrow;
}

// An open key, closed when it goes.
class CKey {
public:
    CKey() = default;
    CKey(const CKey&) = delete;
    CKey& operator=(const CKey&) = delete;
    ~CKey()
    {
        if (m_key)
            ::RegCloseKey(m_key);
    }
    HKEY* Out() { return &m_key; }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

// QSettings marks typed values with a leading '@' ("@Variant(...)"), so a
// text of its own that begins with '@' gets a second one.
std::string Escaped(std::string_view text)
{
    return (text.starts_with('@') ? "@" : "") + std::string(text);
}

std::string Unescaped(std::string text)
{
    if (text.starts_with("@@"))
        text.erase(0, 1);
    return text;
}

} // namespace

CRegistrySettingsStore::CRegistrySettingsStore(std::string key) : m_key(std::move(key)) {}

std::string CRegistrySettingsStore::UserKey()
{
    return "Software\\" + std::string(kOrganisation) + '\\' + std::string(kApplication);
}

std::wstring CRegistrySettingsStore::KeyOf(std::string_view section) const
{
    std::string path = m_key + '\\' + std::string(section);
    std::replace(path.begin(), path.end(), '/', '\\');
    return Wide(path);
}

std::optional<std::string> CRegistrySettingsStore::Read(std::string_view section, std::string_view name) const
{
    CKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, KeyOf(section).c_str(), 0, KEY_QUERY_VALUE, key.Out()) != ERROR_SUCCESS)
        return std::nullopt;
    const std::wstring valueName = Wide(name);
    DWORD type = 0;
    DWORD bytes = 0;
    if (::RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    std::wstring data(bytes / sizeof(wchar_t) + 1, L'\0');
    if (::RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &bytes)
        != ERROR_SUCCESS)
        return std::nullopt;
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        // The stored size may or may not count the closing zero.
        data.resize(bytes / sizeof(wchar_t));
        return Unescaped(Utf8(std::wstring_view(data.c_str())));
    case REG_DWORD: { // a number someone stored by hand reads as QSettings reads it: its decimal text
        std::int32_t number = 0;
        std::memcpy(&number, data.data(), sizeof number);
        return std::to_string(number);
    }
    default: // no text the program wrote
        return std::nullopt;
    }
}

bool CRegistrySettingsStore::Write(std::string_view section, std::string_view name, std::string_view text)
{
    CKey key;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, KeyOf(section).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Out(),
                          nullptr)
        != ERROR_SUCCESS)
        return false;
    const std::wstring data = Wide(Escaped(text));
    const DWORD bytes = DWORD((data.size() + 1) * sizeof(wchar_t));
    return ::RegSetValueExW(key.Get(), Wide(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()), bytes)
        == ERROR_SUCCESS;
}

bool CRegistrySettingsStore::Remove(std::string_view section, std::string_view name)
{
    CKey key;
    const LSTATUS opened = ::RegOpenKeyExW(HKEY_CURRENT_USER, KeyOf(section).c_str(), 0, KEY_SET_VALUE, key.Out());
    if (opened == ERROR_FILE_NOT_FOUND)
        return true;
    if (opened != ERROR_SUCCESS)
        return false;
    const LSTATUS deleted = ::RegDeleteValueW(key.Get(), Wide(name).c_str());
    return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
}

} // namespace settings
