#include "res/Strings.h"

#include "res/Resource.h"

#include "BrenvikVersion.h"

QString LoadResourceString(int id)
{
    switch (id) {
    case AFX_IDS_APP_TITLE:
        return QStringLiteral("Brenvik");
    case IDS_VERSION:
        return QStringLiteral("Version ") + QLatin1String(kBrenvikVersion);
    case IDR_MAINFRAME:
        return QStringLiteral("Brenvik\n\nFlash\nFlash Files (*.hex,*.bin)\n.hex;*.bin\nBrenvik.Document\nFlash Document");
    default:
        return QString();
    }
}
