// Finding phones: the discovery broadcast, the replies in the device table and list, the
// end of a search, and the two column layouts of the device list.
#include "CRegHelper.h"
#include "FaceIds.h"
#include "FakePorts.h"

#include <gtest/gtest.h>

#include <functional>

namespace orvane {
namespace {

using test::DialerRig;

const std::string kMac = "00:1A:2B:3C:4D:5E"; // the rig's adapter

// The long reply form; the short one when `password` is negative.
std::string Reply(const std::string& type, const std::string& ip, const std::string& id, int busy,
                  int password, const std::string& name) {
    std::string s = "ORVN: " + type + " " + ip + " " + id + " " + std::to_string(busy) + " ";
    if (password >= 0) s += std::to_string(password) + " ";
    return s + name;
}

// A reply comes from the address it names, as a real phone's does.
void Offer(DialerRig& rig, const std::string& reply) {
    std::string addr;
    const std::size_t first = reply.find(' ', 6);
    if (first != std::string::npos)
        addr = reply.substr(first + 1, reply.find(' ', first + 1) - first - 1);
    rig.Receive(reply, addr);
}

std::vector<std::string> RowTexts(const FaceModel& face, int row) {
    return face.List(Ctl::DeviceList).rows.at(static_cast<std::size_t>(row)).texts;
}

std::vector<std::string> Headings(const FaceModel& face) {
    std::vector<std::string> h;
    for (const ListColumn& c : face.List(Ctl::DeviceList).columns)
        h.push_back(c.heading + "/" + std::to_string(c.width));
    return h;
}

// A dialer whose start-up search is running.
struct Searching : ::testing::Test {
    DialerRig rig;
    void SetUp() override {
        rig.Init();
        rig.Fire(Timer::Connect);
    }
};

TEST_F(Searching, StartsWithOneBroadcastAndTheSearchingLine) {
    ASSERT_EQ(rig.socket.sent.size(), 1u);
    const test::SentDatagram& d = rig.socket.sent[0];
    EXPECT_EQ(d.host, "255.255.255.255");
    EXPECT_EQ(d.port, 8888);
    EXPECT_TRUE(d.broadcastOption);
    EXPECT_EQ(d.bytes, "ORVN: " + kMac + "\n" + std::string(1, '\0')); // the NUL goes too

    EXPECT_FALSE(rig.timers.IsRunning(Timer::Connect));
    EXPECT_EQ(rig.timers.Period(Timer::SearchEnd), 3500u);
    EXPECT_FALSE(rig.timers.IsRunning(Timer::KeepAlive)); // a broadcast is no command
    EXPECT_EQ(rig.face().Text(Ctl::DisplayLine0), "Searching ...");
    EXPECT_TRUE(rig.face().IsVisible(Ctl::DisplayLine0));
    EXPECT_EQ(rig.face().Focus(), Ctl::DisplayLine0);
    EXPECT_FALSE(rig.face().IsVisible(Ctl::DeviceList));
}

TEST_F(Searching, RepliesFillTheTableAndTheListInArrivalOrder) {
    struct Case {
        std::string msg;
        bool stored;
        DeviceEntry entry;
        int image;
    };
    const std::string longName(40, 'n');
    const Case cases[] = {
        {"ORVN: T1 192.168.1.20 A0B1C2 0 1 Front Desk",
         true,
         {"T1", "192.168.1.20", "Front Desk", "A0B1C2", 0, 1, 0},
         0},
        {"ORVN: T1 192.168.1.21 A0B1C3 1 Lobby phone",
         true,
         {"T1", "192.168.1.21", "Lobby phone", "A0B1C3", 1, 0, 1},
         1},
        {"ORVN: T1 192.168.1.22 A0B1C4", false, {}, 0}, // three fields
        {"ORVN: T2 10.0.0.1 X 0 0  two  blanks ",
         true, // name verbatim
         {"T2", "10.0.0.1", " two  blanks ", "X", 0, 0, 0},
         0},
        {"ORVN: T3 10.0.0.2 Y 7 0 Odd", true, {"T3", "10.0.0.2", "Odd", "Y", 7, 0, 0}, -1},
        // Fields longer than their widths are cut.
        {"ORVN: TypeIsTooLong 10.0.0.3 " + std::string(40, 'i') + " 0 0 " + longName,
         true,
         {"TypeIsToo", "10.0.0.3", std::string(31, 'n'), std::string(33, 'i'), 0, 0, 0},
         0},
    };
    int stored = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.msg);
        Offer(rig, c.msg);
        if (!c.stored) {
            EXPECT_EQ(rig.face().ListRowCount(Ctl::DeviceList), stored);
            continue;
        }
        // The row below shows the texts; the flags it does not show are asked of the table.
        const DeviceEntry& e = rig->device(stored);
        EXPECT_EQ(e.nBusy, c.entry.nBusy);
        EXPECT_EQ(e.nPasswordRequired, c.entry.nPasswordRequired);
        EXPECT_EQ(e.bInitOnly, c.entry.bInitOnly);
        ++stored;
        ASSERT_EQ(rig.face().ListRowCount(Ctl::DeviceList), stored);
        const ListRow& row = rig.face().List(Ctl::DeviceList).rows.back();
        EXPECT_EQ(row.image, c.image);
        EXPECT_EQ(row.texts,
                  (std::vector<std::string>{std::to_string(stored), c.entry.szType, c.entry.szIP,
                                            c.entry.szID, c.entry.szName}));
    }
    EXPECT_EQ(rig.face().ListRowCount(Ctl::DeviceList), stored);
    EXPECT_FALSE(rig.face().IsVisible(Ctl::DeviceList)); // appended while hidden
}

