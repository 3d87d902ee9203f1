#include "platform/Profile.h"

#include <QSettings>

QString ProfileGroup(const QString& section)
{
    QString group = section;
    group.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return group;
}

QString GetProfileString(const QString& section, const QString& entry, const QString& defaultValue)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Olvarn", "Brenvik");
    settings.beginGroup(ProfileGroup(section));
    const QVariant value = settings.value(entry);
    return value.isValid() ? value.toString() : defaultValue;
}

bool WriteProfileString(const QString& section, const QString& entry, const QString& value)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Olvarn", "Brenvik");
    settings.beginGroup(ProfileGroup(section));
    settings.setValue(entry, value);
    // setValue never reports a failure; only a flush tells whether the text
    // reached the store.
    settings.sync();
    return settings.status() == QSettings::NoError;
}

bool RemoveProfileEntry(const QString& section, const QString& entry)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Olvarn", "Brenvik");
    settings.beginGroup(ProfileGroup(section));
    settings.remove(entry);
    settings.sync();
    return settings.status() == QSettings::NoError;
}
