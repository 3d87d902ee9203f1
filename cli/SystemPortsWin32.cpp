#include "cli/SystemPorts.h"

#include "serial/PortNames.h"

#include <windows.h>

#include <algorithm>
#include <set>

// The ports of a Windows system: the COM ports its drivers registered and
// the COM names its DOS device table holds (where Wine's links land too).
// A COM number here is always the system's own port; nothing is opened.
namespace cli {

namespace {

std::string Narrow(std::wstring_view text)
{
    std::string narrow;
    for (const wchar_t c : text)
        narrow += c < 0x80 ? char(c) : '?';
    return narrow;
}

void AddComName(std::set<int>& numbers, std::wstring_view name)
{
    if (const std::optional<int> number = ComNumberOf(Narrow(name)))
        numbers.insert(*number);
}

// HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM: "\Device\Serial0" = "COM1", ...
void AddRegisteredPorts(std::set<int>& numbers)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE, &key)
        != ERROR_SUCCESS)
        return;
    for (DWORD index = 0;; ++index) {
        wchar_t valueName[256];
        DWORD nameLength = DWORD(std::size(valueName));
        wchar_t data[64] {};
        DWORD bytes = sizeof data - sizeof(wchar_t);
        DWORD type = 0;
        const LSTATUS status = ::RegEnumValueW(key, index, valueName, &nameLength, nullptr, &type,
                                               reinterpret_cast<BYTE*>(data), &bytes);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status == ERROR_SUCCESS && type == REG_SZ)
            AddComName(numbers, data);
    }
    ::RegCloseKey(key);
}

// Every DOS device name, zero-separated; the COM ones among them.
void AddDosDevicePorts(std::set<int>& numbers)
{
    std::wstring names(16384, L'\0');
    DWORD length = 0;
    while ((length = ::QueryDosDeviceW(nullptr, names.data(), DWORD(names.size()))) == 0) {
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || names.size() > (1u << 22))
            return;
        names.resize(names.size() * 2);
    }
    for (std::size_t start = 0; start < length && names[start] != L'\0';) {
        const std::wstring_view name(names.data() + start);
        AddComName(numbers, name);
        start += name.size() + 1;
    }
}

std::set<int> SystemComNumbers()
{
    std::set<int> numbers;
    AddRegisteredPorts(numbers);
    AddDosDevicePorts(numbers);
    return numbers;
}

} // namespace

std::vector<Candidate> SystemPorts(const CliContext&)
{
    std::vector<Candidate> candidates;
    for (const int number : SystemComNumbers()) {
        const std::string name = "COM" + std::to_string(number);
        candidates.push_back({name, "\\\\.\\" + name});
    }
    return candidates;
}

bool DevicePresent(const std::string& path)
{
    const std::optional<int> number = ComNumberOf(path);
    return number && SystemComNumbers().contains(*number);
}

void LookWithoutOpening(PortReport& report, const CliContext&)
{
    // The system lists the port; whether it can be had, only --probe tells.
    report.state = "present";
    report.text = "present";
}

} // namespace cli
