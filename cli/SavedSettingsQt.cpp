#include "cli/SavedSettings.h"

#include "platform/LinesStore.h"
#include "platform/PortsLookup.h"
#include "platform/Profile.h"
#include "platform/ScanInt.h"

#include <string_view>

// The program's settings store, read with the program's own settings code.
namespace cli {

int SavedComPort()
{
    const QByteArray text = GetProfileString("Settings\\Ints", "m_ActiveComPort").toUtf8();
    int port = 0;
    return ScanInts(std::string_view(text.constData(), text.size()), ':', &port, 1) == 1 ? port : 1;
}

PortLookup SavedPortLookup()
{
    return ProfilePortLookup();
}

busport::LineLookup SavedLineLookup()
{
    return ProfileLineLookup();
}

} // namespace cli
