// The settings key: CRegHelper's reading and writing rules over the INI store in the
// runtime folder, and the store file itself (creation, damage, atomic replacement,
// reopening, no runtime folder).
#include "CRegHelper.h"
#include "QtSettingsBackend.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

namespace {

using orvane::CRegHelper;
using orvane::kSettingsKeyPath;
using orvane::kValueNameFirst;
using orvane::kValuePrivateController;
using orvane::kValuePrivateDeviceIp;
using orvane::Platform;
using orvane::ValueType;

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

QByteArray ReadFile(const QString& path) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) return "(unreadable)";
    return in.readAll();
}

void WriteFile(const QString& path, const QByteArray& text) {
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(text);
}

class SettingsStore : public ::testing::Test {
  protected:
    QString StoreFile() const { return dir.path() + "/Software/Kelmar/VorIvorov.ini"; }
    QString KeyFolder() const { return dir.path() + "/Software/Kelmar"; }
    // Puts values straight into the store, as another run of the program could have.
    void Store(const std::string& name, ValueType type, const std::vector<std::uint8_t>& data) {
        QtSettingsBackend backend(dir.path());
        ASSERT_TRUE(backend.OpenKey(kSettingsKeyPath));
        ASSERT_TRUE(backend.SetValue(name, type, data));
    }
    QStringList FolderFiles() const {
        return QDir(KeyFolder()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    QTemporaryDir dir;
    DebugCapture platform;
};

TEST_F(SettingsStore, FirstStartCreatesTheKeyAndEverySettingKeepsItsDefault) {
    ASSERT_FALSE(QFile::exists(StoreFile()));
    QtSettingsBackend backend(dir.path());
    CRegHelper reg(backend, platform);
    ASSERT_TRUE(reg.CreateKey(kSettingsKeyPath));
    EXPECT_TRUE(QFile::exists(StoreFile()));

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
        QtSettingsBackend backend(dir.path());
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
        {"INI's own marks", Bytes("a=b;c\n[d]\\\"e@f"), true, "a=b;c\n[d]\\\"e@f"},
        {"high bytes", {0xC3, 0xA9, 0xFF, 0x80}, true, "\xC3\xA9\xFF\x80"},
        // Too long for the device address, but that is the loader's call: read it whole.
        {"long text", Bytes(std::string(80, '7')), true, std::string(80, '7')},
        {"4096 bytes", Bytes(std::string(4096, 'x')), true, std::string(4096, 'x')},
        {"4097 bytes", Bytes(std::string(4097, 'x')), false, "unchanged"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Store(kValuePrivateDeviceIp, ValueType::String, c.stored);
        platform.debugLines.clear();
        QtSettingsBackend backend(dir.path());
        CRegHelper reg(backend, platform);
        ASSERT_TRUE(reg.CreateKey(kSettingsKeyPath));
        std::string target = "unchanged";
        EXPECT_EQ(reg.ReadString(kValuePrivateDeviceIp, target), c.ok);
        EXPECT_EQ(target, c.text);
        EXPECT_EQ(platform.debugLines.size(), c.ok ? 0u : 1u);
    }
}

TEST_F(SettingsStore, AnyValueNameComesBackUnchanged) {
    const std::string names[] = {kValueNameFirst,          "a/b\\c",    "100%",
                                 "tab\there\nand\x01\xff", "[section]", "key=value",
                                 "; not a comment"};
    {
        QtSettingsBackend backend(dir.path());
        ASSERT_TRUE(backend.OpenKey(kSettingsKeyPath));
        std::uint8_t n = 0;
        for (const std::string& name : names)
            ASSERT_TRUE(backend.SetValue(name, ValueType::Dword, {++n})) << name;
        // A name is at least one byte, as in the registry's own files.
        EXPECT_FALSE(backend.SetValue("", ValueType::Dword, {1}));
    }
    QtSettingsBackend backend(dir.path());
    ASSERT_TRUE(backend.OpenKey(kSettingsKeyPath));
    std::uint8_t n = 0;
    for (const std::string& name : names) {
        ValueType type{};
        std::vector<std::uint8_t> data;
        ASSERT_TRUE(backend.QueryValue(name, type, data, 4)) << name;
        EXPECT_EQ(data, std::vector<std::uint8_t>{++n}) << name;
    }
}

TEST_F(SettingsStore, WritesKeepTheStoredFormsAndSurviveReopening) {
    {
        QtSettingsBackend backend(dir.path());
        CRegHelper reg(backend, platform);
        ASSERT_TRUE(reg.CreateKey(kSettingsKeyPath));
        reg.WriteDword(kValuePrivateController, 1);
        reg.WriteString(kValuePrivateDeviceIp, "10.77.0.11");
    }
    {
        // Releasing the device: 0 and the empty text (zero bytes).
        QtSettingsBackend backend(dir.path());
        CRegHelper reg(backend, platform);
        ASSERT_TRUE(reg.CreateKey(kSettingsKeyPath));
        reg.WriteDword(kValueNameFirst, 0x01020304);
        reg.WriteString(kValuePrivateDeviceIp, "");
    }
    EXPECT_TRUE(platform.debugLines.empty());

    QtSettingsBackend backend(dir.path());
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
    // The file is QSettings' INI, readable by anyone who looks.
    EXPECT_TRUE(ReadFile(StoreFile()).contains("[Device%20List%20Starts%20With%20Name]"));
}

TEST_F(SettingsStore, WithoutAnOpenKeyNothingIsReadWrittenOrReported) {
    QtSettingsBackend noRuntimeDir(QString{});
    QtSettingsBackend backend(dir.path());
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
    EXPECT_FALSE(QFile::exists(StoreFile()));
}

// Captures what is written to stderr while it lives.
class StderrCapture {
  public:
    StderrCapture() {
        std::fflush(stderr);
        m_saved = dup(2);
        m_file = std::tmpfile();
        dup2(fileno(m_file), 2);
    }
    std::string finish() {
        std::fflush(stderr);
        dup2(m_saved, 2);
        close(m_saved);
        std::string text;
        std::rewind(m_file);
        for (int c; (c = std::fgetc(m_file)) != EOF;)
            text += static_cast<char>(c);
        std::fclose(m_file);
        return text;
    }

  private:
    int m_saved = -1;
    std::FILE* m_file = nullptr;
};

TEST(SettingsStoreNoRuntimeFolder, SaidOnceOnStderrAndNothingKept) {
    StderrCapture capture;
    {
        QtSettingsBackend backend{QString{}};
        for (int i = 0; i < 4; ++i) {
            EXPECT_FALSE(backend.OpenKey(kSettingsKeyPath));
            EXPECT_FALSE(backend.SetValue(kValueNameFirst, ValueType::Dword, {1}));
        }
    }
    EXPECT_EQ(capture.finish(),
              "orvane-dialer: XDG_RUNTIME_DIR is not set; the settings are not kept\n");
}

TEST_F(SettingsStore, KeyThatCannotBeCreatedFailsTheOpen) {
    // A file where a folder of the path belongs stops even root.
    WriteFile(dir.path() + "/Software", "not a folder");
    QtSettingsBackend blocked(dir.path());
    EXPECT_FALSE(blocked.OpenKey(kSettingsKeyPath));

    QFile::remove(dir.path() + "/Software");
    QDir().mkpath(StoreFile()); // a folder where the store file belongs
    QtSettingsBackend notAFile(dir.path());
    EXPECT_FALSE(notAFile.OpenKey(kSettingsKeyPath));
}

TEST_F(SettingsStore, FailedWriteIsReportedOnTheDebugOutputOnly) {
    Store(kValueNameFirst, ValueType::Dword, {1, 0, 0, 0});
    QtSettingsBackend backend(dir.path());
    CRegHelper reg(backend, platform);
    ASSERT_TRUE(reg.CreateKey(kSettingsKeyPath));
    // The store's folder becomes a plain file: nothing can be written there any more.
    QDir(KeyFolder()).removeRecursively();
    WriteFile(KeyFolder(), "in the way");

    reg.WriteDword(kValueNameFirst, 0);
    reg.WriteString(kValuePrivateDeviceIp, "10.77.0.11");
    EXPECT_EQ(platform.debugLines, (std::vector<std::string>{kSaveFailed, kSaveFailed}));
    // The key still shows what its store held, not the writes that failed.
    std::uint32_t n = 0;
    EXPECT_TRUE(reg.ReadDword(kValueNameFirst, n));
    EXPECT_EQ(n, 1u);
    std::string address = "none";
    EXPECT_FALSE(reg.ReadString(kValuePrivateDeviceIp, address));
    EXPECT_EQ(address, "none");
}

TEST_F(SettingsStore, DamagedStoreGivesTheDefaultsAndIsReplacedByTheNextWrite) {
    const QByteArray good = "[Device%20List%20Starts%20With%20Name]\n"
                            "data=@ByteArray(\\x1\\0\\0\\0)\ntype=4\n";
    const struct Case {
        const char* what;
        QByteArray contents;
    } cases[] = {
        {"empty", ""},
        {"one newline", "\n"},
        {"no INI at all", "garbage"},
        {"NUL bytes", QByteArray(100, '\0')},
        {"not UTF-8", "\xff\xfe\x00\x01"},
        {"section never closed", "[Device%20List%20Starts%20With%20Name\ntype=4\n"},
        {"cut inside the data", good.left(good.indexOf(")"))},
        {"cut before the type", good.left(good.indexOf("type"))},
        {"type is not a number", QByteArray(good).replace("type=4", "type=four")},
        {"type is negative", QByteArray(good).replace("type=4", "type=-4")},
        {"data is text, not bytes", QByteArray(good).replace("@ByteArray(\\x1\\0\\0\\0)", "1")},
        {"data is a number list", QByteArray(good).replace("@ByteArray(\\x1\\0\\0\\0)", "1, 2")},
        {"data is a variant", QByteArray(good).replace("@ByteArray", "@Variant")},
        {"value without a section", "type=4\ndata=@ByteArray(\\x1)\n"},
        {"lines without '='", "[Device%20List%20Starts%20With%20Name]\ntype\ndata\n"},
        {"larger than any store", good + QByteArray(2 << 20, ';')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QDir().mkpath(KeyFolder());
        WriteFile(StoreFile(), c.contents);
        {
            QtSettingsBackend backend(dir.path());
            CRegHelper reg(backend, platform);
            ASSERT_TRUE(reg.CreateKey(kSettingsKeyPath));
            std::uint32_t n = 9;
            EXPECT_FALSE(reg.ReadDword(kValueNameFirst, n));
            EXPECT_EQ(n, 9u);
            platform.debugLines.clear();
            reg.WriteDword(kValuePrivateController, 1);
            EXPECT_TRUE(platform.debugLines.empty());
        }
        // The next start reads the write back, and nothing of the damage.
        QtSettingsBackend backend(dir.path());
        ASSERT_TRUE(backend.OpenKey(kSettingsKeyPath));
        ValueType type{};
        std::vector<std::uint8_t> data;
        EXPECT_TRUE(backend.QueryValue(kValuePrivateController, type, data, 4));
        EXPECT_EQ(data, (std::vector<std::uint8_t>{1, 0, 0, 0}));
        EXPECT_FALSE(backend.QueryValue(kValueNameFirst, type, data, 4));
    }
}

TEST_F(SettingsStore, StoreIsReplacedWholeNeverRewrittenInPlace) {
    Store(kValueNameFirst, ValueType::Dword, {1, 0, 0, 0});
    const QByteArray before = ReadFile(StoreFile());
    // A second name for the old file: an in-place rewrite would change it too.
    ASSERT_EQ(link(QFile::encodeName(StoreFile()).constData(),
                   QFile::encodeName(dir.path() + "/old-store").constData()),
              0);

    QtSettingsBackend backend(dir.path());
    CRegHelper reg(backend, platform);
    ASSERT_TRUE(reg.CreateKey(kSettingsKeyPath));
    std::uint32_t n = 0;
    EXPECT_TRUE(reg.ReadDword(kValueNameFirst, n));
    EXPECT_EQ(n, 1u);
    reg.WriteDword(kValueNameFirst, 0);

    EXPECT_EQ(ReadFile(dir.path() + "/old-store"), before);
    EXPECT_NE(ReadFile(StoreFile()), before);
    // Nothing left aside: no temporary file, no lock.
    EXPECT_EQ(FolderFiles(), QStringList{"VorIvorov.ini"});
    EXPECT_TRUE(platform.debugLines.empty());
}

TEST(SettingsStoreFile, KeyPathMapsToOneFileInsideTheRuntimeFolder) {
    QtSettingsBackend backend("/run/user/1000");
    EXPECT_EQ(backend.fileFor("Software\\Kelmar\\VorIvorov"),
              "/run/user/1000/Software/Kelmar/VorIvorov.ini");
    for (const char* bad : {"", "Software\\..\\..\\etc", "a\\\\b", "\\a", "a\\", "a/b", ".."})
        EXPECT_EQ(backend.fileFor(bad), "") << bad;
    EXPECT_EQ(QtSettingsBackend(QString{}).fileFor("Software\\Kelmar\\VorIvorov"), "");
}

} // namespace
