#include "app/Globals.h"

QString g_ProjectFilePath;
