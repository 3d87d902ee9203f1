#include "help/HelpFileLocation.h"

#include <QDir>
#include <QFileInfo>

QString HelpFileLocation(const QString& programFolder)
{
    const QString besideProgram = programFolder + QStringLiteral("BrenvikHelp/index.html");
    if (QFileInfo::exists(besideProgram))
        return besideProgram;
    // BRENVIK_HELP_FROM_PROGRAM is the install rule's help folder relative to
    // the program folder (../share/brenvik/help), so a moved prefix still works.
    return QDir::cleanPath(programFolder + QStringLiteral(BRENVIK_HELP_FROM_PROGRAM "/index.html"));
}
