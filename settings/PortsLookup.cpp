#include "settings/PortsLookup.h"

#include "settings/Schema.h"

namespace settings {

namespace {

std::string_view Trimmed(std::string_view text)
{
    constexpr std::string_view blanks = " \t\r\n";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

} // namespace

PortLookup PortsLookupOf(std::shared_ptr<const ISettingsStore> store)
{
    return [store = std::move(store)](int comNumber) -> std::optional<std::string> {
        const std::string stored = store->Read(kPortsSection, ComEntry(comNumber)).value_or("");
        const std::string_view path = Trimmed(stored);
        if (path.empty())
            return std::nullopt;
        return std::string(path);
    };
}

bool StorePortPath(ISettingsStore& store, int comNumber, std::string_view path)
{
    return store.Write(kPortsSection, ComEntry(comNumber), path);
}

bool RemovePortPath(ISettingsStore& store, int comNumber)
{
    return store.Remove(kPortsSection, ComEntry(comNumber));
}

} // namespace settings
