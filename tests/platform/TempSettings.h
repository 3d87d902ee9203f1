#pragma once

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

// Points the per-user settings at a fresh temporary folder for the life of
// the object, so tests never touch the real ~/.config.
class TempSettings {
public:
    TempSettings() { Use(m_dir.path()); }
    ~TempSettings() { Use(QDir::tempPath() + "/brenvik-tests-unused"); }

    QString Folder() const { return m_dir.path(); }
    QString File() const { return m_dir.path() + "/Olvarn/Brenvik.conf"; }

    // Points the settings at a place that cannot be written.
    void MakeUnwritable() { Use("/proc/brenvik-cannot-write-here"); }
    void MakeWritable() { Use(m_dir.path()); }

private:
    static void Use(const QString& folder)
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    }

    QTemporaryDir m_dir;
};
