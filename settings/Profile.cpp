#include "settings/Profile.h"

#include "settings/LinesStore.h"
#include "settings/PortsLookup.h"
#include "settings/QtSettingsStore.h"
#include "settings/StoredValues.h"

using settings::CQtSettingsStore;

QString GetProfileString(const QString& section, const QString& entry, const QString& defaultValue)
{
    const std::optional<std::string> text = CQtSettingsStore().Read(section.toStdString(), entry.toStdString());
    return text ? QString::fromStdString(*text) : defaultValue;
}

bool WriteProfileString(const QString& section, const QString& entry, const QString& value)
{
    return CQtSettingsStore().Write(section.toStdString(), entry.toStdString(), value.toStdString());
}

QString GetProfileText(const settings::TextValue& value)
{
    return QString::fromStdString(settings::ReadText(CQtSettingsStore(), value));
}

bool WriteProfileText(const settings::TextValue& value, const QString& text)
{
    CQtSettingsStore store;
    return settings::WriteText(store, value, text.toStdString());
}

bool RemoveProfileEntry(const QString& section, const QString& entry)
{
    return CQtSettingsStore().Remove(section.toStdString(), entry.toStdString());
}

PortLookup ProfilePortLookup(PortLookup builtIn)
{
    return settings::OneNumberPerDevice(settings::PortsLookupOf(std::make_shared<CQtSettingsStore>()), std::move(builtIn));
}

bool StoreProfilePort(int comNumber, const QString& path)
{
    CQtSettingsStore store;
    return settings::StorePortPath(store, comNumber, path.toStdString());
}

bool RemoveProfilePort(int comNumber)
{
    CQtSettingsStore store;
    return settings::RemovePortPath(store, comNumber);
}

busport::LineLookup ProfileLineLookup()
{
    return settings::LinesLookupOf(std::make_shared<CQtSettingsStore>());
}

bool StoreProfileLine(int comNumber, const busport::LineSettings& line)
{
    CQtSettingsStore store;
    return settings::StoreLine(store, comNumber, line);
}
