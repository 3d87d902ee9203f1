#pragma once

#include <QString>

// The path of the last project file: loaded and stored by the main frame,
// used by the document.
extern QString g_ProjectFilePath;
