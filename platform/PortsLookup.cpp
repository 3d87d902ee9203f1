#include "platform/PortsLookup.h"

#include "platform/Profile.h"

std::function<std::optional<std::string>(int comNumber)> ProfilePortLookup()
{
    return [](int comNumber) -> std::optional<std::string> {
        const QString path = GetProfileString("Ports", QStringLiteral("COM%1").arg(comNumber)).trimmed();
        if (path.isEmpty())
            return std::nullopt;
        return path.toStdString();
    };
}
