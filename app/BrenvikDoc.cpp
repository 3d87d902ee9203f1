#include "app/BrenvikDoc.h"

#include "app/RecentFileList.h"
#include "platform/Profile.h"
#include "platform/ScanInt.h"

namespace {

const QString kInts = QStringLiteral("Settings\\Ints");
const QString kStrings = QStringLiteral("Settings\\Strings");

} // namespace

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

int CBrenvikDoc::ReadInt(const char* entry, int fallback)
{
    m_strScratch = GetProfileString(kInts, QLatin1String(entry));
    const QByteArray text = m_strScratch.toUtf8();
    int value = 0;
    return ScanInts(std::string_view(text.constData(), text.size()), ':', &value, 1) == 1 ? value : fallback;
}

int CBrenvikDoc::LoadFromRegistry()
{
    m_ActiveComPort = ReadInt("m_ActiveComPort", 1);
    m_RFChannel = ReadInt("m_RFChannel", 11);
    m_PwKey = ReadInt("m_PwKey", 0);
    m_NetWorkID = ReadInt("m_NetWorkID", 0);
    m_NetName = GetProfileString(kStrings, QStringLiteral("m_NetName"), QStringLiteral("Olv12345"));
    return 1;
}

int CBrenvikDoc::SaveToRegistry()
{
    const std::pair<const char*, int> numbers[] = {
        {"m_ActiveComPort", m_ActiveComPort},
        {"m_RFChannel", m_RFChannel},
        {"m_PwKey", m_PwKey},
        {"m_NetWorkID", m_NetWorkID},
    };
    for (const auto& [entry, value] : numbers) {
        m_strScratch = QString::number(value);
        if (!WriteProfileString(kInts, QLatin1String(entry), m_strScratch))
            return 0;
    }
    return WriteProfileString(kStrings, QStringLiteral("m_NetName"), m_NetName) ? 1 : 0;
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