TEST_F(Searching, OneEntryPerAddressAndDropsTheTwentyFirstReply) {
    Offer(rig, Reply("T1", "10.0.0.1", "SAME", 0, 0, "Twice"));
    Offer(rig, Reply("T1", "10.0.0.1", "SAME", 1, 0, "Twice again"));
    ASSERT_EQ(rig.face().ListRowCount(Ctl::DeviceList), 1);
    EXPECT_EQ(RowTexts(rig.face(), 0)[0], "1");
    EXPECT_EQ(RowTexts(rig.face(), 0)[4], "Twice again");
    EXPECT_EQ(rig.face().List(Ctl::DeviceList).rows[0].image, 1);
    Offer(rig, Reply("T1", "10.0.0.2", "OTHER", 0, 0, "Second"));

    for (int i = 2; i < 21; ++i)
        Offer(rig, Reply("T1", "10.0.0." + std::to_string(i + 1), "ID" + std::to_string(i), 0, 0,
                         "Phone " + std::to_string(i + 1)));
    ASSERT_EQ(rig.face().ListRowCount(Ctl::DeviceList), CDialerDlg::kMaxDevices);
    EXPECT_EQ(RowTexts(rig.face(), 19)[0], "20");
    EXPECT_EQ(RowTexts(rig.face(), 19)[4], "Phone 20");
    EXPECT_EQ(RowTexts(rig.face(), 19)[2], "10.0.0.20");

    // The search ends as usual with a full table.
    rig.Fire(Timer::SearchEnd);
    EXPECT_TRUE(rig.face().IsVisible(Ctl::DeviceList));
}

