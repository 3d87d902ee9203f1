#include "platform/ProgramFolder.h"

#include <QDir>
#include <QFileInfo>
#include <vector>
#include <windows.h>

QString ProgramFolder()
{
    // The wide name, so a folder with any letters in its name is found; the
    // longest path the system has.
    std::vector<wchar_t> path(32768);
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    const QString program = QDir::fromNativeSeparators(QString::fromWCharArray(path.data(), static_cast<int>(length)));
    return QFileInfo(program).absolutePath() + QLatin1Char('/');
}
