#include "cli/SavedSettings.h"

#include "settings/LinesStore.h"
#include "settings/PortsLookup.h"
#include "settings/StoredValues.h"
#ifdef _WIN32
#include "settings/RegistrySettingsStore.h"
#else
#include "settings/QtSettingsStore.h"
#include "settings/SettingsFile.h"
#endif

// The program's settings, where the window keeps them: the registry on
// Windows (read without Qt), QSettings' file elsewhere.
namespace cli {

namespace {

#ifdef _WIN32
using UserSettingsStore = settings::CRegistrySettingsStore;
#else
using UserSettingsStore = settings::CQtSettingsStore;
#endif

} // namespace

std::optional<std::string> CheckSettingsFile()
{
#ifdef _WIN32
    return std::nullopt;
#else
    const std::string path = UserSettingsStore::FilePath();
    if (auto refusal = settings::RefusalOf(path))
        return refusal;
    if (settings::MakePrivate(path))
        return "the settings file " + path + " holds the password key and was open to other users; it is now "
               "yours alone (0600)";
    return std::nullopt;
#endif
}

std::optional<int> SavedComPort()
{
    return settings::ReadStoredInt(UserSettingsStore(), settings::kActiveComPort);
}

bool StoreSavedPort(int comNumber, const std::optional<std::string>& devicePath)
{
    UserSettingsStore store;
    if (devicePath && !settings::StorePortPath(store, comNumber, *devicePath))
        return false;
    return settings::WriteInt(store, settings::kActiveComPort, comNumber);
}

bool ForgetSavedPortPath(int comNumber)
{
    UserSettingsStore store;
    return settings::RemovePortPath(store, comNumber);
}

PortLookup SavedPortLookup()
{
    return settings::PortsLookupOf(std::make_shared<UserSettingsStore>());
}

busport::LineLookup SavedLineLookup()
{
    return settings::LinesLookupOf(std::make_shared<UserSettingsStore>());
}

} // namespace cli
