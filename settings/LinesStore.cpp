#include "settings/LinesStore.h"

#include "settings/Schema.h"

namespace settings {

busport::LineLookup LinesLookupOf(std::shared_ptr<const ISettingsStore> store)
{
    return [store = std::move(store)](int comNumber) {
        const std::string entry = ComEntry(comNumber);
        return busport::ReadStoredLine(store->Read(kLinesSection, entry), std::string(kLinesSection) + '/' + entry);
    };
}

bool StoreLine(ISettingsStore& store, int comNumber, const busport::LineSettings& line)
{
    if (line == busport::LineSettings {})
        return store.Remove(kLinesSection, ComEntry(comNumber));
    return store.Write(kLinesSection, ComEntry(comNumber), busport::LineSettingsValue(line));
}

} // namespace settings
