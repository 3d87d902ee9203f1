#include "platform/LinesStore.h"

#include "platform/Profile.h"

namespace {

const QString kSection = QStringLiteral("Lines");

QString EntryOf(int comNumber)
{
    return QStringLiteral("COM%1").arg(comNumber);
}

} // namespace

busport::LineLookup ProfileLineLookup()
{
    return [](int comNumber) {
        const QString value = GetProfileString(kSection, EntryOf(comNumber), QString());
        const std::optional<std::string> stored = value.isNull() ? std::nullopt : std::optional(value.toStdString());
        return busport::ReadStoredLine(stored, (kSection + '/' + EntryOf(comNumber)).toStdString());
    };
}

bool StoreProfileLine(int comNumber, const busport::LineSettings& line)
{
    if (line == busport::LineSettings {})
        return RemoveProfileEntry(kSection, EntryOf(comNumber));
    return WriteProfileString(kSection, EntryOf(comNumber), QString::fromStdString(busport::LineSettingsValue(line)));
}
