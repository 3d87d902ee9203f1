#pragma once

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

// Points the per-user settings at a fresh temporary folder for the life of
// the object, so tests never touch the real ~/.config.
class TempSettings {
public:
    TempSettings() : m_previous(CurrentFolder()) { Use(m_dir.path()); }
    ~TempSettings() { Use(m_previous); }

    QString Folder() const { return m_dir.path(); }
    QString File() const { return m_dir.path() + "/Olvarn/Brenvik.conf"; }

    // Points the settings at a place that cannot be written.
    void MakeUnwritable() { Use("/proc/brenvik-cannot-write-here"); }
    void MakeWritable() { Use(m_dir.path()); }

private:
    // The folder the settings file lies in now (below "Olvarn/").
    static QString CurrentFolder()
    {
        const QString file = QSettings(QSettings::NativeFormat, QSettings::UserScope, "Olvarn", "Brenvik").fileName();
        return QFileInfo(file).dir().absolutePath().chopped(QStringLiteral("/Olvarn").size());
    }
    static void Use(const QString& folder)
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    }

    QTemporaryDir m_dir;
    QString m_previous;
};
