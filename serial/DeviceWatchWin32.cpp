#include "serial/DeviceWatch.h"

#include "serial/PortNames.h"

#include <windows.h>

// Windows tells of a COM port coming and going through device notifications
// to a window, which this layer has none of: the owner looks once a second
// (Fd() stays -1), asking the system whether the port's name is defined.
CDeviceWatch::CDeviceWatch(std::string path) : m_path(std::move(path)) {}

CDeviceWatch::~CDeviceWatch() = default;

bool CDeviceWatch::TakeChanges()
{
    return Present(m_path);
}

bool CDeviceWatch::Present(const std::string& path)
{
    if (const std::optional<int> number = ComNumberOf(path)) {
        // A COM port is a DOS device name, present while its driver has it.
        char target[MAX_PATH];
        const std::string name = "COM" + std::to_string(*number);
        return QueryDosDeviceA(name.c_str(), target, sizeof target) != 0;
    }
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
