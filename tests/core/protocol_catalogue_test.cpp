// The dialer's side of the command catalogue: recognising what the device sends, reading
// its arguments, and the texts of the commands the dialer sends.
#include "Protocol.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace orvane::proto;

namespace {

std::string Repeat(char c, std::size_t n) {
    return std::string(n, c);
}

} // namespace

TEST(Recognition, MatchesKeywordPrefixesInCatalogueOrder) {
    struct Case {
        std::string msg;
        InKeyword want;
    };
    const std::vector<Case> cases = {
        {"HOOK: ON", InKeyword::HookOn},
        {"HOOK: ONLINE", InKeyword::HookOn}, // more letters after the keyword
        {"HOOK: OFF", InKeyword::HookOff},
        {"hook: on", InKeyword::None},  // case-sensitive
        {" HOOK: ON", InKeyword::None}, // keyword must be at the first byte
        {"HOOK:", InKeyword::None},
        {"LINUX_START:", InKeyword::LinuxStart},
        {"LINUX_END:", InKeyword::LinuxEnd},
        {"LINUX: ls", InKeyword::Linux},
        {"LINUX:", InKeyword::Linux},
        {"MOD: 4 anything", InKeyword::Mod},
        {"ADD:", InKeyword::Add},
        {"DISP: 1 Hello", InKeyword::Disp},
        {"DISPLAY: 1", InKeyword::None},
        {"TEXT_KEY: 1", InKeyword::TextKey},
        {"ICON_KEY: 1 1", InKeyword::IconKey},
        {"CLR:2", InKeyword::Clr},
        {"ICON: 22 0", InKeyword::Icon},
        {"VOL: 1 50", InKeyword::Vol},
        {"UPDATE_PCLIST:", InKeyword::UpdatePcList},
        {"PBOOK: -1 ", InKeyword::Pbook},
        {"CALLS: -1 ", InKeyword::Calls},
        {"MENU: 0 ", InKeyword::Menu},
        {"HIDE_LIST:", InKeyword::HideList},
        {"SHOW_NAV:", InKeyword::ShowNav},
        {"SHOW_LIST:", InKeyword::ShowList},
        {"SHOW_DIALPAD:", InKeyword::ShowDialpad},
        {"SHOW_MUTE: 1", InKeyword::ShowMute},
        {"INPUT: 1 a;b;c;d", InKeyword::Input},
        {"ORVN: T1 10.0.0.2 ID 0 Desk", InKeyword::Orvn},
        {"ORVN: abcde", InKeyword::Orvn}, // 11 characters
        {"ORVN: abcd", InKeyword::None},  // 10 characters: no reply, and no other keyword
        {"ORVN:", InKeyword::None},
        {"LOGIN: 1", InKeyword::Login},
        {"LOGIN:", InKeyword::Login},
        {"", InKeyword::None},
        {"KEY: 5", InKeyword::None}, // a dialer command, not a device message
    };
    for (const Case& c : cases)
        EXPECT_EQ(RecognizeIncoming(c.msg), c.want) << '"' << c.msg << '"';
}

TEST(Recognition, EveryKeywordTextIsRecognisedAsItself) {
    for (int k = 0; k < static_cast<int>(InKeyword::None); ++k) {
        const auto keyword = static_cast<InKeyword>(k);
        const std::string msg = std::string(KeywordText(keyword)) + " 1 2 3 4 5 6";
        EXPECT_EQ(RecognizeIncoming(msg), keyword) << msg;
    }
    EXPECT_STREQ(KeywordText(InKeyword::None), "");
}

