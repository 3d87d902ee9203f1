#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The program's command line, read in two steps (program name first in both).
//
// --help and --version are answered before the program touches the window
// system, so both work without a display: gives the text to print, or nothing
// when neither is asked for. Qt's own options may stand among the arguments.
// `programFolder` (ending in a separator) tells where the help pages are.
std::optional<QString> InfoOptionsAnswer(const QStringList& arguments, const QString& programFolder);

// The project file to open, or why the program does not start, in one line.
// Read before there is a QApplication, so a usage error needs no display;
// Qt's own options (-platform NAME, -style NAME ...) are passed over.
struct StartArguments {
    QString projectPath; // empty: a new document
    QString refusal;     // for standard error; the program ends with 1 when set
};
StartArguments ReadStartArguments(const QStringList& arguments);