TEST_F(Searching, EndsByConnectingOrShowingTheList) {
    struct Case {
        const char* what;
        std::vector<std::string> replies;
        bool listShown;
        std::vector<std::string> sent;
        std::string line0;
    };
    const Case cases[] = {
        {"no reply", {}, false, {}, "No SIP Phone Found!"},
        {"one free phone",
         {Reply("T1", "10.0.0.5", "A", 0, 0, "Desk")},
         false,
         {"LOGIN: " + kMac + " "},
         "Searching ..."},
        {"one free short-form phone",
         {Reply("T1", "10.0.0.5", "A", 0, -1, "Desk")},
         false,
         {"INIT:"},
         "Searching ..."},
        {"one busy phone", {Reply("T1", "10.0.0.5", "A", 1, 0, "Desk")}, true, {}, ""},
        {"two free phones",
         {Reply("T1", "10.0.0.5", "A", 0, 0, "Desk"), Reply("T1", "10.0.0.6", "B", 0, 0, "Hall")},
         true,
         {},
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DialerRig r;
        r.Init();
        r.Fire(Timer::Connect);
        r.Sent();
        for (const std::string& reply : c.replies)
            Offer(r, reply);
        r.Fire(Timer::SearchEnd);
        EXPECT_FALSE(r.timers.IsRunning(Timer::SearchEnd));
        EXPECT_EQ(r.Sent(), c.sent);
        EXPECT_EQ(r.face().IsVisible(Ctl::DeviceList), c.listShown);
        if (!c.sent.empty()) {
            EXPECT_EQ(r->Socket().DeviceAddr(), "10.0.0.5");
        }
        if (c.listShown) {
            for (int id : {Ctl::DisplayLine0, Ctl::DisplayLine1, Ctl::DisplayLine2,
                           Ctl::DisplayLine3, Ctl::Key1, Ctl::KeyHash, Ctl::F1, Ctl::F2, Ctl::F3,
                           Ctl::End, Ctl::Send, Ctl::EntryEdit, Ctl::VolPlus, Ctl::VolMinus,
                           Ctl::PhonebookList, Ctl::CallLogList, Ctl::MenuList})
                EXPECT_FALSE(r.face().IsVisible(id)) << id;
        } else {
            EXPECT_EQ(r.face().Text(Ctl::DisplayLine0), c.line0);
        }
        if (!c.sent.empty()) {
            // Connected by itself once: the next search's end shows the list instead.
            r->OnCommand(Menu::Enumerate);
            Offer(r, c.replies[0]);
            r.Fire(Timer::SearchEnd);
            EXPECT_TRUE(r.face().IsVisible(Ctl::DeviceList));
        }
    }
}

TEST_F(Searching, ConnectsAutomaticallyOnlyOncePerRun) {
    Offer(rig, Reply("T1", "10.0.0.5", "A", 0, 0, "Desk"));
    rig.Fire(Timer::SearchEnd);
    rig.Sent();

    rig->OnCommand(Menu::Enumerate); // empties the table and ends sooner
    EXPECT_EQ(rig.face().ListRowCount(Ctl::DeviceList), 0);
    EXPECT_EQ(rig.timers.Period(Timer::SearchEnd), 3000u);
    EXPECT_EQ(rig.face().Text(Ctl::DisplayLine0), "Searching ...");
    Offer(rig, Reply("T1", "10.0.0.5", "A", 0, 0, "Desk"));
    rig.Fire(Timer::SearchEnd);
    EXPECT_EQ(rig.Sent(), std::vector<std::string>{"ORVN: " + kMac + "\n"});
    EXPECT_TRUE(rig.face().IsVisible(Ctl::DeviceList));
    EXPECT_EQ(rig.face().ListRowCount(Ctl::DeviceList), 1);
}

TEST_F(Searching, PrivateControllerWithRepliesSaysItsDeviceWasNotFound) {
    Offer(rig, Reply("T1", "10.0.0.5", "A", 0, 0, "Desk"));
    rig.Fire(Timer::SearchEnd); // connects by itself
    rig.Receive("LOGIN: 1", "10.0.0.5");
    rig->OnCommand(Menu::Enumerate);
    Offer(rig, Reply("T1", "10.0.0.5", "A", 1, 0, "Desk"));
    rig->OnCommand(Menu::AttachPrivate); // while the search runs
    rig.Sent();

    rig.Fire(Timer::SearchEnd);
    EXPECT_EQ(rig.face().Text(Ctl::DisplayLine0), "Private Device Not Found!");
    EXPECT_FALSE(rig.face().IsVisible(Ctl::DeviceList));
    EXPECT_TRUE(rig.Sent().empty());
    EXPECT_EQ(rig->Socket().DeviceAddr(), "10.0.0.5");
}

TEST_F(Searching, ReplyAfterTheSearchEndedIsIgnored) {
    rig.Fire(Timer::SearchEnd);
    Offer(rig, Reply("T1", "10.0.0.5", "A", 0, 0, "Late"));
    EXPECT_EQ(rig.face().ListRowCount(Ctl::DeviceList), 0);
    EXPECT_FALSE(rig.face().IsVisible(Ctl::DeviceList));
    EXPECT_EQ(rig.face().Text(Ctl::DisplayLine0), "No SIP Phone Found!");
}

TEST(LinkPrompts, SetTheTextOfLine0AndLeaveTheRestOfTheFaceAsItWas) {
    struct Case {
        const char* text;
        std::function<void(DialerRig&)> run;
    };
    const Case cases[] = {
        {"Searching ...", [](DialerRig& r) { r->OnCommand(Menu::Enumerate); }},
        {"No SIP Phone Found!",
         [](DialerRig& r) {
             r->OnCommand(Menu::Enumerate);
             r.Fire(Timer::SearchEnd);
         }},
        {"Private Device Not Found!",
         [](DialerRig& r) {
             r->OnCommand(Menu::Enumerate);
             Offer(r, Reply("T1", "10.0.0.5", "A", 0, 0, "Desk"));
             r->OnCommand(Menu::AttachPrivate);
             r.Fire(Timer::SearchEnd);
         }},
        {"Connecting ...",
         [](DialerRig& r) {
             r->OnCommand(Menu::AttachPrivate);
             r.Fire(Timer::Connect);
         }},
    };
    const int watched[] = {Ctl::DisplayLine0, Ctl::DisplayLine1, Ctl::DisplayLine2,
                           Ctl::DisplayLine3, Ctl::EntryEdit,    Ctl::DeviceList};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        DialerRig rig;
        rig.Init();
        // Logged into the phone the messages below come from.
        rig.Address();
        rig->SendCommand("LOGIN: " + kMac + " ");
        rig.Receive("LOGIN: 1");
        // A number being typed while the phone shows two lines: line 0 is hidden, lines 2
        // and 3 and the entry edit share its place.
        rig.Receive("HOOK: ON");
        rig->OnCommand(Ctl::Key5);
        rig.Receive("DISP: 2 Conference room");
        std::vector<bool> before;
        for (int id : watched)
            before.push_back(rig.face().IsVisible(id));
        ASSERT_FALSE(before[0]);

        c.run(rig);
        EXPECT_EQ(rig.face().Text(Ctl::DisplayLine0), c.text);
        for (std::size_t i = 0; i < before.size(); ++i)
            EXPECT_EQ(rig.face().IsVisible(watched[i]), before[i]) << watched[i];
        EXPECT_EQ(rig.face().Get(Ctl::DisplayLine0).font, FontId::A);
        EXPECT_EQ(rig.face().Text(Ctl::EntryEdit), "5");

        // The phone's own long text still gets the smaller font, its short one the large.
        rig.Receive("DISP: 0 " + std::string(21, 'x'));
        EXPECT_EQ(rig.face().Get(Ctl::DisplayLine0).font, FontId::C);
        rig.Receive("DISP: 0 Front Desk");
        EXPECT_EQ(rig.face().Get(Ctl::DisplayLine0).font, FontId::A);
    }
}

