#pragma once

#include "settings/QtSettingsStore.h"
#include "settings/Schema.h"

#include <QString>

// The document: the five group settings the program remembers between runs
// (GroupSettings) and the path of a project file that has no content of its
// own. Settings are read by the view's initial update and written when the
// document closes; opening a project file only records its path.
class CBrenvikDoc {
public:
    CBrenvikDoc() = default;
    virtual ~CBrenvikDoc() = default;

    // The document has no file format: nothing is read or written.
    virtual void Serialize() {}
    virtual bool OnNewDocument();
    virtual bool OnOpenDocument(const QString& path);
    virtual void OnCloseDocument();
    // Saving writes nothing: the document has no content, and writing it out
    // would empty the user's project file.
    virtual bool OnSaveDocument(const QString& path);

    // Returns 1; numbers that are missing or no number fall back to defaults.
    int LoadFromRegistry();
    // Whether the last LoadFromRegistry found group settings an earlier run
    // stored; otherwise the form holds starting values.
    bool SettingsWereStored() const { return m_bSettingsWereStored; }
    // Returns 1 when all five writes succeeded, 0 at the first failed one
    // (the rest are then not written).
    int SaveToRegistry();
    // Stands for loading a project file, which has no content: returns 0.
    int LoadProjectFile(const QString& path);

    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified = true) { m_bModified = modified; }
    const QString& GetPathName() const { return m_strPathName; }
    // Records the path; with addToRecentFiles it also heads the recent-file list.
    void SetPathName(const QString& path, bool addToRecentFiles = true);

    // GroupSettings; until LoadFromRegistry, what an empty store reads as.
    int m_RFChannel = settings::kRFChannel.fallback;
    int m_PwKey = settings::kPwKey.fallback;
    int m_NetWorkID = settings::kNetWorkID.fallback;
    QString m_NetName = QString::fromUtf8(settings::kNetName.fallback.data(), settings::kNetName.fallback.size());
    int m_ActiveComPort = settings::kActiveComPort.fallback;
    // The last project file: loaded and stored by the main frame, opened by
    // the first New.
    QString m_strProjectFilePath;

private:
    bool BaseOnNewDocument();
    // Whether the group settings are what an empty store reads as.
    bool HoldsStartingValues() const;

    // Where GroupSettings are kept: the same store on every system the window runs on.
    settings::CQtSettingsStore m_store;
    bool m_bFirstNew = true;
    bool m_bSettingsWereStored = false;
    QString m_strPathName;
    bool m_bModified = false;
};
