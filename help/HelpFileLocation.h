#pragma once

#include <QString>

// Where the help pages' index lies for a program in `programFolder` (ending in
// a separator): beside the program in a build tree (BrenvikHelp/), otherwise
// under share/brenvik/help of the prefix the program is installed in. The
// installed place is given when neither exists, so that help reports it.
QString HelpFileLocation(const QString& programFolder);