TEST(Scan, ReadsLikeScanf) {
    struct Case {
        std::string text, tmpl;
        int count;
        std::vector<std::string> words; // the text each value was read from
        std::vector<long long> numbers; // for %d values, in order
    };
    const std::vector<Case> cases = {
        {"DISP: 1 text", "DISP: %d %s", 2, {"1", "text"}, {1}},
        {"DISP:1text", "DISP: %d %s", 2, {"1", "text"}, {1}}, // blank matches no space too
        {"DISP: 12abc more", "DISP: %d %s", 2, {"12", "abc"}, {12}},
        {"KEY:\t\n 5", "KEY: %d", 1, {"5"}, {5}}, // any white space
        {"VOL: -5 +7", "VOL: %d %d", 2, {"-5", "+7"}, {-5, 7}},
        {"VOL: 99999999999 -99999999999", "VOL: %d %d", 2, {}, {2147483647, -2147483648LL}},
        {"VOL: 98765432109876543210987654321 -98765432109876543210987654321",
         "VOL: %d %d",
         2,
         {},
         {2147483647, -2147483648LL}},
        {"VOL: - 5", "VOL: %d %d", 0, {}, {}},     // a sign alone is no number
        {"VOL: 5 x", "VOL: %d %d", 1, {"5"}, {5}}, // stops at the first mismatch
        {"disp: 1 x", "DISP: %d %s", 0, {}, {}},   // literals are case-sensitive
        {"DISP: ", "DISP: %d %s", 0, {}, {}},
        {"ORVN: a b", "ORVN: %s %s %s", 2, {"a", "b"}, {}},
    };
    for (const Case& c : cases) {
        ScanValue v[4];
        ASSERT_EQ(Scan(c.text, c.tmpl, v, 4), c.count) << c.text;
        for (std::size_t i = 0; i < c.words.size(); ++i)
            EXPECT_EQ(v[i].word, c.words[i]) << c.text;
        for (std::size_t i = 0; i < c.numbers.size(); ++i)
            EXPECT_EQ(v[i].number, c.numbers[i]) << c.text;
    }
    ScanValue one;
    EXPECT_EQ(Scan("VOL: 1 2", "VOL: %d %d", &one, 1), 1) << "never writes past maxValues";
}

TEST(TextAfterBlank, CountsBlanksFromTheStart) {
    EXPECT_EQ(TextAfterBlank("a b c", 0), "a b c");
    EXPECT_EQ(TextAfterBlank("a b c", 1), "b c");
    EXPECT_EQ(TextAfterBlank("a b c", 2), "c");
    EXPECT_EQ(TextAfterBlank("a b c", 3), std::nullopt);
    EXPECT_EQ(TextAfterBlank("a  b", 2), "b");
    EXPECT_EQ(TextAfterBlank("a b ", 2), "");
    EXPECT_EQ(TextAfterBlank("a\tb c", 2), std::nullopt); // only character 32 counts
}

TEST(Disp, TextIsTheRestAfterTheSecondBlank) {
    struct Case {
        std::string msg;
        bool ok;
        int line;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"DISP: 1 Hello", true, 1, "Hello"},
        {"DISP: 1 Hello big world", true, 1, "Hello big world"},
        {"DISP: 1  Hello", true, 1, " Hello"},   // two blanks: one stays
        {"DISP: 2 a}b}", true, 2, "a}b}"},       // verbatim; the handler rewrites "}"
        {"DISP: 3 end\r\n", true, 3, "end\r\n"}, // nothing stripped
        {"DISP: 7 one\ntwo\nthree", true, 7, "one\ntwo\nthree"},
        {"DISP:1 Hello", true, 1, ""}, // text not locatable without its blank
        {"DISP: 1", false, 0, ""},
        {"DISP: 1 ", false, 0, ""},
        {"DISP: x Hello", false, 0, ""},
        {"DISP: 0 " + Repeat('x', 250), true, 0, Repeat('x', Width::DisplayText)},
        {"DISP: 7 " + Repeat('y', 250), true, 7, Repeat('y', Width::BlockText)},
    };
    for (const Case& c : cases) {
        const auto d = Read<InKeyword::Disp>(c.msg);
        ASSERT_EQ(d.has_value(), c.ok) << c.msg;
        if (!d) continue;
        EXPECT_EQ(d->line, c.line) << c.msg;
        EXPECT_EQ(d->text, c.text) << c.msg;
    }
}

