#include "app/Globals.h"

QString g_ProjectFilePath;
QString g_AppFolder;
