// The numbers dialled from this computer: the file they live in and what is kept.
#include "FakePorts.h"
#include "CDialRecordingPort.h"
#include "CRecentNumbers.h"
#include "FaceIds.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace orvane::test {
namespace {

namespace fs = std::filesystem;

// A folder of its own per test, removed afterwards.
struct TempDir {
    fs::path path;
    TempDir() {
        path =
            fs::temp_directory_path() /
            ("orvane-recent-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(path);
    }
    ~TempDir() { fs::remove_all(path); }
    std::string File() const { return (path / "orvane-sip-dialer" / "recent-numbers").string(); }
};

std::string ReadAll(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& file, const std::string& text) {
    fs::create_directories(fs::path(file).parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

TEST(RecentNumbers, DialledNumbersAreWrittenNewestFirstAndReadBack) {
    TempDir dir;
    {
        CRecentNumbers recent(dir.File());
        recent.Load(); // no file yet: empty, and no file made
        EXPECT_TRUE(recent.Numbers().empty());
        EXPECT_FALSE(fs::exists(dir.File()));
        EXPECT_TRUE(recent.Add("555"));
        EXPECT_TRUE(recent.Add("030 1234")); // kept as it is dialled: normalised
        EXPECT_TRUE(recent.Add("555"));      // again: moves to the front, once
        EXPECT_TRUE(recent.Add("hello"));    // no number: not kept, nothing fails
    }
    EXPECT_EQ(ReadAll(dir.File()), "orvane-sip-dialer recent numbers 1\n555\n0301234\n");
    EXPECT_FALSE(fs::exists(dir.File() + ".new"));
    CRecentNumbers again(dir.File());
    again.Load();
    EXPECT_EQ(again.Numbers(), (std::vector<std::string>{"555", "0301234"}));
    EXPECT_TRUE(again.Clear());
    CRecentNumbers cleared(dir.File());
    cleared.Load();
    EXPECT_TRUE(cleared.Numbers().empty());
}

TEST(RecentNumbers, AFullListDropsTheOldest) {
    TempDir dir;
    CRecentNumbers recent(dir.File());
    for (int i = 1; i <= 25; ++i)
        recent.Add(std::to_string(1000 + i));
    ASSERT_EQ(recent.Numbers().size(), CRecentNumbers::kMaxNumbers);
    EXPECT_EQ(recent.Numbers().front(), "1025");
    EXPECT_EQ(recent.Numbers().back(), "1006");
    CRecentNumbers read(dir.File());
    read.Load();
    EXPECT_EQ(read.Numbers(), recent.Numbers());
}

TEST(RecentNumbers, ADamagedFileGivesAnEmptyList) {
    const std::string header = "orvane-sip-dialer recent numbers 1\n";
    std::string tooMany = header;
    for (int i = 0; i < 21; ++i)
        tooMany += std::to_string(100 + i) + "\n";
    const std::pair<const char*, std::string> cases[] = {
        {"empty file", ""},
        {"no header", "555\n"},
        {"another header", "orvane-sip-dialer recent numbers 2\n555\n"},
        {"cut short", header + "555\n77"},
        {"a letter", header + "555\n12a\n"},
        {"not normalised", header + "030 1234\n"},
        {"an empty line", header + "555\n\n"},
        {"a twin", header + "555\n555\n"},
        {"21 numbers", tooMany},
        {"a NUL", header + std::string("55\0"
                                       "5\n",
                                       5)},
        {"a long line", header + std::string(26, '1') + "\n"},
        {"binary", std::string("\x89PNG\r\n\x1a\n", 8)},
        {"huge", header + std::string(100000, '1') + "\n"},
    };
    for (const auto& [what, text] : cases) {
        TempDir dir;
        WriteAll(dir.File(), text);
        CRecentNumbers recent(dir.File());
        recent.Load();
        EXPECT_TRUE(recent.Numbers().empty()) << what;
        // The next number dialled starts a sound file again.
        EXPECT_TRUE(recent.Add("777")) << what;
        EXPECT_EQ(ReadAll(dir.File()), header + "777\n") << what;
    }
    TempDir dir;
    fs::create_directories(dir.File()); // a folder where the file belongs
    CRecentNumbers recent(dir.File());
    recent.Load();
    EXPECT_TRUE(recent.Numbers().empty());
    EXPECT_FALSE(recent.Add("555")); // cannot be written: reported, kept in memory
    EXPECT_EQ(recent.Numbers(), std::vector<std::string>{"555"});
}

TEST(RecentNumbers, EveryDialSentIsKeptAndNothingElse) {
    TempDir dir;
    CRecentNumbers recent(dir.File());
    FakeDatagramPort inner;
    CDialRecordingPort port(inner, recent);
    struct Case {
        std::string bytes;
        bool canSend;
    };
    const Case cases[] = {
        {std::string("DIAL: 555", 10), true},
        {std::string("KEY: 19", 8), true},
        {std::string("DISP:", 6), true},
        {std::string("DIAL: 777", 10), false}, // not sent: not dialled
        {std::string("LINUX: ls /", 12), true},
        {std::string("DIAL: 0301234", 14), true},
        {std::string("XDIAL: 999", 11), true},
    };
    for (const Case& c : cases) {
        inner.canSend = c.canSend;
        EXPECT_EQ(port.SendTo(c.bytes.data(), c.bytes.size(), "10.77.0.11", 8888), c.canSend);
    }
    EXPECT_EQ(inner.sent.size(), 6u);
    EXPECT_EQ(recent.Numbers(), (std::vector<std::string>{"0301234", "555"}));
}

TEST(RecentNumbers, TheDialerRecordsWhatSendDials) {
    TempDir dir;
    CRecentNumbers recent(dir.File());
    FakeDatagramPort inner;
    CDialRecordingPort port(inner, recent);
    FakeTimerHost timers;
    FakeDialogs dialogs;
    FakeSettings settings;
    FakePlatform platform;
    CDialerDlg dlg({port, timers, dialogs, settings, platform});
    dlg.OnInitDialog("/nonexistent/PrivateContacts.txt");
    dlg.Socket().OnSend(0);
    dlg.Socket().SetDeviceAddr("10.77.0.11");
    dlg.Face().UserSetText(Ctl::EntryEdit, "030 1234");
    dlg.SendKeyCode(proto::KeyCode::Send);
    EXPECT_EQ(inner.TakeTexts(), (std::vector<std::string>{"DISP:", "DIAL: 030 1234"}));
    EXPECT_EQ(recent.Numbers(), std::vector<std::string>{"0301234"});
}

} // namespace
} // namespace orvane::test