TEST(TextKey, SlotAloneGivesAnEmptyLabel) {
    struct Case {
        std::string msg;
        bool ok;
        int slot;
        std::string label;
    };
    const std::vector<Case> cases = {
        {"TEXT_KEY: 1 Answer", true, 1, "Answer"},
        {"TEXT_KEY: 1 Enter name", true, 1, "Enter name"},
        {"TEXT_KEY: 2", true, 2, ""},
        {"TEXT_KEY: 3 ", true, 3, ""},
        {"TEXT_KEY: 2  ", true, 2, ""}, // no word after the slot
        {"TEXT_KEY: x", false, 0, ""},
        {"TEXT_KEY: 1 " + Repeat('L', 300), true, 1, Repeat('L', Width::DisplayText)},
    };
    for (const Case& c : cases) {
        const auto k = Read<InKeyword::TextKey>(c.msg);
        ASSERT_EQ(k.has_value(), c.ok) << c.msg;
        if (!k) continue;
        EXPECT_EQ(k->slot, c.slot) << c.msg;
        EXPECT_EQ(k->label, c.label) << c.msg;
    }
}

TEST(NumericMessages, NeedTheirValues) {
    EXPECT_EQ(Read<InKeyword::IconKey>("ICON_KEY: 1 3")->iconCode, 3);
    EXPECT_EQ(Read<InKeyword::IconKey>("ICON_KEY: 2 2")->slot, 2);
    EXPECT_FALSE(Read<InKeyword::IconKey>("ICON_KEY: 1"));

    EXPECT_EQ(Read<InKeyword::Clr>("CLR: 4"), 4);
    EXPECT_EQ(Read<InKeyword::Clr>("CLR:2"), 2); // no blank: read the same
    EXPECT_EQ(Read<InKeyword::Clr>("CLR:"), std::nullopt);
    EXPECT_EQ(Read<InKeyword::Clr>("CLR: a"), std::nullopt);

    EXPECT_EQ(Read<InKeyword::Icon>("ICON: 22 0")->icon, 22);
    EXPECT_EQ(Read<InKeyword::Icon>("ICON: 22 5")->pos, 5);
    EXPECT_FALSE(Read<InKeyword::Icon>("ICON: 22"));

    EXPECT_EQ(Read<InKeyword::ShowMute>("SHOW_MUTE: 0"), 0);
    EXPECT_EQ(Read<InKeyword::ShowMute>("SHOW_MUTE: 7"), 7);
    EXPECT_EQ(Read<InKeyword::ShowMute>("SHOW_MUTE:"), std::nullopt);

    EXPECT_EQ(Read<InKeyword::Login>("LOGIN: 0"), 0); // accepted like any other number
    EXPECT_EQ(Read<InKeyword::Login>("LOGIN: 1"), 1);
    EXPECT_EQ(Read<InKeyword::Login>("LOGIN: -3"), -3);
    EXPECT_EQ(Read<InKeyword::Login>("LOGIN:"), std::nullopt);
    EXPECT_EQ(Read<InKeyword::Login>("LOGIN: ok"), std::nullopt);
}

TEST(Vol, TextIsTheRestAfterTheThirdBlank) {
    const auto v = Read<InKeyword::Vol>("VOL: 1 65 Ring volume");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->deviceCode, 1);
    EXPECT_EQ(v->percent, 65);
    EXPECT_EQ(v->text, "Ring volume");
    EXPECT_EQ(Read<InKeyword::Vol>("VOL: 1 65")->text, "");
    EXPECT_EQ(Read<InKeyword::Vol>("VOL: 1 65  two")->text, " two");
    EXPECT_EQ(Read<InKeyword::Vol>("VOL: 1 65 " + Repeat('v', 260))->text.size(),
              Width::DisplayText);
    EXPECT_FALSE(Read<InKeyword::Vol>("VOL: 1 loud"));
    EXPECT_FALSE(Read<InKeyword::Vol>("VOL:"));
}

TEST(Linux, FragmentIsEverythingAfterTheKeywordAndBlank) {
    EXPECT_EQ(Read<InKeyword::Linux>("LINUX: ls -l"), "ls -l");
    EXPECT_EQ(Read<InKeyword::Linux>("LINUX:  two"), " two");
    EXPECT_EQ(Read<InKeyword::Linux>("LINUX: line\n"), "line\n");
    EXPECT_EQ(Read<InKeyword::Linux>("LINUX: "), "");
    EXPECT_EQ(Read<InKeyword::Linux>("LINUX:"), "");
}

