#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// --help and --version are answered before the program touches the window
// system, so both work without a display. Gives the text to print when the
// command line (program name first) asks for either, and nothing otherwise:
// the program then starts as usual, and Qt takes its own options.
// `programFolder` (ending in a separator) tells where the help pages are.
std::optional<QString> InfoOptionsAnswer(const QStringList& arguments, const QString& programFolder);
