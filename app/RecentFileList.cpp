#include "app/RecentFileList.h"

#include "settings/Profile.h"
#include "settings/Schema.h"

namespace {

const QString kSection = QString::fromUtf8(settings::kRecentFilesSection);

QString EntryName(int index)
{
    return QString::fromStdString(settings::RecentFileEntry(index + 1));
}

} // namespace

QStringList CRecentFileList::Entries()
{
    QStringList entries;
    for (int i = 0; i < kSize; ++i) {
        const QString path = GetProfileString(kSection, EntryName(i));
        if (!path.isEmpty())
            entries << path;
    }
    return entries;
}

bool CRecentFileList::Add(const QString& path)
{
    QStringList entries = Entries();
    entries.removeAll(path);
    entries.prepend(path);
    bool written = true;
    for (int i = 0; i < kSize; ++i)
        written = WriteProfileString(kSection, EntryName(i), entries.value(i)) && written;
    return written;
}