TEST(Pbook, ReadsItemsUntilTheFirstUnusableOne) {
    struct Case {
        std::string name, msg;
        int selected;
        bool shortEmpty;
        std::vector<PbookItem> items;
    };
    const std::vector<Case> cases = {
        {"empty list of 10 characters", "PBOOK: -1 ", -1, true, {}},
        {"shorter still", "PBOOK: -1", -1, true, {}},
        {"two items",
         "PBOOK: 2 1 555 Ann Lee;2 777 Bo;",
         2,
         false,
         {{1, "555", "Ann Lee"}, {2, "777", "Bo"}}},
        {"item after one blank",
         "PBOOK: 0 1 555 Ann; 2 777 Bo;",
         0,
         false,
         {{1, "555", "Ann"}, {2, "777", "Bo"}}},
        {"continues the numbering",
         "PBOOK: -1 51 555 Ann;52 777 Bo;",
         -1,
         false,
         {{51, "555", "Ann"}, {52, "777", "Bo"}}},
        {"stops at 1000",
         "PBOOK: -1 998 1 A;999 2 B;1000 3 C;5 4 D;",
         -1,
         false,
         {{998, "1", "A"}, {999, "2", "B"}}},
        {"stops at 0", "PBOOK: -1 1 1 A;0 2 B;3 3 C;", -1, false, {{1, "1", "A"}}},
        {"stops at a negative number", "PBOOK: -1 1 1 A;-2 2 B;", -1, false, {{1, "1", "A"}}},
        {"number without its blank", "PBOOK: -1 1 1 A;2 555", -1, false, {{1, "1", "A"}}},
        {"name without its ;", "PBOOK: -1 1 1 A;2 555 Bo", -1, false, {{1, "1", "A"}}},
        {"two blanks in a name stay",
         "PBOOK: -1 1 555 Ann  Lee;",
         -1,
         false,
         {{1, "555", "Ann  Lee"}}},
        {"empty number", "PBOOK: -1 1  Ann;", -1, false, {{1, "", "Ann"}}},
        {"longer texts are cut",
         "PBOOK: -1 1 " + Repeat('5', 30) + " " + Repeat('n', 50) + ";",
         -1,
         false,
         {{1, Repeat('5', Width::PbookNumber), Repeat('n', Width::PbookName)}}},
        {"no blank after SelectedItem", "PBOOK: -1xxxxxxxxx", -1, false, {}},
        {"11 characters, no items", "PBOOK: 100 ", 100, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PbookMsg m = Read<InKeyword::Pbook>(c.msg).value();
        EXPECT_EQ(m.selectedItem, c.selected);
        EXPECT_EQ(m.shortEmpty, c.shortEmpty);
        ASSERT_EQ(m.items.size(), c.items.size());
        for (std::size_t i = 0; i < c.items.size(); ++i) {
            EXPECT_EQ(m.items[i].index, c.items[i].index);
            EXPECT_EQ(m.items[i].number, c.items[i].number);
            EXPECT_EQ(m.items[i].name, c.items[i].name);
        }
    }
}

TEST(Calls, ReadsSevenWordItemsAndRestoresBlanks) {
    struct Case {
        std::string name, msg;
        bool shortEmpty;
        std::vector<CallItem> items;
    };
    const std::vector<Case> cases = {
        {"empty list of 10 characters", "CALLS: -1 ", true, {}},
        {"two items",
         "CALLS: -1 1 0 0301555 Ann^Lee 2024-05-01^Mon 10:15 0:42;2 2 555 Bo 2024-05-02 11:00 "
         "0:00;",
         false,
         {{1, 0, "0301555", "Ann Lee", "2024-05-01 Mon", "10:15", "0:42"},
          {2, 2, "555", "Bo", "2024-05-02", "11:00", "0:00"}}},
        {"third caret of a name and second of a date stay",
         "CALLS: -1 1 1 5^5 A^B^C^D 1^2^3 1^2 0:01;",
         false,
         {{1, 1, "5^5", "A B C^D", "1 2^3", "1^2", "0:01"}}},
        {"next item directly after the ;",
         "CALLS: -1 1 0 5 A d t 0:42;2 1 6 B d t 0:43;",
         false,
         {{1, 0, "5", "A", "d", "t", "0:42"}, {2, 1, "6", "B", "d", "t", "0:43"}}},
        {"next item after several blanks",
         "CALLS: -1 1 0 5 A d t 1;   2 1 6 B d t 2;",
         false,
         {{1, 0, "5", "A", "d", "t", "1"}, {2, 1, "6", "B", "d", "t", "2"}}},
        {"continues the numbering",
         "CALLS: -1 101 0 5 A d t 1;",
         false,
         {{101, 0, "5", "A", "d", "t", "1"}}},
        {"fewer than seven fields stop",
         "CALLS: -1 1 0 5 A d t 1;2 0 6 B d t;",
         false,
         {{1, 0, "5", "A", "d", "t", "1"}}},
        {"stops at 3000",
         "CALLS: -1 2999 0 5 A d t 1;3000 0 6 B d t 2;",
         false,
         {{2999, 0, "5", "A", "d", "t", "1"}}},
        {"stops at 0", "CALLS: -1 0 0 5 A d t 1;1 0 6 B d t 2;", false, {}},
        {"longer texts are cut",
         "CALLS: -1 1 0 " + Repeat('5', 20) + " " + Repeat('n', 40) + " " + Repeat('d', 25) + " " +
             Repeat('t', 25) + " " + Repeat('u', 25) + ";",
         false,
         {{1, 0, Repeat('5', Width::CallNumber), Repeat('n', Width::CallName),
           Repeat('d', Width::CallDate), Repeat('t', Width::CallTime),
           Repeat('u', Width::CallDuration)}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CallsMsg m = Read<InKeyword::Calls>(c.msg).value();
        EXPECT_EQ(m.selectedItem, -1);
        EXPECT_EQ(m.shortEmpty, c.shortEmpty);
        ASSERT_EQ(m.items.size(), c.items.size());
        for (std::size_t i = 0; i < c.items.size(); ++i) {
            const CallItem& got = m.items[i];
            const CallItem& want = c.items[i];
            EXPECT_EQ(got.index, want.index);
            EXPECT_EQ(got.callType, want.callType);
            EXPECT_EQ(got.number, want.number);
            EXPECT_EQ(got.name, want.name);
            EXPECT_EQ(got.date, want.date);
            EXPECT_EQ(got.time, want.time);
            EXPECT_EQ(got.duration, want.duration);
        }
    }
}

TEST(Menu, AppendsTextsAndDropsAnItemWithoutItsSemicolon) {
    struct Case {
        std::string msg;
        int selected;
        std::vector<std::string> items;
    };
    const std::vector<Case> cases = {
        {"MENU: 0 1 Call;2 Phone book;3 Exit;", 0, {"Call", "Phone book", "Exit"}},
        {"MENU: -1 1 A;2 B;3 C", -1, {"A", "B"}},
        {"MENU: 1 7 A;9 B;", 1, {"A", "B"}}, // the device's numbering is not used
        {"MENU: 0 1 A; 2 B;", 0, {"A", "B"}},
        {"MENU: 0 1 " + Repeat('m', 60) + ";", 0, {Repeat('m', Width::MenuText)}},
        {"MENU: -1 ", -1, {}},
        {"MENU: 3", 3, {}},
    };
    for (const Case& c : cases) {
        const MenuMsg m = Read<InKeyword::Menu>(c.msg).value();
        EXPECT_EQ(m.selectedItem, c.selected) << c.msg;
        EXPECT_EQ(m.items, c.items) << c.msg;
    }
}

TEST(InputRequest, FourFieldsEndAtSemicolonWidthOrEnd) {
    const std::string a39 = Repeat('a', 39);
    struct Case {
        std::string msg;
        InputRequest want;
    };
    const std::vector<Case> cases = {
        {"INPUT: 1 Enter PIN;OK;Cancel;1234", {"Enter PIN", "OK", "Cancel", "1234"}},
        {"INPUT: 1 Prompt;OK;Cancel;", {"Prompt", "OK", "Cancel", ""}},
        {"INPUT: 1 Prompt;OK", {"Prompt", "OK", "", ""}},
        {"INPUT: 1 P;A;B;init;extra", {"P", "A", "B", "init"}},
        {"INPUT: token Prompt;A;B;C", {"Prompt", "A", "B", "C"}},
        {"INPUT: 1 " + a39 + ";OK;Cancel;x", {a39, "OK", "Cancel", "x"}},
        // Cut at 39: the 40th character is skipped as if it were the ";".
        {"INPUT: 1 " + a39 + "bcdef;OK;Cancel;x", {a39, "cdef", "OK", "Cancel"}},
        {"INPUT: 1 P;A;B;" + Repeat('i', 50), {"P", "A", "B", Repeat('i', 39)}},
        {"INPUT: 1", {}},
        {"INPUT: 1 ", {}},
        {"INPUT:", {}},
    };
    for (const Case& c : cases) {
        const InputRequest r = Read<InKeyword::Input>(c.msg).value();
        EXPECT_EQ(r.prompt, c.want.prompt) << c.msg;
        EXPECT_EQ(r.firstCaption, c.want.firstCaption) << c.msg;
        EXPECT_EQ(r.secondCaption, c.want.secondCaption) << c.msg;
        EXPECT_EQ(r.initialText, c.want.initialText) << c.msg;
    }
}

TEST(DiscoveryReply, ReadsBothFormsAndLocatesTheName) {
    const auto longForm = Read<InKeyword::Orvn>("ORVN: T1 192.168.1.20 A0B1C2 0 1 Front Desk");
    ASSERT_TRUE(longForm);
    EXPECT_EQ(longForm->type, "T1");
    EXPECT_EQ(longForm->ip, "192.168.1.20");
    EXPECT_EQ(longForm->id, "A0B1C2");
    EXPECT_EQ(longForm->busy, 0);
    EXPECT_EQ(longForm->passwordRequired, 1);
    EXPECT_EQ(longForm->name, "Front Desk");
    EXPECT_FALSE(longForm->initOnly);

    const auto shortForm = Read<InKeyword::Orvn>("ORVN: T1 192.168.1.21 A0B1C3 1 Lobby phone");
    ASSERT_TRUE(shortForm);
    EXPECT_EQ(shortForm->busy, 1);
    EXPECT_EQ(shortForm->passwordRequired, 0);
    EXPECT_EQ(shortForm->name, "Lobby phone");
    EXPECT_TRUE(shortForm->initOnly);

    EXPECT_FALSE(Read<InKeyword::Orvn>("ORVN: T1 192.168.1.22 A0B1C4"));   // three fields
    EXPECT_FALSE(Read<InKeyword::Orvn>("ORVN: T1 192.168.1.22 A0B1C4 0")); // no name
    EXPECT_FALSE(Read<InKeyword::Orvn>("ORVN: T1 192.168.1.22 A0B1C4 x Desk"));

    // Fields separated by tabs: the blanks run out, so the name is the word read.
    const auto tabs = Read<InKeyword::Orvn>("ORVN: T1\t10.0.0.2\tID\t0\t1\tDesk two");
    ASSERT_TRUE(tabs);
    EXPECT_EQ(tabs->name, "Desk");
    EXPECT_EQ(tabs->ip, "10.0.0.2");

    const auto wide = Read<InKeyword::Orvn>("ORVN: " + Repeat('T', 12) + " " + Repeat('1', 20) +
                                            " " + Repeat('I', 40) + " 0 0 " + Repeat('N', 40));
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->type, Repeat('T', Width::DevType));
    EXPECT_EQ(wide->ip, Repeat('1', Width::DevIP));
    EXPECT_EQ(wide->id, Repeat('I', Width::DevID));
    EXPECT_EQ(wide->name, Repeat('N', Width::DevName));
}

TEST(DialerCommands, AreFormattedAsTheDeviceExpects) {
    const std::string mac = "00:1A:2B:3C:4D:5E";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {Write<OutKeyword::Discovery>(mac), "ORVN: 00:1A:2B:3C:4D:5E\n"},
        {Write<OutKeyword::Login>(mac, "secret"), "LOGIN: 00:1A:2B:3C:4D:5E secret"},
        {Write<OutKeyword::Login>(mac, ""), "LOGIN: 00:1A:2B:3C:4D:5E "},
        {Write<OutKeyword::Login>(mac), "LOGIN: 00:1A:2B:3C:4D:5E"},
        {Write<OutKeyword::Key>("5"), "KEY: 5"},
        {Write<OutKeyword::Key>("10"), "KEY: 10"},
        {Write<OutKeyword::Key>(KeyCode::Send), "KEY: 19"},
        {Write<OutKeyword::Key>(KeyCode::Dialpad), "KEY: 25"},
        {Write<OutKeyword::Dial>("0301555"), "DIAL: 0301555"},
        {Write<OutKeyword::Linux>("ls -l /tmp"), "LINUX: ls -l /tmp"},
        {Write<OutKeyword::Volume>(65), "VOL: 65"},
        {Write<OutKeyword::Select>(0), "SELECT: 0"},
        {Write<OutKeyword::Add>("555", "Ann Lee"), "ADD: 555 Ann Lee"},
        {Write<OutKeyword::Add>("", ""), "ADD:  "},
        {Write<OutKeyword::Mod>(3, "555", "Bo"), "MOD: 3 555 Bo"},
        {Write<OutKeyword::InputReply>(1, "1234"), "INPUT: 1 1234"},
        {Write<OutKeyword::InputReply>(1, ""), "INPUT: 1 "},
        {Write<OutKeyword::InputReply>(2, Repeat('t', 45)),
         "INPUT: 2 " + Repeat('t', kMaxInputReplyText)},
    };
    for (const auto& [got, want] : cases)
        EXPECT_EQ(got, want);
    EXPECT_LE(Write<OutKeyword::InputReply>(2, Repeat('t', 100)).size(), 39u)
        << "fits its 40-byte area";
}

TEST(PrivateUpload, RecordsFollowThePrefixDirectly) {
    EXPECT_EQ(Write<OutKeyword::PrivateUpload>(std::vector<Contact>{}),
              std::vector<std::string>{"PBOOK: 2 "});
    EXPECT_EQ(
        Write<OutKeyword::PrivateUpload>(std::vector<Contact>{{"555", "Ann Lee"}, {"777", "Bo"}}),
        std::vector<std::string>{"PBOOK: 2 1 555 Ann Lee;2 777 Bo;"});
    EXPECT_EQ(
        Write<OutKeyword::PrivateUpload>(std::vector<Contact>{{Repeat('5', 25), Repeat('n', 40)}})
            .front(),
        "PBOOK: 2 1 " + Repeat('5', Width::PbookNumber) + " " + Repeat('n', Width::PbookName) +
            ";");
}

TEST(PrivateUpload, ChunkClosesAfterTheRecordThatPassesTheLimit) {
    std::vector<Contact> contacts;
    for (int k = 0; k < 200; ++k)
        contacts.push_back({"0301555" + std::to_string(k), "Name " + std::to_string(k)});
    const std::vector<std::string> chunks = Write<OutKeyword::PrivateUpload>(contacts);
    ASSERT_GE(chunks.size(), 2u);
    std::size_t position = 1;
    for (std::size_t c = 0; c < chunks.size(); ++c) {
        const std::string& chunk = chunks[c];
        SCOPED_TRACE("chunk " + std::to_string(c));
        ASSERT_EQ(chunk.rfind("PBOOK: 2 ", 0), 0u);
        // The chunk starts with the record after the previous chunk's last one.
        EXPECT_EQ(chunk.substr(9, chunk.find(' ', 9) - 9), std::to_string(position));
        const std::size_t records =
            static_cast<std::size_t>(std::count(chunk.begin(), chunk.end(), ';'));
        position += records;
        if (c + 1 < chunks.size()) {
            EXPECT_GT(chunk.size(), kPrivateUploadChunk);
            // Without its last record the chunk was still within the limit.
            const std::size_t lastStart = chunk.rfind(';', chunk.size() - 2) + 1;
            EXPECT_LE(lastStart, kPrivateUploadChunk);
        }
        EXPECT_LE(chunk.size(), 1007u);
    }
    EXPECT_EQ(position, contacts.size() + 1);
}
