#include "settings/StoredValues.h"

#include "settings/ScanInt.h"

namespace settings {

std::optional<int> ReadStoredInt(const ISettingsStore& store, const IntValue& value)
{
    const std::optional<std::string> text = store.Read(value.section, value.name);
    if (!text)
        return std::nullopt;
    int number = 0;
    return ScanInts(*text, ':', &number, 1) == 1 ? number : value.fallback;
}

int ReadInt(const ISettingsStore& store, const IntValue& value)
{
    return ReadStoredInt(store, value).value_or(value.fallback);
}

bool WriteInt(ISettingsStore& store, const IntValue& value, int number)
{
    return store.Write(value.section, value.name, std::to_string(number));
}

std::string ReadText(const ISettingsStore& store, const TextValue& value)
{
    return store.Read(value.section, value.name).value_or(std::string(value.fallback));
}

bool WriteText(ISettingsStore& store, const TextValue& value, std::string_view text)
{
    return store.Write(value.section, value.name, text);
}

} // namespace settings
