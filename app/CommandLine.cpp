#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include "BrenvikVersion.h"
#include "help/HelpFileLocation.h"

namespace {

// Qt's own options, which QApplication takes out of the command line: known
// here so that the arguments can be read before there is a QApplication
// (which needs a display).
const char* const kQtValueOptions[] = {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
                                       "qwindowicon", "qwindowtitle", "session", "display", "geometry", "style",
                                       "stylesheet", "qmljsdebugger", "dialogs", "fontengine", "title", "name",
                                       "visual", "ncols", "cmap", "im", "inputstyle"};
const char* const kQtFlagOptions[] = {"reverse", "widgetcount", "nograb", "dograb", "sync", "testability"};

// The program's options, read the same way in both steps.
struct OptionParser {
    OptionParser()
    {
        // Qt's options are words after one dash: "-reverse" is one name, never -r -e -v ...
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.addOptions({help, version});
        for (const char* name : kQtValueOptions)
            parser.addOption(QCommandLineOption(QLatin1String(name), {}, QStringLiteral("value")));
        for (const char* name : kQtFlagOptions)
            parser.addOption(QCommandLineOption(QLatin1String(name)));
    }
    QCommandLineParser parser;
    const QCommandLineOption help {QStringList {QStringLiteral("h"), QStringLiteral("help")}};
    const QCommandLineOption version {QStringList {QStringLiteral("v"), QStringLiteral("version")}};
};

QString UsageLine(const QStringList& arguments)
{
    return QStringLiteral("Usage: %1 [options] [project]\n").arg(QFileInfo(arguments.value(0)).fileName());
}

// One line: the reason, then how the program is called.
QString UsageError(const QString& reason, const QStringList& arguments)
{
    return QStringLiteral("brenvik: %1 (usage: %2 [options] [project])\n")
        .arg(reason, QFileInfo(arguments.value(0)).fileName());
}

} // namespace

std::optional<QString> InfoOptionsAnswer(const QStringList& arguments, const QString& programFolder)
{
    OptionParser options;
    // Options the parser does not know (Qt's own, such as -platform) are left
    // to the second step; --help and --version are still seen among them.
    options.parser.parse(arguments);

    if (options.parser.isSet(options.version))
        return QStringLiteral("Brenvik %1\nQt %2\n").arg(QLatin1String(kBrenvikVersion), QLatin1String(qVersion()));
    if (!options.parser.isSet(options.help))
        return std::nullopt;
    return UsageLine(arguments)
        + QStringLiteral("Reads and writes the radio group settings of a Trakbus wireless throttle transceiver.\n"
                         "\n"
                         "Options:\n"
                         "  -h, --help     Displays this help.\n"
                         "  -v, --version  Displays the version of Brenvik and of Qt.\n"
                         "  Qt's own options, such as -platform NAME, are taken as well.\n"
                         "\n"
                         "Arguments:\n"
                         "  project        An existing project file to open.\n"
                         "\n"
                         "Help pages: %1\n")
              .arg(HelpFileLocation(programFolder));
}

StartArguments ReadStartArguments(const QStringList& arguments)
{
    OptionParser options;
    if (!options.parser.parse(arguments)) {
        // "Unknown option 'x'." reads as the other messages: "unknown option 'x'".
        QString reason = options.parser.errorText();
        reason[0] = reason[0].toLower();
        if (reason.endsWith(QLatin1Char('.')))
            reason.chop(1);
        return {{}, UsageError(reason, arguments)};
    }
    const QStringList positional = options.parser.positionalArguments();
    if (positional.isEmpty())
        return {};
    if (positional.size() > 1)
        return {{}, UsageError(QStringLiteral("one project file at most, not %1").arg(positional.size()), arguments)};

    const QString& path = positional.first();
    const QFileInfo file(path);
    if (!file.exists())
        return {{}, QStringLiteral("brenvik: the project file \"%1\" does not exist\n").arg(path)};
    if (!file.isFile())
        return {{}, QStringLiteral("brenvik: \"%1\" is not a project file but a %2\n")
                        .arg(path, file.isDir() ? QStringLiteral("folder") : QStringLiteral("special file"))};
    return {path, {}};
}
