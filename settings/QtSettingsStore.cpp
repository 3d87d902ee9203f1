#include "settings/QtSettingsStore.h"

#include "settings/Schema.h"
#ifndef _WIN32
#include "settings/SettingsFile.h"
#endif

#include <QFileInfo>
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

// Whether the settings file may be opened: a regular file or none. For a
// write it is made first, private, so the key is never readable by others.
bool FileUsable(bool writing)
{
#ifdef _WIN32
    (void)writing;
    return true;
#else
    const std::string path = CQtSettingsStore::FilePath();
    if (RefusalOf(path))
        return false;
    if (writing && !CreatePrivate(path))
        return false;
    MakePrivate(path);
    return true;
#endif
}

} // namespace

std::string CQtSettingsStore::FilePath()
{
#ifdef _WIN32
    return {};
#else
    // QSettings reads its file as it is made, so the path comes from the
    // organisation's own file (read as a fallback by every QSettings anyway),
    // beside which the application's folder lies.
    const QString organisationFile =
        QSettings(QSettings::NativeFormat, QSettings::UserScope, FromUtf8(kOrganisation)).fileName();
    return (QFileInfo(organisationFile).path() + QLatin1Char('/') + FromUtf8(kOrganisation) + QLatin1Char('/')
            + FromUtf8(kApplication) + QStringLiteral(".conf"))
        .toStdString();
#endif
}

std::optional<std::string> CQtSettingsStore::Read(std::string_view section, std::string_view name) const
{
    if (!FileUsable(false))
        return std::nullopt;
    const QVariant value = CUserSettings().value(KeyOf(section, name));
    if (!value.isValid())
        return std::nullopt;
    return value.toString().toStdString();
}

bool CQtSettingsStore::Write(std::string_view section, std::string_view name, std::string_view text)
{
    if (!FileUsable(true))
        return false;
    CUserSettings settings;
    settings.setValue(KeyOf(section, name), FromUtf8(text));
    return settings.Flushed();
}

bool CQtSettingsStore::Remove(std::string_view section, std::string_view name)
{
    if (!FileUsable(false))
        return false;
    CUserSettings settings;
    settings.remove(KeyOf(section, name));
    return settings.Flushed();
}

} // namespace settings
