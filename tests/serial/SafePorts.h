#pragma once

#include "serial/PortNames.h"

#include <map>
#include <string>

// Tests must never reach a real serial device: this mapping sends every COM
// number to a missing path unless the test maps it to a pseudo-terminal.
class SafePorts {
public:
    SafePorts()
    {
        SetPortLookup([this](int number) -> std::optional<std::string> {
            auto it = m_paths.find(number);
            return it != m_paths.end() ? it->second : "/nonexistent/brenvik-test-COM" + std::to_string(number);
        });
    }
    ~SafePorts() { SetPortLookup({}); }
    void Map(int number, std::string path) { m_paths[number] = std::move(path); }

private:
    std::map<int, std::string> m_paths;
};
