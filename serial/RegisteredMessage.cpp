#include "RegisteredMessage.h"

#include <map>
#include <mutex>
#include <string>

unsigned RegisterMessageName(std::string_view name)
{
    static std::mutex lock;
    static std::map<std::string, unsigned, std::less<>> numbers;
    static unsigned next = 0xC000;

    std::lock_guard guard(lock);
    if (auto it = numbers.find(name); it != numbers.end())
        return it->second;
    numbers.emplace(std::string(name), next);
    return next++;
}
