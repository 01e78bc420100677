// The settings key: CRegHelper's reading and writing rules over the file store, and the
// store file itself (creation, damage, atomic replacement, reopening).
#include "CRegHelper.h"
#include "FileSettingsBackend.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace orvane {
namespace {

namespace fs = std::filesystem;

const std::string kQueryFailed = "Unable to query registry\n";
const std::string kSaveFailed = "Unable to save to registry\n";

class DebugCapture : public Platform {
  public:
    std::vector<std::string> debugLines;
    void Sleep(unsigned) override {}
    std::optional<Adapter> FirstAdapter() override { return std::nullopt; }
    int PrimaryScreenWidth() override { return 1280; }
    void StdOut(const std::string&) override {}
    void StdErr(const std::string&) override {}
    void DebugOut(const std::string& text) override { debugLines.push_back(text); }
};

std::vector<std::uint8_t> Bytes(const std::string& s) {
    return {s.begin(), s.end()};
}

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const fs::path& p, const std::string& text) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << text;
}

class SettingsStore : public ::testing::Test {
  protected:
    void SetUp() override {
        std::random_device rd;
        dir = fs::temp_directory_path() / ("orvane-settings-" + std::to_string(rd()));
        fs::create_directories(dir);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    fs::path StoreFile() const { return dir / "Software" / "Kelmar" / "VorIvorov.settings"; }
    // Puts values straight into the store, as another program could have.
    void Store(const std::string& name, ValueType type, const std::vector<std::uint8_t>& data) {
        FileSettingsBackend backend(dir.string());
        ASSERT_TRUE(backend.OpenKey(kSettingsKeyPath));
        ASSERT_TRUE(backend.SetValue(name, type, data));
    }
    std::vector<fs::path> TempFiles() const {
        std::vector<fs::path> found;
        for (const auto& e : fs::directory_iterator(StoreFile().parent_path()))
            if (e.path().filename().string().find(".tmp") != std::string::npos)
                found.push_back(e.path());
        return found;
    }

    fs::path dir;
    DebugCapture platform;
};

TEST_F(SettingsStore, FirstStartCreatesTheKeyAndEverySettingKeepsItsDefault) {
    ASSERT_FALSE(fs::exists(StoreFile()));
    FileSettingsBackend backend(dir.string());
    CRegHelper reg(backend, platform);
    ASSERT_TRUE(reg.CreateKey(kSettingsKeyPath));
    EXPECT_TRUE(fs::is_regular_file(StoreFile()));

    std::uint32_t nameFirst = 0, privateController = 0;
    std::string address;
    EXPECT_FALSE(reg.ReadDword(kValueNameFirst, nameFirst));
    EXPECT_FALSE(reg.ReadDword(kValuePrivateController, privateController));
    EXPECT_FALSE(reg.ReadString(kValuePrivateDeviceIp, address));
    EXPECT_EQ(nameFirst, 0u);
    EXPECT_EQ(privateController, 0u);
    EXPECT_EQ(address, "");
    EXPECT_EQ(platform.debugLines, std::vector<std::string>(3, kQueryFailed));
}

TEST_F(SettingsStore, NumbersAreReadFromUpToFourBytesWhateverTheirType) {
    struct Case {
        const char* what;
        ValueType type;
        std::vector<std::uint8_t> data;
        bool ok;
        std::uint32_t value;
    } cases[] = {
        {"stored 2", ValueType::Dword, {2, 0, 0, 0}, true, 2},
        {"little-endian", ValueType::Dword, {0x78, 0x56, 0x34, 0x12}, true, 0x12345678},
        {"one byte, zero-extended", ValueType::Dword, {0xFF}, true, 0xFF},
        {"no bytes", ValueType::Dword, {}, true, 0},
        {"text type is not looked at", ValueType::String, {'a', 'b'}, true, 0x6261},
        {"five bytes", ValueType::Dword, {1, 0, 0, 0, 0}, false, 77},
        {"five bytes of text", ValueType::String, Bytes("12345"), false, 77},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Store(kValueNameFirst, c.type, c.data);
        platform.debugLines.clear();
        FileSettingsBackend backend(dir.string());
        CRegHelper reg(backend, platform);
        ASSERT_TRUE(reg.CreateKey(kSettingsKeyPath));
        std::uint32_t target = 77;
        EXPECT_EQ(reg.ReadDword(kValueNameFirst, target), c.ok);
        EXPECT_EQ(target, c.value);
        EXPECT_EQ(platform.debugLines,
                  c.ok ? std::vector<std::string>{} : std::vector<std::string>{kQueryFailed});
    }
}

TEST_F(SettingsStore, TextsReadBackAsWrittenUpToTheirFirstNul) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> stored;
        bool ok;
        std::string text;
    } cases[] = {
        {"address", Bytes("192.168.100.200"), true, "192.168.100.200"},
        {"empty", {}, true, ""},
        {"stops at NUL", {'1', '0', 0, '9'}, true, "10"},
        // Too long for the device address, but that is the loader's call: read it whole.
        {"long text", Bytes(std::string(80, '7')), true, std::string(80, '7')},
        {"4096 bytes", Bytes(std::string(4096, 'x')), true, std::string(4096, 'x')},
        {"4097 bytes", Bytes(std::string(4097, 'x')), false, "unchanged"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Store(kValuePrivateDeviceIp, ValueType::String, c.stored);
        platform.debugLines.clear();
        FileSettingsBackend backend(dir.string());
        CRegHelper reg(backend, platform);
        ASSERT_TRUE(reg.CreateKey(kSettingsKeyPath));
        std::string target = "unchanged";
        EXPECT_EQ(reg.ReadString(kValuePrivateDeviceIp, target), c.ok);
        EXPECT_EQ(target, c.text);
        EXPECT_EQ(platform.debugLines.size(), c.ok ? 0u : 1u);
    }
}

