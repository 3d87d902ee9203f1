#include "app/BrenvikDoc.h"

#include "app/RecentFileList.h"
#include "settings/StoredValues.h"

bool CBrenvikDoc::BaseOnNewDocument()
{
    m_strPathName.clear();
    SetModifiedFlag(false);
    return true;
}

bool CBrenvikDoc::OnNewDocument()
{
    if (!BaseOnNewDocument())
        return false;
    if (m_bFirstNew) {
        m_bFirstNew = false;
        if (!m_strProjectFilePath.isEmpty()) {
            if (LoadProjectFile(m_strProjectFilePath) == 0)
                SetPathName(m_strProjectFilePath, true);
            else
                m_strProjectFilePath.clear();
        }
        SetModifiedFlag(false);
    }
    return true;
}

bool CBrenvikDoc::OnOpenDocument(const QString& path)
{
    SetModifiedFlag(false);
    const bool loaded = LoadProjectFile(path) == 0;
    if (loaded) {
        m_strProjectFilePath = path;
        SetPathName(m_strProjectFilePath, true);
    }
    return loaded;
}

void CBrenvikDoc::OnCloseDocument()
{
    SaveToRegistry();
    m_strPathName.clear();
}

bool CBrenvikDoc::OnSaveDocument(const QString&)
{
    SetModifiedFlag(false);
    return true;
}

int CBrenvikDoc::LoadFromRegistry()
{
    m_ActiveComPort = settings::ReadInt(m_store, settings::kActiveComPort);
    m_RFChannel = settings::ReadInt(m_store, settings::kRFChannel);
    m_PwKey = settings::ReadInt(m_store, settings::kPwKey);
    m_NetWorkID = settings::ReadInt(m_store, settings::kNetWorkID);
    m_NetName = QString::fromStdString(settings::ReadText(m_store, settings::kNetName));
    m_bSettingsWereStored = m_store.Read(settings::kNetName.section, settings::kNetName.name).has_value();
    for (const settings::IntValue& value : {settings::kRFChannel, settings::kPwKey, settings::kNetWorkID})
        m_bSettingsWereStored = m_bSettingsWereStored || settings::ReadStoredInt(m_store, value).has_value();
    return 1;
}

int CBrenvikDoc::SaveToRegistry()
{
    if (!settings::WriteInt(m_store, settings::kActiveComPort, m_ActiveComPort))
        return 0;
    // A first run's starting values that nobody read, wrote or typed stay
    // unstored: the next run still offers them as starting values, and asks
    // before a Set writes them to a transceiver.
    if (!m_bSettingsWereStored && HoldsStartingValues())
        return 1;
    const std::pair<settings::IntValue, int> numbers[] = {
        {settings::kRFChannel, m_RFChannel},
        {settings::kPwKey, m_PwKey},
        {settings::kNetWorkID, m_NetWorkID},
    };
    for (const auto& [value, number] : numbers) {
        if (!settings::WriteInt(m_store, value, number))
            return 0;
    }
    return settings::WriteText(m_store, settings::kNetName, m_NetName.toStdString()) ? 1 : 0;
}

bool CBrenvikDoc::HoldsStartingValues() const
{
    return m_RFChannel == settings::kRFChannel.fallback && m_PwKey == settings::kPwKey.fallback
        && m_NetWorkID == settings::kNetWorkID.fallback && m_NetName.toStdString() == settings::kNetName.fallback;
}

int CBrenvikDoc::LoadProjectFile(const QString&)
{
    return 0;
}

void CBrenvikDoc::SetPathName(const QString& path, bool addToRecentFiles)
{
    m_strPathName = path;
    if (addToRecentFiles)
        CRecentFileList::Add(path);
}
