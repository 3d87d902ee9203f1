#include "platform/ControlClassRegistry.h"

#include <map>

namespace {

std::map<QString, ControlFactory>& Factories()
{
    static std::map<QString, ControlFactory> factories;
    return factories;
}

QString Key(std::string_view className)
{
    return QString::fromLatin1(className.data(), qsizetype(className.size())).toLower();
}

} // namespace

void CControlClassRegistry::Register(std::string_view className, ControlFactory factory)
{
    Factories()[Key(className)] = std::move(factory);
}

void CControlClassRegistry::Unregister(std::string_view className)
{
    Factories().erase(Key(className));
}

bool CControlClassRegistry::IsRegistered(std::string_view className)
{
    return Find(className) != nullptr;
}

const ControlFactory* CControlClassRegistry::Find(std::string_view className)
{
    const auto it = Factories().find(Key(className));
    return it == Factories().end() ? nullptr : &it->second;
}