TEST_F(SettingsStore, WritesKeepTheStoredFormsAndSurviveReopening) {
    {
        FileSettingsBackend backend(dir.string());
        CRegHelper reg(backend, platform);
        ASSERT_TRUE(reg.CreateKey(kSettingsKeyPath));
        reg.WriteDword(kValuePrivateController, 1);
        reg.WriteString(kValuePrivateDeviceIp, "10.77.0.11");
    }
    {
        // Releasing the device: 0 and the empty text (zero bytes).
        FileSettingsBackend backend(dir.string());
        CRegHelper reg(backend, platform);
        ASSERT_TRUE(reg.CreateKey(kSettingsKeyPath));
        reg.WriteDword(kValueNameFirst, 0x01020304);
        reg.WriteString(kValuePrivateDeviceIp, "");
    }
    EXPECT_TRUE(platform.debugLines.empty());

    FileSettingsBackend backend(dir.string());
    ASSERT_TRUE(backend.OpenKey(kSettingsKeyPath));
    ValueType type{};
    std::vector<std::uint8_t> data;
    ASSERT_TRUE(backend.QueryValue(kValueNameFirst, type, data, 100));
    EXPECT_EQ(type, ValueType::Dword);
    EXPECT_EQ(data, (std::vector<std::uint8_t>{4, 3, 2, 1}));
    ASSERT_TRUE(backend.QueryValue(kValuePrivateController, type, data, 100));
    EXPECT_EQ(data, (std::vector<std::uint8_t>{1, 0, 0, 0}));
    ASSERT_TRUE(backend.QueryValue(kValuePrivateDeviceIp, type, data, 100));
    EXPECT_EQ(type, ValueType::String);
    EXPECT_TRUE(data.empty());

    CRegHelper reg(backend, platform);
    ASSERT_TRUE(reg.CreateKey(kSettingsKeyPath));
    std::string address = "old";
    EXPECT_TRUE(reg.ReadString(kValuePrivateDeviceIp, address));
    EXPECT_EQ(address, "");
}

