#include "app/InfoOptions.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include "BrenvikVersion.h"
#include "help/HelpFileLocation.h"

std::optional<QString> InfoOptionsAnswer(const QStringList& arguments, const QString& programFolder)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Reads and writes the radio group settings of a Trakbus wireless throttle transceiver."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Displays this help."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("project"), QStringLiteral("A project file to open."),
                                 QStringLiteral("[project]"));
    // Options the parser does not know (Qt's own, such as -platform) leave the
    // outcome to the program; --help and --version are still seen among them.
    parser.parse(arguments);

    if (parser.isSet(version))
        return QStringLiteral("Brenvik %1\nQt %2\n").arg(QLatin1String(kBrenvikVersion), QLatin1String(qVersion()));
    if (!parser.isSet(help))
        return std::nullopt;
    // Without an application object the parser cannot know the program's name.
    QString text = parser.helpText();
    text.replace(QStringLiteral("<executable_name>"), QFileInfo(arguments.value(0)).fileName());
    return text + QStringLiteral("\nHelp pages: %1\n").arg(HelpFileLocation(programFolder));
}
