#pragma once

#include "serial/PortNames.h"

#include <map>
#include <optional>
#include <string>

// Tests must never reach a real serial device: this mapping sends every COM
// number to a missing path unless the test maps it to a pseudo-terminal.
class TestPortMap {
public:
    void Map(int number, std::string path) { m_paths[number] = std::move(path); }

    std::optional<std::string> PathOf(int number) const
    {
        const auto it = m_paths.find(number);
        return it != m_paths.end() ? it->second : "/nonexistent/brenvik-test-COM" + std::to_string(number);
    }

private:
    std::map<int, std::string> m_paths;
};

// A TestPortMap installed as the process-wide mapping for the life of the object.
class SafePorts : public TestPortMap {
public:
    SafePorts()
    {
        SetPortLookup([this](int number) { return PathOf(number); });
    }
    ~SafePorts() { SetPortLookup({}); }
    SafePorts(const SafePorts&) = delete;
    SafePorts& operator=(const SafePorts&) = delete;
};
