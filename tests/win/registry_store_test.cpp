// The settings store on Windows: a volatile registry key, values read back as written, and
// a damaged value that gives the defaults instead of a wrong setting.
#include "RegistrySettingsBackend.h"
#include "WinRig.h"

#include "CRegHelper.h"
#include "FaceIds.h"

#include <gtest/gtest.h>

namespace orvane::test {
namespace {

// A key of this test program's own, so runs side by side (and the program) never meet.
std::string TestKeyPath() {
    return "Software\\Kelmar\\VorIvorovTest" + std::to_string(GetCurrentProcessId());
}

// The registry store at the test key, whatever key the dialog asks for.
class TestKeyBackend : public RegistrySettingsBackend {
  public:
    bool OpenKey(const std::string&) override {
        return RegistrySettingsBackend::OpenKey(TestKeyPath());
    }
};

class RegistryStore : public ::testing::Test {
  protected:
    void SetUp() override { Remove(); }
    void TearDown() override { Remove(); }
    static void Remove() { RegDeleteTreeA(HKEY_CURRENT_USER, TestKeyPath().c_str()); }
    // A value written past the program, as another program or a damaged hive leaves it.
    static void Plant(const char* name, DWORD type, const std::vector<BYTE>& bytes) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, TestKeyPath().c_str(), 0, nullptr,
                                  REG_OPTION_VOLATILE, KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, name, 0, type, bytes.data(), static_cast<DWORD>(bytes.size()));
        RegCloseKey(key);
    }
    FakePlatform platform;
};

TEST_F(RegistryStore, ValuesComeBackAsWritten) {
    const std::pair<const char*, std::uint32_t> numbers[] = {
        {kValueNameFirst, 1}, {kValuePrivateController, 0}, {"Big", 0xFEDCBA98u}};
    const std::pair<const char*, std::string> texts[] = {
        {kValuePrivateDeviceIp, "10.77.0.13"}, {"Empty", ""}, {"Accented", "Caf\xE9 \x80"}};
    {
        RegistrySettingsBackend backend;
        CRegHelper reg(backend, platform);
        ASSERT_TRUE(reg.CreateKey(TestKeyPath()));
        for (const auto& [name, value] : numbers)
            reg.WriteDword(name, value);
        for (const auto& [name, value] : texts)
            reg.WriteString(name, value);
    }
    RegistrySettingsBackend backend;
    CRegHelper reg(backend, platform);
    ASSERT_TRUE(reg.CreateKey(TestKeyPath()));
    for (const auto& [name, value] : numbers) {
        std::uint32_t got = 12345;
        EXPECT_TRUE(reg.ReadDword(name, got)) << name;
        EXPECT_EQ(got, value) << name;
    }
    for (const auto& [name, value] : texts) {
        std::string got = "unchanged";
        EXPECT_TRUE(reg.ReadString(name, got)) << name;
        EXPECT_EQ(got, value) << name;
    }
    EXPECT_TRUE(platform.debugLines.empty());
}

TEST_F(RegistryStore, KeyIsVolatileSoItEndsWithTheLogin) {
    RegistrySettingsBackend backend;
    ASSERT_TRUE(backend.OpenKey(TestKeyPath()));
    // Only a volatile key refuses a lasting key below it.
    HKEY child = nullptr;
    const LSTATUS status =
        RegCreateKeyExA(HKEY_CURRENT_USER, (TestKeyPath() + "\\Lasting").c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_READ, nullptr, &child, nullptr);
    if (status == ERROR_SUCCESS) RegCloseKey(child);
    EXPECT_EQ(status, ERROR_CHILD_MUST_BE_VOLATILE);
}

TEST_F(RegistryStore, DamagedValuesReadAsMissing) {
    struct Case {
        const char* what;
        DWORD type;
        std::vector<BYTE> bytes;
        bool number; // read as a number, else as a text
    };
    const Case cases[] = {
        {"eight-byte number", REG_BINARY, std::vector<BYTE>(8, 1), true},
        {"number as a long text", REG_SZ, std::vector<BYTE>(12, 'x'), true},
        {"text past 4096 bytes", REG_SZ, std::vector<BYTE>(5000, 'a'), false},
    };
    for (const Case& c : cases) {
        Remove();
        Plant("Value", c.type, c.bytes);
        RegistrySettingsBackend backend;
        CRegHelper reg(backend, platform);
        ASSERT_TRUE(reg.CreateKey(TestKeyPath()));
        if (c.number) {
            std::uint32_t got = 77;
            EXPECT_FALSE(reg.ReadDword("Value", got)) << c.what;
            EXPECT_EQ(got, 77u) << c.what;
        } else {
            std::string got = "unchanged";
            EXPECT_FALSE(reg.ReadString("Value", got)) << c.what;
            EXPECT_EQ(got, "unchanged") << c.what;
        }
    }
}

TEST_F(RegistryStore, TheFaceStartsWithTheStoredChoiceOrTheDefault) {
    struct Case {
        const char* what;
        DWORD type;
        std::vector<BYTE> bytes; // empty: no value at all
        bool checked;            // "Device List Starts With Name" shows its mark
    };
    const Case cases[] = {
        {"stored as on", REG_DWORD, {1, 0, 0, 0}, true},
        {"stored as off", REG_DWORD, {0, 0, 0, 0}, false},
        {"missing", REG_DWORD, {}, false},
        {"damaged: eight bytes", REG_BINARY, {1, 1, 1, 1, 1, 1, 1, 1}, false},
    };
    for (const Case& c : cases) {
        Remove();
        if (!c.bytes.empty()) Plant(kValueNameFirst, c.type, c.bytes);
        TestKeyBackend store;
        WinRig rig(&store);
        ASSERT_TRUE(rig.ok()) << c.what;
        const UINT state = GetMenuState(rig.window->menu(), Menu::NameFirst, MF_BYCOMMAND);
        EXPECT_EQ((state & MF_CHECKED) != 0, c.checked) << c.what;
    }
}

} // namespace
} // namespace orvane::test
