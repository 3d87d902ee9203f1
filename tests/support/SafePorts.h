#pragma once

#include "serial/PortNames.h"

#include <map>
#include <optional>
#include <string>

// Tests must never reach a real serial device: this mapping sends every COM
// number to a missing path unless the test maps it to a pseudo-terminal.
// The test gives it to what resolves port names (Lookup()); nothing installs
// it for the whole process.
class TestPortMap {
public:
    void Map(int number, std::string path) { m_paths[number] = std::move(path); }

    std::optional<std::string> PathOf(int number) const
    {
        const auto it = m_paths.find(number);
        return it != m_paths.end() ? it->second : "/nonexistent/brenvik-test-COM" + std::to_string(number);
    }

    // Only the numbers the test mapped; nothing for the others.
    std::optional<std::string> EntryOf(int number) const
    {
        const auto it = m_paths.find(number);
        return it != m_paths.end() ? std::optional(it->second) : std::nullopt;
    }

    PortLookup Lookup() const
    {
        return [this](int number) { return PathOf(number); };
    }

private:
    std::map<int, std::string> m_paths;
};