TEST_F(SettingsStore, WithoutAnOpenKeyNothingIsReadWrittenOrReported) {
    FileSettingsBackend noRuntimeDir("");
    FileSettingsBackend backend(dir.string());
    CRegHelper failed(noRuntimeDir, platform);
    EXPECT_FALSE(failed.CreateKey(kSettingsKeyPath));
    CRegHelper neverOpened(backend, platform);
    for (CRegHelper* reg : {&failed, &neverOpened}) {
        std::uint32_t n = 5;
        std::string s = "kept";
        EXPECT_FALSE(reg->ReadDword(kValueNameFirst, n));
        EXPECT_FALSE(reg->ReadString(kValuePrivateDeviceIp, s));
        reg->WriteDword(kValueNameFirst, 1);
        reg->WriteString(kValuePrivateDeviceIp, "10.77.0.11");
        EXPECT_EQ(n, 5u);
        EXPECT_EQ(s, "kept");
    }
    EXPECT_TRUE(platform.debugLines.empty());
    EXPECT_FALSE(fs::exists(StoreFile()));
}

TEST_F(SettingsStore, KeyThatCannotBeCreatedFailsTheOpen) {
    // A file where a folder of the path belongs stops even root.
    WriteFile(dir / "Software", "not a folder");
    FileSettingsBackend blocked(dir.string());
    EXPECT_FALSE(blocked.OpenKey(kSettingsKeyPath));

    fs::remove(dir / "Software");
    fs::create_directories(StoreFile()); // a folder where the store file belongs
    FileSettingsBackend notAFile(dir.string());
    EXPECT_FALSE(notAFile.OpenKey(kSettingsKeyPath));
}

TEST_F(SettingsStore, FailedWriteIsReportedOnTheDebugOutputOnly) {
    Store(kValueNameFirst, ValueType::Dword, {1, 0, 0, 0});
    FileSettingsBackend backend(dir.string());
    CRegHelper reg(backend, platform);
    ASSERT_TRUE(reg.CreateKey(kSettingsKeyPath));
    // The store's folder becomes a plain file: nothing can be written there any more.
    fs::remove_all(dir / "Software" / "Kelmar");
    WriteFile(dir / "Software" / "Kelmar", "in the way");

    reg.WriteDword(kValueNameFirst, 0);
    reg.WriteString(kValuePrivateDeviceIp, "10.77.0.11");
    EXPECT_EQ(platform.debugLines, (std::vector<std::string>{kSaveFailed, kSaveFailed}));
    // The key still shows what its store holds, not the writes that failed.
    std::uint32_t n = 0;
    EXPECT_TRUE(reg.ReadDword(kValueNameFirst, n));
    EXPECT_EQ(n, 1u);
}

TEST_F(SettingsStore, DamagedStoreReadsAsEmptyAndIsReplacedByTheNextWrite) {
    const std::map<std::string, FileSettingsBackend::Value> good{
        {kValueNameFirst, {ValueType::Dword, {1, 0, 0, 0}}},
        {kValuePrivateDeviceIp, {ValueType::String, Bytes("10.77.0.11")}},
    };
    const std::string valid = FileSettingsBackend::Serialize(good);
    std::string flipped = valid;
    flipped[25] = static_cast<char>(flipped[25] ^ 0x01); // inside the first value line
    const std::string damaged[] = {
        "",
        "\n",
        "garbage",
        std::string(100, '\0'),
        valid.substr(0, valid.size() - 1), // last newline lost
        valid.substr(0, valid.size() / 2),
        valid.substr(0, valid.find('\n') + 1), // header only
        flipped,
        valid + valid,
        "orvane-settings 1\nend 0 00000000\n",
        "orvane-settings 1\nx\t4\t0\nend 1 ffffffff\n",
        std::string(5u << 20, 'a'), // larger than any store
    };
    for (const std::string& contents : damaged) {
        SCOPED_TRACE(contents.substr(0, 60));
        fs::create_directories(StoreFile().parent_path());
        WriteFile(StoreFile(), contents);
        FileSettingsBackend backend(dir.string());
        CRegHelper reg(backend, platform);
        ASSERT_TRUE(reg.CreateKey(kSettingsKeyPath));
        std::uint32_t n = 9;
        EXPECT_FALSE(reg.ReadDword(kValueNameFirst, n));
        EXPECT_EQ(n, 9u);
        reg.WriteDword(kValuePrivateController, 1);
        std::map<std::string, FileSettingsBackend::Value> reread;
        EXPECT_TRUE(FileSettingsBackend::Parse(ReadFile(StoreFile()), reread));
        EXPECT_EQ(reread.size(), 1u);
    }
}

