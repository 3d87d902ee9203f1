#pragma once

#include <QString>

// The folder of the running program, ending in '/', known before the
// application object exists (which QCoreApplication::applicationDirPath needs).
QString ProgramFolder();
