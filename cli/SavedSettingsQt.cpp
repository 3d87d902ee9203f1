#include "cli/SavedSettings.h"

#include "platform/PortsLookup.h"
#include "platform/Profile.h"
#include "platform/ScanInt.h"

#include <string_view>

// The program's settings store, read with the program's own settings code.
namespace cli {

std::optional<int> SavedComPort()
{
    const QString stored = GetProfileString("Settings\\Ints", "m_ActiveComPort");
    if (stored.isNull())
        return std::nullopt;
    const QByteArray text = stored.toUtf8();
    int port = 0;
    return ScanInts(std::string_view(text.constData(), text.size()), ':', &port, 1) == 1 ? port : 1;
}

bool StoreSavedPort(int comNumber, const std::optional<std::string>& devicePath)
{
    if (devicePath
        && !WriteProfileString("Ports", QStringLiteral("COM%1").arg(comNumber), QString::fromStdString(*devicePath)))
        return false;
    return WriteProfileString("Settings\\Ints", "m_ActiveComPort", QString::number(comNumber));
}

PortLookup SavedPortLookup()
{
    return ProfilePortLookup();
}

} // namespace cli