// --- Column layouts ------------------------------------------------------------------------

const std::vector<std::string> kTypeFirst = {" /30", "Type/100", "IP/100", "ID/120", "Name/260"};
const std::vector<std::string> kNameFirst = {" /30", "Name/240", "Type/100", "IP/100", "ID/120"};

TEST(DeviceListColumns, ToggleMovesTheColumnsKeepsTheRowsAndIsStored) {
    DialerRig rig;
    rig.Init();
    EXPECT_EQ(Headings(rig.face()), kTypeFirst);
    EXPECT_EQ(rig.face().List(Ctl::DeviceList).columns[0].align, Align::Center);
    EXPECT_FALSE(rig.face().IsMenuChecked(Menu::NameFirst));

    rig.Fire(Timer::Connect);
    Offer(rig, Reply("T1", "10.0.0.1", "A1", 0, 0, "Alpha"));
    Offer(rig, Reply("T2", "10.0.0.2", "B2", 1, -1, "Bravo two"));
    Offer(rig, Reply("T3", "10.0.0.3", "C3", 0, 1, "Charlie"));

    rig->OnCommand(Menu::NameFirst);
    EXPECT_TRUE(rig.face().IsMenuChecked(Menu::NameFirst));
    EXPECT_EQ(Headings(rig.face()), kNameFirst);
    ASSERT_EQ(rig.face().ListRowCount(Ctl::DeviceList), 3);
    EXPECT_EQ(RowTexts(rig.face(), 0),
              (std::vector<std::string>{"1", "Alpha", "T1", "10.0.0.1", "A1"}));
    EXPECT_EQ(RowTexts(rig.face(), 1),
              (std::vector<std::string>{"2", "Bravo two", "T2", "10.0.0.2", "B2"}));
    EXPECT_EQ(RowTexts(rig.face(), 2),
              (std::vector<std::string>{"3", "Charlie", "T3", "10.0.0.3", "C3"}));
    EXPECT_EQ(rig.face().List(Ctl::DeviceList).rows[1].image, 1);
    EXPECT_EQ(rig.settings.Dword(kValueNameFirst), 1);

    // A reply now lands in the name-first layout.
    Offer(rig, Reply("T4", "10.0.0.4", "D4", 0, 0, "Delta"));
    EXPECT_EQ(RowTexts(rig.face(), 3),
              (std::vector<std::string>{"4", "Delta", "T4", "10.0.0.4", "D4"}));

    rig->OnCommand(Menu::NameFirst);
    EXPECT_FALSE(rig.face().IsMenuChecked(Menu::NameFirst));
    EXPECT_EQ(Headings(rig.face()), kTypeFirst);
    EXPECT_EQ(RowTexts(rig.face(), 0),
              (std::vector<std::string>{"1", "T1", "10.0.0.1", "A1", "Alpha"}));
    EXPECT_EQ(rig.face().ListRowCount(Ctl::DeviceList), 4);
    EXPECT_EQ(rig.settings.Dword(kValueNameFirst), 0);
}

TEST(DeviceListColumns, StoredChoiceIsBackAfterARestart) {
    DialerRig rig;
    rig.settings.SetDword(kValueNameFirst, 2); // any non-zero number counts as set
    rig.Init();
    EXPECT_EQ(Headings(rig.face()), kNameFirst);
    EXPECT_TRUE(rig.face().IsMenuChecked(Menu::NameFirst));

    rig->OnCommand(Menu::NameFirst);
    EXPECT_EQ(rig.settings.Dword(kValueNameFirst), 0);
    rig->OnCommand(Menu::NameFirst);
    EXPECT_EQ(rig.settings.Dword(kValueNameFirst), 1);

    DialerRig again;
    again.settings = rig.settings;
    again.Init();
    EXPECT_EQ(Headings(again.face()), kNameFirst);
}

} // namespace
} // namespace orvane
