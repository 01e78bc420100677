// The private contact file, its upload to the device, and the menu item that switches
// the device between its own phonebook and the private list.
#include "FaceIds.h"
#include "FakePorts.h"
#include "PrivateContacts.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include <sys/stat.h>

namespace orvane::test {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

// A contact file in a fresh temporary directory, removed with the object.
class ContactFile {
  public:
    explicit ContactFile(const std::string& bytes) {
        static int serial = 0;
        m_dir =
            fs::temp_directory_path() / ("orvane-keys-" + std::to_string(std::random_device{}()) +
                                         "-" + std::to_string(++serial));
        fs::create_directories(m_dir);
        m_path = m_dir / "PrivateContacts.txt";
        std::ofstream out(m_path, std::ios::binary);
        out << bytes;
    }
    ~ContactFile() {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    std::string Path() const { return m_path.string(); }

  private:
    fs::path m_dir, m_path;
};

std::vector<std::pair<std::string, std::string>> Parse(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::pair<std::string, std::string>> out;
    for (const PhonebookEntry& e : ParsePrivateContacts(in))
        out.emplace_back(e.number, e.name);
    return out;
}

using Records = std::vector<std::pair<std::string, std::string>>;

TEST(PrivateContacts, ParsesRecordsAsTheDeviceNeedsThem) {
    struct Case {
        const char* name;
        std::string text;
        Records want;
    };
    const Case cases[] = {
        {"example", "1 555 Ann Lee;\n2 777 Bo;\n", {{"555", "Ann Lee"}, {"777", "Bo"}}},
        {"crlf", "1 555 Ann Lee;\r\n2 777 Bo;\r\n", {{"555", "Ann Lee"}, {"777", "Bo"}}},
        {"cr before lf dropped in a name", "1 5 A\r\nB;", {{"5", "A\nB"}}},
        {"lone cr kept", "1 5 A\rB;", {{"5", "A\rB"}}},
        {"index ignored", "7 555 Ann;3 777 Bo;", {{"555", "Ann"}, {"777", "Bo"}}},
        {"two blanks in a name", "1 5 Ann  Lee;", {{"5", "Ann  Lee"}}},
        {"trailing blank kept", "1 5 a b c ;", {{"5", "a b c "}}},
        {"tabs never leave the index", "1\t555\tAnn;2\t777\tBo;", {}},
        {"no final semicolon", "1 555 Ann;\n2 777 Bo", {{"555", "Ann"}}},
        {"empty number after a record", "1 555 Ann;\n2  Bo;", {{"555", "Ann"}, {"", "Bo"}}},
        {"empty number first", "1  Bo;", {{"", "Bo"}}},
        {"empty index", " 5 X;", {{"5", "X"}}},
        {"empty name", "1 5 ;", {{"5", ""}}},
        {"semicolons in index and number dropped", ";;1 55;5 Ann;", {{"555", "Ann"}}},
        {"number is its first word", "1 \n555 Ann;", {{"555", "Ann"}}},
        {"nul bytes skipped",
         "1 5\0"
         "55 A\0nn;"s,
         {{"555", "Ann"}}},
        {"long number cut", "1 " + std::string(30, '9') + " N;", {{std::string(19, '9'), "N"}}},
        {"long name cut", "1 5 " + std::string(60, 'n') + ";", {{"5", std::string(31, 'n')}}},
        {"empty file", "", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Parse(c.text), c.want) << c.name;
}

TEST(PrivateContacts, ReadingIsBounded) {
    std::string many;
    for (int k = 0; k < 1005; ++k)
        many += std::to_string(k) + " " + std::to_string(k) + " N;\n";
    const Records parsed = Parse(many);
    ASSERT_EQ(parsed.size(), 1000u);
    EXPECT_EQ(parsed.back().first, "999");

    // Nothing past the first MiB is read, so a record behind a huge field is not taken.
    EXPECT_EQ(Parse(std::string(PrivateContactLimits::kMaxBytes, 'x') + " 5 Late;"), Records{});
    EXPECT_EQ(Parse(std::string(1000, 'x') + " 5 Early;"), (Records{{"5", "Early"}}));
}

TEST(PrivateContacts, TheExampleFileGoesUpInOneDatagram) {
    ContactFile file("1 555 Ann Lee;\n2 777 Bo;\n");
    DialerRig rig;
    rig.Init(file.Path());
    rig.Address();
    rig.timers.setCalls.clear();

    rig.Receive("UPDATE_PCLIST:");
    ASSERT_EQ(rig.socket.sent.size(), 1u);
    const std::string want = "PBOOK: 2 1 555 Ann Lee;2 777 Bo;";
    EXPECT_EQ(rig.socket.sent[0].bytes, std::string(want.c_str(), want.size() + 1));
    EXPECT_EQ(rig.socket.sent[0].host, "10.77.0.11");
    EXPECT_EQ(rig.socket.sent[0].port, 8888);
    for (const auto& call : rig.timers.setCalls)
        EXPECT_NE(call.first, Timer::KeepAlive);
}

TEST(PrivateContacts, UploadsRenumberAndAMissingFileUploadsNone) {
    struct Case {
        std::string file; // empty: no file at all
        std::string want;
    };
    const Case cases[] = {
        {"7 555 Ann;3 777 Bo;", "PBOOK: 2 1 555 Ann;2 777 Bo;"},
        {"", "PBOOK: 2 "},
        {"1\t555\tAnn;", "PBOOK: 2 "},
        {"1 555 Ann;2  Bo;", "PBOOK: 2 1 555 Ann;2  Bo;"}, // no borrowed number
    };
    for (const Case& c : cases) {
        DialerRig rig;
        if (c.file.empty()) {
            rig.Init("/nonexistent/dir/PrivateContacts.txt");
        } else {
            ContactFile file(c.file);
            rig.Init(file.Path());
        }
        rig.Address();
        rig.Receive("UPDATE_PCLIST:");
        rig.Receive("UPDATE_PCLIST:"); // every request sends the whole list again
        EXPECT_EQ(rig.Sent(), (std::vector<std::string>{c.want, c.want})) << c.file;
    }
}

TEST(PrivateContacts, OnlyARegularFileIsRead) {
    // A directory of that name aborted the start; a named pipe blocked it until someone
    // wrote to the pipe. Both now count as no file; a link to a regular file is read.
    ContactFile real("1 555 Ann;");
    const fs::path dir = fs::path(real.Path()).parent_path();
    const fs::path asDir = dir / "dir";
    fs::create_directories(asDir);
    const fs::path fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const fs::path link = dir / "link";
    fs::create_symlink(real.Path(), link);
    const struct {
        fs::path path;
        const char* want;
    } cases[] = {{asDir, "PBOOK: 2 "}, {fifo, "PBOOK: 2 "}, {link, "PBOOK: 2 1 555 Ann;"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.string());
        const auto started = std::chrono::steady_clock::now();
        DialerRig rig;
        rig.Init(c.path.string());
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
        rig.Address();
        rig.Receive("UPDATE_PCLIST:");
        EXPECT_EQ(rig.Sent(), std::vector<std::string>{c.want});
    }
}

TEST(PrivateContacts, LargeTablesAreChunkedPast950Characters) {
    std::string text;
    for (int k = 0; k < 1000; ++k)
        text += std::to_string(k) + " " + std::string(19, static_cast<char>('0' + k % 10)) +
                " Contact " + std::to_string(k) + ";\n";
    ContactFile file(text);
    DialerRig rig;
    rig.Init(file.Path());
    rig.Address();
    rig.Receive("UPDATE_PCLIST:");
    const std::vector<std::string> chunks = rig.Sent();
    ASSERT_GT(chunks.size(), 1u);

    int next = 1;
    for (std::size_t i = 0; i < chunks.size(); ++i) {
        const std::string& chunk = chunks[i];
        ASSERT_EQ(chunk.rfind("PBOOK: 2 ", 0), 0u);
        EXPECT_LE(chunk.size(), 1007u);
        // Records follow each other in order, numbered on across the chunks.
        const std::string firstNumber = std::to_string(next) + " ";
        EXPECT_EQ(chunk.compare(9, firstNumber.size(), firstNumber), 0) << i;
        std::size_t records = 0;
        for (char ch : chunk)
            records += ch == ';';
        next += static_cast<int>(records);
        if (i + 1 < chunks.size()) {
            // Closed by the record that took it past 950, not before.
            EXPECT_GT(chunk.size(), 950u) << i;
            const std::size_t lastStart = chunk.rfind(';', chunk.size() - 2) + 1;
            EXPECT_LE(lastStart, 950u) << i;
        }
    }
    EXPECT_EQ(next, 1001);
}

TEST(PrivateContacts, GarbageFileLoadsQuickly) {
    std::mt19937 random(7);
    std::string garbage(5 * 1024 * 1024, '\0');
    for (char& c : garbage)
        c = static_cast<char>(random() & 0xFF);
    ContactFile file(garbage);

    DialerRig rig;
    const auto start = std::chrono::steady_clock::now();
    rig.Init(file.Path());
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, std::chrono::milliseconds(500));
    // Whatever was taken goes up within its fields: "PBOOK: 2 " and then records
    // "<k> <number> <name>;", at most 1000 of them.
    rig.Address();
    rig.Receive("UPDATE_PCLIST:");
    std::size_t records = 0;
    for (const std::string& chunk : rig.Sent()) {
        ASSERT_EQ(chunk.rfind("PBOOK: 2 ", 0), 0u);
        std::size_t at = 9;
        while (at < chunk.size()) {
            const std::size_t end = std::min(chunk.find(';', at), chunk.size());
            const std::string record = chunk.substr(at, end - at);
            at = end + 1;
            if (record.empty()) continue;
            ++records;
            const std::size_t numberAt = record.find(' ') + 1;
            const std::size_t nameAt = record.find(' ', numberAt);
            ASSERT_NE(nameAt, std::string::npos) << record;
            EXPECT_LE(nameAt - numberAt, 19u) << record;
            EXPECT_LE(record.size() - nameAt - 1, 31u) << record;
        }
    }
    EXPECT_LE(records, 1000u);
}

TEST(PrivateContacts, MenuItemSwitchesTheListAndRefreshesThePhonebook) {
    DialerRig rig;
    rig.Init();
    rig.Address();
    rig.Sent();
    EXPECT_FALSE(rig.face().IsMenuChecked(Menu::UsePrivateContacts));

    rig->OnCommand(Menu::UsePrivateContacts); // menu screen at start: no refresh
    EXPECT_EQ(rig.Sent(), std::vector<std::string>{"PBOOK: 2"});
    EXPECT_TRUE(rig.face().IsMenuChecked(Menu::UsePrivateContacts));

    rig.Receive(
        proto::Write<proto::InKeyword::Pbook>(-1, std::vector<proto::Contact>{{"1", "A"}})[0]);
    rig.Sent();
    rig->OnCommand(Menu::UsePrivateContacts);
    EXPECT_EQ(rig.Sent(), (std::vector<std::string>{"PBOOK: 1", "KEY: 23"}));
    EXPECT_FALSE(rig.face().IsMenuChecked(Menu::UsePrivateContacts));
    EXPECT_EQ(rig.face().Get(Ctl::ContactsTab).images, TabImagesFor(TabState::Contacts).contacts);

    rig->OnCommand(Menu::UsePrivateContacts);
    EXPECT_EQ(rig.Sent(), (std::vector<std::string>{"PBOOK: 2", "KEY: 23"}));
}

} // namespace
} // namespace orvane::test
