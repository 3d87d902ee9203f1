#include "settings/QtSettingsStore.h"

#include "settings/Schema.h"

#include <QSettings>

namespace settings {

namespace {

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The key of a value: "Settings\Ints" and "Settings/Ints" are one nested group.
QString KeyOf(std::string_view section, std::string_view name)
{
    return FromUtf8(section).replace(QLatin1Char('\\'), QLatin1Char('/')) + QLatin1Char('/') + FromUtf8(name);
}

class CUserSettings : public QSettings {
public:
    CUserSettings() : QSettings(NativeFormat, UserScope, FromUtf8(kOrganisation), FromUtf8(kApplication)) {}

    // setValue and remove never report a failure; only a flush tells
    // whether the change reached the store.
    bool Flushed()
    {
        sync();
        return status() == NoError;
    }
};

} // namespace

std::optional<std::string> CQtSettingsStore::Read(std::string_view section, std::string_view name) const
{
    const QVariant value = CUserSettings().value(KeyOf(section, name));
    if (!value.isValid())
        return std::nullopt;
    return value.toString().toStdString();
}

bool CQtSettingsStore::Write(std::string_view section, std::string_view name, std::string_view text)
{
    CUserSettings settings;
    settings.setValue(KeyOf(section, name), FromUtf8(text));
    return settings.Flushed();
}

bool CQtSettingsStore::Remove(std::string_view section, std::string_view name)
{
    CUserSettings settings;
    settings.remove(KeyOf(section, name));
    return settings.Flushed();
}

} // namespace settings
