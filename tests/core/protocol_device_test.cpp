// The device's side of the command catalogue, and both directions end to end: what one side
// formats, the other reads back unchanged.
#include "Protocol.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using namespace orvane::proto;

namespace {

std::string Repeat(char c, std::size_t n) {
    return std::string(n, c);
}

const std::string kMac = "00:1A:2B:3C:4D:5E";

} // namespace

TEST(DialerCommandParse, RecognisesEveryDialerCommand) {
    struct Case {
        std::string msg;
        OutKeyword kind;
        int number = 0;
        std::string mac = {}, text = {}, contactNumber = {}, contactName = {};
        bool hasPassword = false;
    };
    const std::vector<Case> cases = {
        {"ORVN: " + kMac + "\n", OutKeyword::Discovery, 0, kMac},
        {"ORVN: " + kMac, OutKeyword::Discovery, 0, kMac},
        {"ORVN: T1 10.0.0.2 ID 0 Desk", OutKeyword::None}, // a device's reply
        {"LOGIN: " + kMac + " secret", OutKeyword::Login, 0, kMac, "secret", "", "", true},
        {"LOGIN: " + kMac + " ", OutKeyword::Login, 0, kMac, "", "", "", true},
        {"LOGIN: " + kMac, OutKeyword::Login, 0, kMac, "", "", "", false},
        {"LOGIN: ", OutKeyword::None},
        {"INIT:", OutKeyword::Init},
        {"ALIVE:", OutKeyword::Alive},
        {"STOP:", OutKeyword::Stop},
        {"DISP:", OutKeyword::DispRequest},
        {"DISP: 1 Hello", OutKeyword::None}, // a device's display line
        {"KEY: 5", OutKeyword::Key, 5},
        {"KEY: 19", OutKeyword::Key, 19},
        {"KEY: x", OutKeyword::None},
        {"KEY: ", OutKeyword::None},
        {"DIAL: 0301555", OutKeyword::Dial, 0, "", "0301555"},
        {"DIAL: ", OutKeyword::None},
        {"LINUX: ls -l /tmp", OutKeyword::Linux, 0, "", "ls -l /tmp"},
        {"VOL: 65", OutKeyword::Volume, 65},
        {"VOL: 1 65 Ring", OutKeyword::None}, // a device's volume report
        {"SELECT: 0", OutKeyword::Select, 0},
        {"SELECT: 12", OutKeyword::Select, 12},
        {"ADD: 555 Ann Lee", OutKeyword::Add, 0, "", "", "555", "Ann Lee"},
        {"ADD:  ", OutKeyword::Add, 0, "", "", "", ""},
        {"ADD: 555 ", OutKeyword::Add, 0, "", "", "555", ""},
        {"ADD: 555", OutKeyword::None},
        {"MOD: 3 555 Ann Lee", OutKeyword::Mod, 3, "", "", "555", "Ann Lee"},
        {"MOD: 3 555 ", OutKeyword::Mod, 3, "", "", "555", ""},
        {"MOD: 3 555", OutKeyword::None},
        {"MOD: x 555 Bo", OutKeyword::None},
        {"PBOOK: 1", OutKeyword::PbookMode, 1},
        {"PBOOK: 2", OutKeyword::PbookMode, 2},
        {"PBOOK: 3", OutKeyword::None},
        {"PBOOK: 2 ", OutKeyword::PrivateUpload},
        {"INPUT: 1 1234", OutKeyword::InputReply, 1, "", "1234"},
        {"INPUT: 2 ", OutKeyword::InputReply, 2, "", ""},
        {"INPUT: 1 two words", OutKeyword::InputReply, 1, "", "two words"},
        {"INPUT: 1", OutKeyword::None},
        {"INPUT: x y", OutKeyword::None},
        {"", OutKeyword::None},
        {"init:", OutKeyword::None},
        {" INIT:", OutKeyword::None},
        {"INIT: now", OutKeyword::None},
        {std::string("\x01\xff\x80", 3), OutKeyword::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE('"' + c.msg + '"');
        const DialerCommand d = ReadDialerCommand(c.msg).value_or(DialerCommand{});
        EXPECT_EQ(d.kind, c.kind);
        if (d.kind == OutKeyword::None) continue;
        EXPECT_EQ(d.number, c.number);
        EXPECT_EQ(d.mac, c.mac);
        EXPECT_EQ(d.text, c.text);
        EXPECT_EQ(d.contactNumber, c.contactNumber);
        EXPECT_EQ(d.contactName, c.contactName);
        EXPECT_EQ(d.hasPassword, c.hasPassword);
    }
}

TEST(DialerCommandParse, PrivateUploadKeepsItemsUpToTheFirstBrokenOne) {
    const DialerCommand d = ReadDialerCommand("PBOOK: 2 1 555 Ann Lee;2 777 Bo;3 888").value();
    ASSERT_EQ(d.kind, OutKeyword::PrivateUpload);
    ASSERT_EQ(d.upload.size(), 2u);
    EXPECT_EQ(d.upload[0].index, 1);
    EXPECT_EQ(d.upload[0].number, "555");
    EXPECT_EQ(d.upload[0].name, "Ann Lee");
    EXPECT_EQ(d.upload[1].name, "Bo");
}

TEST(DeviceMessages, ReadBackByTheDialer) {
    const auto disp = Read<InKeyword::Disp>(Write<InKeyword::Disp>(0, "Anna  Berger calling"));
    ASSERT_TRUE(disp);
    EXPECT_EQ(disp->line, 0);
    EXPECT_EQ(disp->text, "Anna  Berger calling");
    EXPECT_EQ(Read<InKeyword::Disp>(Write<InKeyword::Disp>(7, "one\ntwo\nthree"))->text,
              "one\ntwo\nthree");

    const auto key = Read<InKeyword::TextKey>(Write<InKeyword::TextKey>(2, "Hold on"));
    ASSERT_TRUE(key);
    EXPECT_EQ(key->slot, 2);
    EXPECT_EQ(key->label, "Hold on");
    EXPECT_EQ(Read<InKeyword::TextKey>(Write<InKeyword::TextKey>(3, ""))->label, "");

    EXPECT_EQ(Read<InKeyword::IconKey>(Write<InKeyword::IconKey>(3, 0))->slot, 3);
    EXPECT_EQ(Read<InKeyword::Clr>(Write<InKeyword::Clr>(4)), 4);
    EXPECT_EQ(Read<InKeyword::Icon>(Write<InKeyword::Icon>(47, 2))->icon, 47);
    const auto vol = Read<InKeyword::Vol>(Write<InKeyword::Vol>(1, 80, "Ring volume"));
    ASSERT_TRUE(vol);
    EXPECT_EQ(vol->percent, 80);
    EXPECT_EQ(vol->text, "Ring volume");
    EXPECT_EQ(Read<InKeyword::ShowMute>(Write<InKeyword::ShowMute>(true)), 1);
    EXPECT_EQ(Read<InKeyword::ShowMute>(Write<InKeyword::ShowMute>(false)), 0);
    EXPECT_EQ(Read<InKeyword::Login>(Write<InKeyword::Login>(0)), 0);
    EXPECT_EQ(Read<InKeyword::Linux>(Write<InKeyword::Linux>("total 4\n")), "total 4\n");

    for (const std::string& kw :
         {std::string(Write<InKeyword::HookOn>()), std::string(Write<InKeyword::HookOff>()),
          std::string(Write<InKeyword::LinuxStart>()), std::string(Write<InKeyword::LinuxEnd>()),
          std::string(Write<InKeyword::UpdatePcList>()), std::string(Write<InKeyword::HideList>()),
          std::string("SHOW_LIST:"), std::string("SHOW_NAV:"),
          std::string(Write<InKeyword::ShowDialpad>())})
        EXPECT_STREQ(KeywordText(RecognizeIncoming(kw)), kw.c_str());

    const InputRequest req{"Enter the PIN", "OK", "Cancel", "1234"};
    const InputRequest got = Read<InKeyword::Input>(Write<InKeyword::Input>(req)).value();
    EXPECT_EQ(got.prompt, req.prompt);
    EXPECT_EQ(got.firstCaption, req.firstCaption);
    EXPECT_EQ(got.secondCaption, req.secondCaption);
    EXPECT_EQ(got.initialText, req.initialText);

    // A full-width field and a ";" inside a field do not shift the fields after them.
    const InputRequest edge{Repeat('p', 50), "Yes;No", "", "x"};
    const InputRequest edgeGot = Read<InKeyword::Input>(Write<InKeyword::Input>(edge)).value();
    EXPECT_EQ(edgeGot.prompt, Repeat('p', 39));
    EXPECT_EQ(edgeGot.firstCaption, "Yes,No");
    EXPECT_EQ(edgeGot.secondCaption, "");
    EXPECT_EQ(edgeGot.initialText, "x");
}

TEST(DeviceMessages, DiscoveryRepliesReadBackInBothForms) {
    for (bool initOnly : {false, true}) {
        DiscoveryReply r;
        r.type = "T1";
        r.ip = "192.168.1.20";
        r.id = "A0B1C2D3";
        r.busy = 1;
        r.passwordRequired = initOnly ? 0 : 1;
        r.initOnly = initOnly;
        r.name = "Front  Desk 2";
        const std::string msg = Write<InKeyword::Orvn>(r);
        ASSERT_EQ(RecognizeIncoming(msg), InKeyword::Orvn) << msg;
        const auto got = Read<InKeyword::Orvn>(msg);
        ASSERT_TRUE(got) << msg;
        EXPECT_EQ(got->type, r.type);
        EXPECT_EQ(got->ip, r.ip);
        EXPECT_EQ(got->id, r.id);
        EXPECT_EQ(got->busy, r.busy);
        EXPECT_EQ(got->passwordRequired, r.passwordRequired);
        EXPECT_EQ(got->initOnly, initOnly);
        EXPECT_EQ(got->name, r.name);
    }
}

TEST(DeviceMessages, MenuReadsBackWithCutAndSanitisedTexts) {
    const std::vector<std::string> items = {"Call history", "Phone; book", Repeat('m', 45)};
    const MenuMsg m = Read<InKeyword::Menu>(Write<InKeyword::Menu>(1, items)).value();
    EXPECT_EQ(m.selectedItem, 1);
    EXPECT_EQ(m.items, (std::vector<std::string>{"Call history", "Phone, book", Repeat('m', 39)}));
}

TEST(PhonebookDatagrams, FullPhonebookSplitsAndReadsBack) {
    std::vector<Contact> contacts;
    for (int k = 0; k < 999; ++k)
        contacts.push_back(
            {"0301" + std::to_string(555000 + k), "Contact " + std::to_string(k) + " Lastname"});
    const std::vector<std::string> datagrams = Write<InKeyword::Pbook>(4, contacts);
    ASSERT_GT(datagrams.size(), 1u);
    std::vector<PbookItem> all;
    for (const std::string& d : datagrams) {
        EXPECT_LE(d.size(), kMaxReceiveLength);
        ASSERT_EQ(RecognizeIncoming(d), InKeyword::Pbook);
        const PbookMsg m = Read<InKeyword::Pbook>(d).value();
        EXPECT_EQ(m.selectedItem, 4);
        ASSERT_FALSE(m.items.empty());
        // Each datagram continues where the one before ended.
        EXPECT_EQ(m.items.front().index, static_cast<int>(all.size()) + 1);
        all.insert(all.end(), m.items.begin(), m.items.end());
    }
    ASSERT_EQ(all.size(), contacts.size());
    for (std::size_t k = 0; k < all.size(); ++k) {
        EXPECT_EQ(all[k].index, static_cast<int>(k) + 1);
        EXPECT_EQ(all[k].number, contacts[k].number);
        EXPECT_EQ(all[k].name, contacts[k].name);
    }
}

TEST(PhonebookDatagrams, EdgesOfTheFormat) {
    EXPECT_EQ(Write<InKeyword::Pbook>(-1, std::vector<Contact>{}),
              std::vector<std::string>{"PBOOK: -1 "});
    EXPECT_TRUE(Read<InKeyword::Pbook>(Write<InKeyword::Pbook>(-1, std::vector<Contact>{}).front())
                    .value()
                    .shortEmpty);

    // A thousandth contact has no place in the dialer's store: it does not travel.
    const std::vector<Contact> many(1000, Contact{"555", "A"});
    std::size_t sent = 0;
    for (const std::string& d : Write<InKeyword::Pbook>(-1, many))
        sent += Read<InKeyword::Pbook>(d).value().items.size();
    EXPECT_EQ(sent, 999u);

    // Texts that would break the item travel in a form the dialer can read.
    const PbookMsg m =
        Read<InKeyword::Pbook>(
            Write<InKeyword::Pbook>(-1, std::vector<Contact>{{"030 1555", "Ann; Lee"},
                                                             {Repeat('5', 30), Repeat('n', 40)},
                                                             {"", ""}})
                .front())
            .value();
    ASSERT_EQ(m.items.size(), 3u);
    EXPECT_EQ(m.items[0].number, "0301555");
    EXPECT_EQ(m.items[0].name, "Ann, Lee");
    EXPECT_EQ(m.items[1].number, Repeat('5', Width::PbookNumber));
    EXPECT_EQ(m.items[1].name, Repeat('n', Width::PbookName));
    EXPECT_EQ(m.items[2].number, "");
    EXPECT_EQ(m.items[2].name, "");

    // A small datagram size still never splits an item.
    std::vector<Contact> ten;
    for (int k = 0; k < 10; ++k)
        ten.push_back({"555" + std::to_string(k), "Name"});
    const auto small = Write<InKeyword::Pbook>(0, ten, 40);
    std::size_t items = 0;
    for (const std::string& d : small) {
        EXPECT_LE(d.size(), 40u) << d;
        items += Read<InKeyword::Pbook>(d).value().items.size();
    }
    EXPECT_EQ(items, 10u);
}

TEST(CallLogDatagrams, FullCallLogSplitsAndReadsBack) {
    std::vector<CallItem> calls;
    for (int k = 0; k < 2999; ++k) {
        CallItem c;
        c.callType = k % 3;
        c.number = "0301" + std::to_string(555000 + k);
        c.name = k % 2 ? "Ann Marie Lee" : "Bo";
        c.date = "May " + std::to_string(1 + k % 28);
        c.time = "10:" + std::to_string(10 + k % 50);
        c.duration = "0:" + std::to_string(10 + k % 50);
        calls.push_back(c);
    }
    const std::vector<std::string> datagrams = Write<InKeyword::Calls>(-1, calls);
    ASSERT_GT(datagrams.size(), 1u);
    std::vector<CallItem> all;
    for (const std::string& d : datagrams) {
        EXPECT_LE(d.size(), kMaxReceiveLength);
        ASSERT_EQ(RecognizeIncoming(d), InKeyword::Calls);
        const CallsMsg m = Read<InKeyword::Calls>(d).value();
        ASSERT_FALSE(m.items.empty());
        EXPECT_EQ(m.items.front().index, static_cast<int>(all.size()) + 1);
        all.insert(all.end(), m.items.begin(), m.items.end());
    }
    ASSERT_EQ(all.size(), calls.size());
    for (std::size_t k = 0; k < all.size(); ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(all[k].index, static_cast<int>(k) + 1);
        EXPECT_EQ(all[k].callType, calls[k].callType);
        EXPECT_EQ(all[k].number, calls[k].number);
        EXPECT_EQ(all[k].name, calls[k].name);
        EXPECT_EQ(all[k].date, calls[k].date);
        EXPECT_EQ(all[k].time, calls[k].time);
        EXPECT_EQ(all[k].duration, calls[k].duration);
        if (testing::Test::HasFailure()) break;
    }
}

TEST(CallLogDatagrams, EmptyAndAwkwardFieldsStayReadable) {
    EXPECT_TRUE(Read<InKeyword::Calls>(Write<InKeyword::Calls>(-1, std::vector<CallItem>{}).front())
                    .value()
                    .shortEmpty);
    CallItem odd;
    odd.callType = 1;
    odd.number = "030 555";
    odd.name = "";
    odd.date = "";
    odd.time = "";
    odd.duration = "1;2";
    CallItem next;
    next.number = "1";
    next.name = "B";
    next.date = "d";
    next.time = "t";
    next.duration = "u";
    const CallsMsg m = Read<InKeyword::Calls>(
                           Write<InKeyword::Calls>(-1, std::vector<CallItem>{odd, next}).front())
                           .value();
    ASSERT_EQ(m.items.size(), 2u); // the next item is not lost
    EXPECT_EQ(m.items[0].number, "030555");
    EXPECT_EQ(m.items[0].name, " ");
    EXPECT_EQ(m.items[0].date, " ");
    EXPECT_EQ(m.items[0].time, "-");
    EXPECT_EQ(m.items[0].duration, "1,2");
    EXPECT_EQ(m.items[1].name, "B");
}

TEST(DialerCommandRoundTrip, DeviceReadsWhatTheDialerFormats) {
    DialerCommand d = ReadDialerCommand(Write<OutKeyword::Discovery>(kMac)).value();
    EXPECT_EQ(d.kind, OutKeyword::Discovery);
    EXPECT_EQ(d.mac, kMac);

    d = ReadDialerCommand(Write<OutKeyword::Login>(kMac, "pass word")).value();
    EXPECT_EQ(d.kind, OutKeyword::Login);
    EXPECT_TRUE(d.hasPassword);
    EXPECT_EQ(d.text, "pass word");
    d = ReadDialerCommand(Write<OutKeyword::Login>(kMac, "")).value();
    EXPECT_TRUE(d.hasPassword);
    EXPECT_EQ(d.text, "");
    d = ReadDialerCommand(Write<OutKeyword::Login>(kMac)).value();
    EXPECT_EQ(d.kind, OutKeyword::Login);
    EXPECT_FALSE(d.hasPassword);
    EXPECT_EQ(d.mac, kMac);

    EXPECT_EQ(ReadDialerCommand(Write<OutKeyword::Key>("11")).value().number, 11);
    EXPECT_EQ(ReadDialerCommand(Write<OutKeyword::Key>(KeyCode::CallLogs)).value().number, 24);
    EXPECT_EQ(ReadDialerCommand(Write<OutKeyword::Dial>("+4930555")).value().text, "+4930555");
    EXPECT_EQ(ReadDialerCommand(Write<OutKeyword::Linux>("cat /proc/uptime")).value().text,
              "cat /proc/uptime");
    EXPECT_EQ(ReadDialerCommand(Write<OutKeyword::Volume>(0)).value().kind, OutKeyword::Volume);
    EXPECT_EQ(ReadDialerCommand(Write<OutKeyword::Select>(998)).value().number, 998);
    d = ReadDialerCommand(Write<OutKeyword::Add>("555", "Ann  Lee")).value();
    EXPECT_EQ(d.contactNumber, "555");
    EXPECT_EQ(d.contactName, "Ann  Lee");
    d = ReadDialerCommand(Write<OutKeyword::Mod>(7, "", "")).value();
    EXPECT_EQ(d.kind, OutKeyword::Mod);
    EXPECT_EQ(d.number, 7);
    EXPECT_EQ(d.contactNumber, "");
    d = ReadDialerCommand(Write<OutKeyword::InputReply>(2, "")).value();
    EXPECT_EQ(d.kind, OutKeyword::InputReply);
    EXPECT_EQ(d.number, 2);
    EXPECT_EQ(ReadDialerCommand(Write<OutKeyword::Init>()).value().kind, OutKeyword::Init);
    EXPECT_EQ(ReadDialerCommand(Write<OutKeyword::Alive>()).value().kind, OutKeyword::Alive);
    EXPECT_EQ(ReadDialerCommand(Write<OutKeyword::Stop>()).value().kind, OutKeyword::Stop);
    EXPECT_EQ(ReadDialerCommand(Write<OutKeyword::DispRequest>()).value().kind,
              OutKeyword::DispRequest);
    EXPECT_EQ(ReadDialerCommand(Write<OutKeyword::PbookMode>(PbookMode::Own)).value().number, 1);
    EXPECT_EQ(ReadDialerCommand(Write<OutKeyword::PbookMode>(PbookMode::Private)).value().number,
              2);
}

TEST(DialerCommandNames, EveryCommandIsNamedByTheKeywordItStartsWith) {
    struct Case {
        std::string msg;
        OutKeyword kind;
        const char* name; // as logs and traces show it
    };
    const std::vector<Case> cases = {
        {Write<OutKeyword::Discovery>(kMac), OutKeyword::Discovery, "ORVN:"},
        {Write<OutKeyword::Login>(kMac, "pw"), OutKeyword::Login, "LOGIN:"},
        {Write<OutKeyword::Init>(), OutKeyword::Init, "INIT:"},
        {Write<OutKeyword::Alive>(), OutKeyword::Alive, "ALIVE:"},
        {Write<OutKeyword::Stop>(), OutKeyword::Stop, "STOP:"},
        {Write<OutKeyword::Key>(KeyCode::Send), OutKeyword::Key, "KEY:"},
        {Write<OutKeyword::Dial>("555"), OutKeyword::Dial, "DIAL:"},
        {Write<OutKeyword::Linux>("ls"), OutKeyword::Linux, "LINUX:"},
        {Write<OutKeyword::DispRequest>(), OutKeyword::DispRequest, "DISP:"},
        {Write<OutKeyword::Volume>(40), OutKeyword::Volume, "VOL:"},
        {Write<OutKeyword::Select>(3), OutKeyword::Select, "SELECT:"},
        {Write<OutKeyword::Add>("555", "Ann"), OutKeyword::Add, "ADD:"},
        {Write<OutKeyword::Mod>(2, "555", "Ann"), OutKeyword::Mod, "MOD:"},
        {Write<OutKeyword::PbookMode>(PbookMode::Private), OutKeyword::PbookMode, "PBOOK:"},
        {std::string(Outgoing<OutKeyword::PrivateUpload>::kPrefix) + "1 555 Ann;",
         OutKeyword::PrivateUpload, "PBOOK: 2 upload"},
        {Write<OutKeyword::InputReply>(1, "x"), OutKeyword::InputReply, "INPUT:"},
        {"HELLO: 1", OutKeyword::None, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.msg);
        const OutKeyword kind = RecognizeOutgoing(c.msg);
        EXPECT_EQ(kind, c.kind);
        EXPECT_STREQ(CommandName(kind), c.name);
        // The keyword is what the command text starts with.
        EXPECT_EQ(c.msg.rfind(KeywordText(kind), 0), 0u);
    }
    EXPECT_STREQ(KeywordText(OutKeyword::PrivateUpload), "PBOOK:");
}

TEST(DialerCommandRoundTrip, PrivateUploadReadsBackInOrder) {
    std::vector<Contact> contacts;
    for (int k = 0; k < 1000; ++k)
        contacts.push_back({"0301" + std::to_string(k), "Private contact " + std::to_string(k)});
    std::vector<PbookItem> all;
    for (const std::string& chunk : Write<OutKeyword::PrivateUpload>(contacts)) {
        const DialerCommand d = ReadDialerCommand(chunk).value();
        ASSERT_EQ(d.kind, OutKeyword::PrivateUpload);
        all.insert(all.end(), d.upload.begin(), d.upload.end());
    }
    ASSERT_EQ(all.size(), contacts.size()); // position 1000 included
    for (std::size_t k = 0; k < all.size(); ++k) {
        EXPECT_EQ(all[k].index, static_cast<int>(k) + 1);
        EXPECT_EQ(all[k].number, contacts[k].number);
        EXPECT_EQ(all[k].name, contacts[k].name);
    }
    const DialerCommand empty =
        ReadDialerCommand(Write<OutKeyword::PrivateUpload>(std::vector<Contact>{}).front()).value();
    EXPECT_EQ(empty.kind, OutKeyword::PrivateUpload);
    EXPECT_TRUE(empty.upload.empty());
}

// Every reader on every prefix and on random corruptions of real messages: no crash, and no
// text ever longer than the field it lands in.
TEST(Robustness, DamagedMessagesStayWithinTheirFields) {
    std::vector<std::string> seeds = {
        "DISP: 7 " + Repeat('x', 300),
        "TEXT_KEY: 1 " + Repeat('l', 300),
        "VOL: 1 50 " + Repeat('v', 300),
        "PBOOK: 0 1 " + Repeat('5', 40) + " " + Repeat('n', 60) + ";2 555 Bo;",
        "CALLS: 0 1 0 " + Repeat('5', 30) + " A^B^C " + Repeat('d', 30) + " t u;2 1 5 B d t u;",
        "MENU: 0 1 " + Repeat('m', 60) + ";2 B;",
        "INPUT: 1 " + Repeat('p', 90) + ";b;c;" + Repeat('i', 90),
        "ORVN: " + Repeat('T', 20) + " " + Repeat('1', 20) + " " + Repeat('I', 50) + " 0 1 " +
            Repeat('N', 50),
        "LOGIN: 1",
        "ADD: 555 Ann",
        "MOD: 1 555 Ann",
        "PBOOK: 2 1 555 Ann;2 " + Repeat('7', 40) + " " + Repeat('b', 40) + ";",
    };
    std::vector<std::string> inputs;
    for (const std::string& s : seeds)
        for (std::size_t n = 0; n <= s.size(); ++n)
            inputs.push_back(s.substr(0, n));
    std::mt19937 rng(12345);
    const std::string alphabet = " ;^\t\n-0123456789aZ:";
    for (int i = 0; i < 3000; ++i) {
        std::string s = seeds[rng() % seeds.size()];
        for (int e = 0; e < 4; ++e)
            s[rng() % s.size()] = alphabet[rng() % alphabet.size()];
        inputs.push_back(s);
    }
    for (const std::string& s : inputs) {
        SCOPED_TRACE(s);
        RecognizeIncoming(s);
        if (auto d = Read<InKeyword::Disp>(s)) {
            ASSERT_LE(d->text.size(), Width::DisplayText);
        }
        if (auto k = Read<InKeyword::TextKey>(s)) {
            ASSERT_LE(k->label.size(), Width::DisplayText);
        }
        if (auto v = Read<InKeyword::Vol>(s)) {
            ASSERT_LE(v->text.size(), Width::DisplayText);
        }
        for (const PbookItem& it : Read<InKeyword::Pbook>(s).value_or(PbookMsg{}).items) {
            ASSERT_GE(it.index, 1);
            ASSERT_LT(it.index, kPhonebookCapacity);
            ASSERT_LE(it.number.size(), Width::PbookNumber);
            ASSERT_LE(it.name.size(), Width::PbookName);
        }
        for (const CallItem& it : Read<InKeyword::Calls>(s).value_or(CallsMsg{}).items) {
            ASSERT_GE(it.index, 1);
            ASSERT_LT(it.index, kCallLogCapacity);
            ASSERT_LE(it.number.size(), Width::CallNumber);
            ASSERT_LE(it.name.size(), Width::CallName);
            ASSERT_LE(it.date.size(), Width::CallDate);
            ASSERT_LE(it.time.size(), Width::CallTime);
            ASSERT_LE(it.duration.size(), Width::CallDuration);
        }
        for (const std::string& it : Read<InKeyword::Menu>(s).value_or(MenuMsg{}).items)
            ASSERT_LE(it.size(), Width::MenuText);
        const InputRequest in = Read<InKeyword::Input>(s).value_or(InputRequest{});
        for (const std::string* f :
             {&in.prompt, &in.firstCaption, &in.secondCaption, &in.initialText})
            ASSERT_LE(f->size(), Width::InputField);
        if (auto r = Read<InKeyword::Orvn>(s)) {
            ASSERT_LE(r->type.size(), Width::DevType);
            ASSERT_LE(r->ip.size(), Width::DevIP);
            ASSERT_LE(r->id.size(), Width::DevID);
            ASSERT_LE(r->name.size(), Width::DevName);
        }
        Read<InKeyword::Login>(s);
        Read<InKeyword::Linux>(s);
        const DialerCommand c = ReadDialerCommand(s).value_or(DialerCommand{});
        for (const PbookItem& it : c.upload) {
            ASSERT_LE(it.number.size(), Width::PbookNumber);
            ASSERT_LE(it.name.size(), Width::PbookName);
        }
    }
}

namespace {

// Whether the entry for `k` reads `text`: the one reader each keyword has, picked at run time.
template <std::size_t... I>
bool InReads(InKeyword k, std::string_view text, std::index_sequence<I...>) {
    bool read = false;
    static_cast<void>(((static_cast<std::size_t>(k) == I
                            ? (read = Read<static_cast<InKeyword>(I)>(text).has_value(), true)
                            : false) ||
                       ...));
    return read;
}
bool InReads(InKeyword k, std::string_view text) {
    return InReads(k, text, std::make_index_sequence<static_cast<std::size_t>(InKeyword::None)>());
}

bool Untouched(const DialerCommand& c) {
    return c.kind == OutKeyword::None && c.number == 0 && !c.hasPassword && c.mac.empty() &&
           c.text.empty() && c.contactNumber.empty() && c.contactName.empty() && c.upload.empty();
}

// Whether entry k reads `text`. The device offers one record to every entry whose keyword
// the text starts with, so an entry that refuses must leave the record as it found it.
template <OutKeyword K> bool OutReadsInto(std::string_view text) {
    DialerCommand record;
    const bool read = Outgoing<K>::ReadInto(text, record);
    EXPECT_EQ(read, Read<K>(text).has_value());
    EXPECT_TRUE(read || Untouched(record)) << CommandName(K) << " wrote while refusing";
    return read;
}
template <std::size_t... I>
bool OutReads(OutKeyword k, std::string_view text, std::index_sequence<I...>) {
    bool read = false;
    static_cast<void>(((static_cast<std::size_t>(k) == I
                            ? (read = OutReadsInto<static_cast<OutKeyword>(I)>(text), true)
                            : false) ||
                       ...));
    return read;
}
bool OutReads(OutKeyword k, std::string_view text) {
    return OutReads(k, text,
                    std::make_index_sequence<static_cast<std::size_t>(OutKeyword::None)>());
}

} // namespace

// Each device message, as its entry writes it, is recognised as its keyword and read by its
// own reader only: every other reader answers nullopt.
TEST(MessageTable, EveryDeviceMessageIsReadByItsOwnEntryOnly) {
    const std::vector<std::pair<InKeyword, std::string>> samples = {
        {InKeyword::HookOn, Write<InKeyword::HookOn>()},
        {InKeyword::HookOff, Write<InKeyword::HookOff>()},
        {InKeyword::LinuxStart, Write<InKeyword::LinuxStart>()},
        {InKeyword::LinuxEnd, Write<InKeyword::LinuxEnd>()},
        {InKeyword::Linux, Write<InKeyword::Linux>("total 4\n")},
        {InKeyword::Mod, Write<InKeyword::Mod>()},
        {InKeyword::Add, Write<InKeyword::Add>()},
        {InKeyword::Disp, Write<InKeyword::Disp>(1, "Hello")},
        {InKeyword::TextKey, Write<InKeyword::TextKey>(1, "Back")},
        {InKeyword::IconKey, Write<InKeyword::IconKey>(2, KeyIcon::Edit)},
        {InKeyword::Clr, Write<InKeyword::Clr>(Clear::SmallIcons)},
        {InKeyword::Icon, Write<InKeyword::Icon>(IconCode::Hold, 0)},
        {InKeyword::Vol, Write<InKeyword::Vol>(VolDevice::Ringer, 50, "Ring")},
        {InKeyword::UpdatePcList, Write<InKeyword::UpdatePcList>()},
        {InKeyword::Pbook,
         Write<InKeyword::Pbook>(0, std::vector<Contact>{{"555", "Ann"}}).front()},
        {InKeyword::Calls,
         Write<InKeyword::Calls>(0, std::vector<CallItem>{{1, 0, "555", "Ann", "d", "t", "u"}})
             .front()},
        {InKeyword::Menu, Write<InKeyword::Menu>(0, std::vector<std::string>{"Settings"})},
        {InKeyword::HideList, Write<InKeyword::HideList>()},
        {InKeyword::ShowNav, Write<InKeyword::ShowNav>()},
        {InKeyword::ShowList, Write<InKeyword::ShowList>()},
        {InKeyword::ShowDialpad, Write<InKeyword::ShowDialpad>()},
        {InKeyword::ShowMute, Write<InKeyword::ShowMute>(true)},
        {InKeyword::Input, Write<InKeyword::Input>(InputRequest{"Name", "OK", "Cancel", ""})},
        {InKeyword::Orvn,
         Write<InKeyword::Orvn>(DiscoveryReply{"T1", "10.77.0.11", "ID1", "Desk", 0, 1, false})},
        {InKeyword::Login, Write<InKeyword::Login>(0)},
    };
    ASSERT_EQ(samples.size(), static_cast<std::size_t>(InKeyword::None)) << "one per keyword";
    for (const auto& [kind, text] : samples) {
        SCOPED_TRACE(text);
        EXPECT_EQ(RecognizeIncoming(text), kind);
        EXPECT_EQ(text.rfind(KeywordText(kind), 0), 0u);
        for (std::size_t k = 0; k < samples.size(); ++k) {
            const auto reader = static_cast<InKeyword>(k);
            EXPECT_EQ(InReads(reader, text), reader == kind) << KeywordText(reader);
        }
    }
}

TEST(MessageTable, EveryDialerCommandIsReadByItsOwnEntryOnly) {
    const std::vector<std::pair<OutKeyword, std::string>> samples = {
        {OutKeyword::Discovery, Write<OutKeyword::Discovery>(kMac)},
        {OutKeyword::Login, Write<OutKeyword::Login>(kMac, "secret")},
        {OutKeyword::Init, Write<OutKeyword::Init>()},
        {OutKeyword::Alive, Write<OutKeyword::Alive>()},
        {OutKeyword::Stop, Write<OutKeyword::Stop>()},
        {OutKeyword::Key, Write<OutKeyword::Key>(KeyCode::Send)},
        {OutKeyword::Dial, Write<OutKeyword::Dial>("0301555")},
        {OutKeyword::Linux, Write<OutKeyword::Linux>("uname -a")},
        {OutKeyword::DispRequest, Write<OutKeyword::DispRequest>()},
        {OutKeyword::Volume, Write<OutKeyword::Volume>(40)},
        {OutKeyword::Select, Write<OutKeyword::Select>(3)},
        {OutKeyword::Add, Write<OutKeyword::Add>("555", "Ann")},
        {OutKeyword::Mod, Write<OutKeyword::Mod>(2, "555", "Ann")},
        {OutKeyword::PbookMode, Write<OutKeyword::PbookMode>(PbookMode::Private)},
        {OutKeyword::PrivateUpload,
         Write<OutKeyword::PrivateUpload>(std::vector<Contact>{{"555", "Ann"}}).front()},
        {OutKeyword::InputReply, Write<OutKeyword::InputReply>(1, "1234")},
    };
    ASSERT_EQ(samples.size(), static_cast<std::size_t>(OutKeyword::None)) << "one per keyword";
    for (const auto& [kind, text] : samples) {
        SCOPED_TRACE(text);
        const std::optional<DialerCommand> command = ReadDialerCommand(text);
        ASSERT_TRUE(command);
        EXPECT_EQ(command->kind, kind);
        EXPECT_EQ(text.rfind(KeywordText(kind), 0), 0u);
        for (std::size_t k = 0; k < samples.size(); ++k) {
            const auto reader = static_cast<OutKeyword>(k);
            EXPECT_EQ(OutReads(reader, text), reader == kind) << CommandName(reader);
        }
    }
    EXPECT_FALSE(ReadDialerCommand("HELLO: 1"));
    EXPECT_EQ(RecognizeOutgoing("HELLO: 1"), OutKeyword::None);
    // Near misses each entry looks at closely before refusing: none reads them.
    for (const char* text : {"LOGIN: ", "KEY: x", "DIAL: ", "VOL: 1 65 Ring", "ADD: 555",
                             "MOD: x 555 Bo", "MOD: 3 555", "PBOOK: 3", "PBOOK: 2x", "INPUT: x y",
                             "ORVN: T1 10.0.0.2 ID 0 Desk", "SELECT: 1 2"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(RecognizeOutgoing(text), OutKeyword::None);
        for (std::size_t k = 0; k < samples.size(); ++k)
            EXPECT_FALSE(OutReads(static_cast<OutKeyword>(k), text)) << CommandName(OutKeyword(k));
    }
}
