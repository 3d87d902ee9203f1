#pragma once

#include <QString>

// The path of the last project file: loaded and stored by the main frame,
// used by the document.
extern QString g_ProjectFilePath;

// The executable's folder, ending in a separator.
extern QString g_AppFolder;