TEST(SettingsStoreFormat, EveryCutOrChangedByteIsDetected) {
    std::map<std::string, FileSettingsBackend::Value> values{
        {"", {ValueType::String, {}}},
        {"tab\there\nand % \x01\xff", {static_cast<ValueType>(0xFFFFFFFFu), {0, 0x7F, 0xFF}}},
        {kValuePrivateDeviceIp, {ValueType::String, Bytes("10.77.0.11")}},
    };
    std::vector<std::uint8_t> all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<std::uint8_t>(b));
    values["all bytes"] = {ValueType::Dword, all};

    const std::string text = FileSettingsBackend::Serialize(values);
    std::map<std::string, FileSettingsBackend::Value> parsed;
    ASSERT_TRUE(FileSettingsBackend::Parse(text, parsed));
    ASSERT_EQ(parsed.size(), values.size());
    for (const auto& [name, value] : values) {
        ASSERT_EQ(parsed.count(name), 1u) << name;
        EXPECT_EQ(parsed[name].type, value.type);
        EXPECT_EQ(parsed[name].data, value.data);
    }
    for (std::size_t cut = 0; cut < text.size(); ++cut)
        EXPECT_FALSE(FileSettingsBackend::Parse(text.substr(0, cut), parsed)) << "cut at " << cut;
    for (std::size_t at = 0; at < text.size(); ++at) {
        for (char mask : {'\x01', '\x20', '\x80'}) {
            std::string changed = text;
            changed[at] = static_cast<char>(changed[at] ^ mask);
            EXPECT_FALSE(FileSettingsBackend::Parse(changed, parsed)) << "byte " << at;
            EXPECT_TRUE(parsed.empty());
        }
    }
}

TEST_F(SettingsStore, StoreIsReplacedWholeNeverRewrittenInPlace) {
    Store(kValueNameFirst, ValueType::Dword, {1, 0, 0, 0});
    const std::string before = ReadFile(StoreFile());
    // A second name for the old file: an in-place rewrite would change it too.
    fs::create_hard_link(StoreFile(), dir / "old-store");
    // Leftovers of a save that crashed half-way.
    WriteFile(StoreFile().string() + ".tmp-0badf00d", "orvane-settings 1\nhalf");
    WriteFile(StoreFile().string() + ".tmp", "");

    FileSettingsBackend backend(dir.string());
    CRegHelper reg(backend, platform);
    ASSERT_TRUE(reg.CreateKey(kSettingsKeyPath));
    std::uint32_t n = 0;
    EXPECT_TRUE(reg.ReadDword(kValueNameFirst, n));
    EXPECT_EQ(n, 1u);
    reg.WriteDword(kValueNameFirst, 0);

    EXPECT_EQ(ReadFile(dir / "old-store"), before);
    EXPECT_NE(ReadFile(StoreFile()), before);
    EXPECT_EQ(TempFiles().size(), 2u); // only the two leftovers: the save left none
    EXPECT_TRUE(platform.debugLines.empty());
}

TEST(SettingsStoreFile, KeyPathMapsToOneFileInsideTheRuntimeDirectory) {
    FileSettingsBackend backend("/run/user/1000");
    EXPECT_EQ(backend.FileFor("Software\\Kelmar\\VorIvorov"),
              "/run/user/1000/Software/Kelmar/VorIvorov.settings");
    for (const char* bad : {"", "Software\\..\\..\\etc", "a\\\\b", "\\a", "a\\", "a/b", ".."})
        EXPECT_EQ(backend.FileFor(bad), "") << bad;
    EXPECT_EQ(FileSettingsBackend("").FileFor("Software\\Kelmar\\VorIvorov"), "");
}

} // namespace
} // namespace orvane
