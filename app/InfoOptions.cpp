#include "app/InfoOptions.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include "BrenvikVersion.h"
#include "help/HelpFileLocation.h"

std::optional<QString> InfoOptionsAnswer(const QStringList& arguments, const QString& programFolder)
{
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList {QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList {QStringLiteral("v"), QStringLiteral("version")});
    parser.addOptions({help, version});
    // Options the parser does not know (Qt's own, such as -platform) leave the
    // outcome to the program; --help and --version are still seen among them.
    parser.parse(arguments);

    if (parser.isSet(version))
        return QStringLiteral("Brenvik %1\nQt %2\n").arg(QLatin1String(kBrenvikVersion), QLatin1String(qVersion()));
    if (!parser.isSet(help))
        return std::nullopt;
    return QStringLiteral("Usage: %1 [options] [project]\n"
                          "Reads and writes the radio group settings of a Trakbus wireless throttle transceiver.\n"
                          "\n"
                          "Options:\n"
                          "  -h, --help     Displays this help.\n"
                          "  -v, --version  Displays the version of Brenvik and of Qt.\n"
                          "  Qt's own options, such as -platform NAME, are taken as well.\n"
                          "\n"
                          "Arguments:\n"
                          "  project        A project file to open.\n"
                          "\n"
                          "Help pages: %2\n")
        .arg(QFileInfo(arguments.value(0)).fileName(), HelpFileLocation(programFolder));
}
