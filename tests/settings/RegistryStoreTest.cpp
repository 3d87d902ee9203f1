// The registry store of brenvik-cli on Windows: the contract, and the values
// exactly as QSettings' native format keeps them, so the window reads them.

#include "tests/settings/StoreContract.h"

#include "settings/RegistrySettingsStore.h"
#include "settings/StoredValues.h"

#include <windows.h>

namespace {

// A key of its own below HKEY_CURRENT_USER\Software\Olvarn, removed after the test.
class RegistryKeyForTest : public StoreUnderTest {
public:
    static constexpr const char* kKey = "Software\\Olvarn\\Brenvik Tests";

    RegistryKeyForTest() { Delete(); }
    ~RegistryKeyForTest() override { Delete(); }

    std::shared_ptr<settings::ISettingsStore> Store() override { return m_store; }
    bool MakeUnwritable() override { return false; }

private:
    static void Delete() { ::RegDeleteTreeA(HKEY_CURRENT_USER, kKey); }

    std::shared_ptr<settings::ISettingsStore> m_store = std::make_shared<settings::CRegistrySettingsStore>(kKey);
};

INSTANTIATE_TEST_SUITE_P(Win32, StoreContract,
                         ::testing::Values([] { return std::make_unique<RegistryKeyForTest>(); }),
                         StoreName("Registry"));

struct RawValue {
    DWORD type = REG_NONE;
    std::wstring text;
};

RawValue ReadRaw(const wchar_t* key, const wchar_t* name)
{
    RawValue raw;
    wchar_t data[256] {};
    DWORD bytes = sizeof data - sizeof(wchar_t);
    HKEY handle = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
        return raw;
    if (::RegQueryValueExW(handle, name, nullptr, &raw.type, reinterpret_cast<BYTE*>(data), &bytes) == ERROR_SUCCESS)
        raw.text = data;
    ::RegCloseKey(handle);
    return raw;
}

TEST(RegistrySettingsStore, ValuesAreStringsInTheKeysQSettingsUses)
{
    RegistryKeyForTest place;
    settings::ISettingsStore& store = *place.Store();
    ASSERT_TRUE(settings::WriteInt(store, settings::kRFChannel, 16));
    ASSERT_TRUE(settings::WriteText(store, settings::kNetName, "@home"));
    ASSERT_TRUE(store.Write(settings::kPortsSection, "COM3", "rfc2217://127.0.0.1:7000"));

    const RawValue channel = ReadRaw(L"Software\\Olvarn\\Brenvik Tests\\Settings\\Ints", L"m_RFChannel");
    EXPECT_EQ(channel.type, DWORD(REG_SZ));
    EXPECT_EQ(channel.text, L"16");
    // QSettings reads "@@home" as the text "@home".
    EXPECT_EQ(ReadRaw(L"Software\\Olvarn\\Brenvik Tests\\Settings\\Strings", L"m_NetName").text, L"@@home");
    EXPECT_EQ(ReadRaw(L"Software\\Olvarn\\Brenvik Tests\\Ports", L"COM3").text, L"rfc2217://127.0.0.1:7000");
    EXPECT_EQ(settings::CRegistrySettingsStore::UserKey(), "Software\\Olvarn\\Brenvik");
}

TEST(RegistrySettingsStore, ANumberStoredAsADwordReadsAsItsText)
{
    RegistryKeyForTest place;
    HKEY handle = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Olvarn\\Brenvik Tests\\Settings\\Ints", 0, nullptr, 0,
                                KEY_SET_VALUE, nullptr, &handle, nullptr),
              ERROR_SUCCESS);
    const DWORD port = 7;
    ::RegSetValueExW(handle, L"m_ActiveComPort", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&port), sizeof port);
    ::RegCloseKey(handle);
    EXPECT_EQ(settings::ReadInt(*place.Store(), settings::kActiveComPort), 7);
}

} // namespace
