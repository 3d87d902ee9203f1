// `ports` on Windows lists the COM ports the system knows, without opening any.

#include <gtest/gtest.h>

#include "cli/SystemPorts.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <sstream>

namespace {

// A port a driver registered, for the life of the test: a value of
// HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM (Wine lets every program
// write there; Windows only an administrator).
class RegisteredPort {
public:
    RegisteredPort(const wchar_t* device, const wchar_t* comName) : m_device(device)
    {
        m_registered = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, REG_OPTION_VOLATILE, KEY_SET_VALUE,
                                         nullptr, &m_key, nullptr)
                == ERROR_SUCCESS
            && ::RegSetValueExW(m_key, device, 0, REG_SZ, reinterpret_cast<const BYTE*>(comName),
                                DWORD((std::wcslen(comName) + 1) * sizeof(wchar_t)))
                == ERROR_SUCCESS;
    }
    ~RegisteredPort()
    {
        if (m_key) {
            ::RegDeleteValueW(m_key, m_device);
            ::RegCloseKey(m_key);
        }
    }
    bool Registered() const { return m_registered; }

private:
    static constexpr const wchar_t* kKey = L"HARDWARE\\DEVICEMAP\\SERIALCOMM";
    const wchar_t* m_device;
    HKEY m_key = nullptr;
    bool m_registered = false;
};

TEST(SystemPortsWin32, ListsTheSystemsComPortsInOrderAsTheirOwnDevicesWithoutOpeningThem)
{
    RegisteredPort com17(L"\\Device\\BrenvikTest17", L"COM17");
    RegisteredPort com9(L"\\Device\\BrenvikTest9", L"COM9");
    RegisteredPort again(L"\\Device\\BrenvikTest9b", L"COM9");
    if (!com17.Registered() || !com9.Registered() || !again.Registered())
        GTEST_SKIP() << "registering a port needs an administrator here";
    std::ostringstream out, err;
    cli::CliContext context(out, err);
    context.portLookup = [](int) { return std::optional<std::string>("/dev/ttyUSB0"); }; // never consulted here

    const std::vector<cli::Candidate> ports = cli::SystemPorts(context);
    const auto has = [&ports](const std::string& name, const std::string& path) {
        return std::any_of(ports.begin(), ports.end(),
                           [&](const cli::Candidate& c) { return c.name == name && c.path == path; });
    };
    EXPECT_TRUE(has("COM9", "\\\\.\\COM9"));
    EXPECT_TRUE(has("COM17", "\\\\.\\COM17"));
    EXPECT_TRUE(std::is_sorted(ports.begin(), ports.end(), [](const cli::Candidate& a, const cli::Candidate& b) {
        return std::stoi(a.name.substr(3)) < std::stoi(b.name.substr(3));
    }));
    EXPECT_TRUE(cli::DevicePresent("\\\\.\\COM17"));
    EXPECT_TRUE(cli::DevicePresent("COM9"));
    EXPECT_FALSE(cli::DevicePresent("\\\\.\\COM250"));
    EXPECT_EQ(std::adjacent_find(ports.begin(), ports.end(),
                                 [](const cli::Candidate& a, const cli::Candidate& b) { return a.name == b.name; }),
              ports.end());
}

} // namespace
