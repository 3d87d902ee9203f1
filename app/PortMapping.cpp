#include "app/PortMapping.h"

#include <QString>

#include "app/BrenvikDoc.h"
#include "platform/Profile.h"

int MapCurrentPort(const QString& device)
{
    CBrenvikDoc settings;
    settings.LoadFromRegistry();
    const int port = settings.m_ActiveComPort;
    return WriteProfileString(QStringLiteral("Ports"), QStringLiteral("COM%1").arg(port), device) ? port : 0;
}
