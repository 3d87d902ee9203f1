#include "platform/ProgramFolder.h"

#include <QFileInfo>

QString ProgramFolder()
{
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath() + QLatin1Char('/');
}
