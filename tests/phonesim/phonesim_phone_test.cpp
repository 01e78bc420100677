// The emulated phone's conversations, driven directly: every datagram it answers is read
// back with the dialer's own parsers.
#include "Control.h"
#include "PhoneRig.h"
#include "Protocol.h"

#include <gtest/gtest.h>

namespace orvane::sim::test {
namespace {

namespace proto = orvane::proto;

proto::DiscoveryReply Discover(PhoneRig& rig, const Endpoint& from, const char* mac = kMac) {
    auto t = rig.From(from, std::string("ORVN: ") + mac + "\n");
    EXPECT_EQ(t.size(), 1u);
    auto r = t.empty() ? std::nullopt : proto::Read<proto::InKeyword::Orvn>(t[0]);
    EXPECT_TRUE(r.has_value());
    return r.value_or(proto::DiscoveryReply{});
}

// ---------------------------------------------------------------------------------------
// Discovery and control.

TEST(PhoneDiscovery, AnswersInTheFormOfItsModel) {
    struct Case {
        bool oldModel;
        std::string password;
        int passwordRequired;
    } cases[] = {{false, "", 0}, {false, "s3cret", 1}, {true, "", 0}};
    for (const Case& c : cases) {
        PhoneConfig cfg = SmallPhone();
        cfg.oldModel = c.oldModel;
        cfg.password = c.password;
        cfg.type = "T2x";
        cfg.id = "A0B1C2";
        PhoneRig rig(cfg);
        auto r = Discover(rig, rig.dialer);
        EXPECT_EQ(r.type, "T2x");
        EXPECT_EQ(r.ip, "10.77.0.11");
        EXPECT_EQ(r.id, "A0B1C2");
        EXPECT_EQ(r.name, "Front Desk"); // the blank travels in the name
        EXPECT_EQ(r.busy, 0);
        EXPECT_EQ(r.initOnly, c.oldModel);
        if (!c.oldModel) {
            EXPECT_EQ(r.passwordRequired, c.passwordRequired);
        }
        // The reply goes back to the asking socket, from the phone's own address.
        ASSERT_FALSE(rig.out.sent.empty());
        EXPECT_EQ(rig.out.sent.back().to, rig.dialer);
        EXPECT_EQ(rig.out.sent.back().from, "10.77.0.11");
    }
}

TEST(PhoneDiscovery, BroadcastAnswersDiscoveryOnlyEvenForTheController) {
    PhoneRig rig;
    EXPECT_TRUE(
        HasPrefix(rig.From(rig.dialer, std::string("ORVN: ") + kMac + "\n", true), "ORVN: T1 "));
    rig.Login();
    EXPECT_TRUE(rig.From(rig.dialer, "KEY: 23", true).empty());
    EXPECT_TRUE(rig.From(rig.dialer, std::string("LOGIN: ") + kOtherMac + " ", true).empty());
    EXPECT_EQ(rig.phone->ControllerMac(), kMac);
}

TEST(PhoneControl, BusyWhileAnotherControllerHoldsIt) {
    PhoneConfig cfg = SmallPhone();
    cfg.busy = true;
    PhoneRig rig(cfg);
    EXPECT_EQ(Discover(rig, rig.dialer).busy, 1); // held by an absent controller

    // Logging in anyway takes it over.
    auto t = rig.Login();
    EXPECT_EQ(t.front(), "LOGIN: 1");
    EXPECT_EQ(Discover(rig, rig.dialer).busy, 0);           // free for its controller
    EXPECT_EQ(Discover(rig, rig.other, kOtherMac).busy, 1); // busy for anyone else

    // A second controller takes it over; the first is told and no longer obeyed.
    t = rig.From(rig.other, std::string("LOGIN: ") + kOtherMac + " ");
    EXPECT_TRUE(Has(t, "LOGIN: 1"));
    EXPECT_EQ(rig.out.sent[rig.out.sent.size() - t.size()].to, rig.dialer);
    EXPECT_EQ(t.front(), "DISP: 0 Control taken over");
    EXPECT_TRUE(rig.Cmd("KEY: 23").empty());
    EXPECT_EQ(rig.phone->ControllerEndpoint(), rig.other);
    EXPECT_EQ(Discover(rig, rig.dialer).busy, 1);
}

TEST(PhoneControl, PasswordDecidesTheLogin) {
    struct Case {
        std::string phonePassword, typed;
        bool accepted;
    } cases[] = {
        {"", "", true},           {"", "anything", true}, {"pw42", "pw42", true},
        {"pw42", "pw4", false},   {"pw42", "", false},    {"pw42", "PW42", false},
        {"pw42", "pw42 ", false},
    };
    for (const Case& c : cases) {
        PhoneConfig cfg = SmallPhone();
        cfg.password = c.phonePassword;
        PhoneRig rig(cfg);
        auto t = rig.Login(c.typed);
        SCOPED_TRACE("password '" + c.phonePassword + "', typed '" + c.typed + "'");
        if (c.accepted) {
            ASSERT_FALSE(t.empty());
            EXPECT_EQ(proto::Read<proto::InKeyword::Login>(t[0]), 1);
            EXPECT_EQ(rig.phone->ControllerEndpoint(), rig.dialer);
        } else {
            EXPECT_EQ(t, std::vector<std::string>{"DISP: 0 Wrong password"});
            EXPECT_FALSE(rig.phone->ControllerEndpoint());
            EXPECT_TRUE(rig.Cmd("KEY: 23").empty()); // still not obeyed
        }
    }
}

TEST(PhoneControl, PrivateLoginOnlyFromItsPrivateController) {
    // Configured private controller.
    {
        PhoneConfig cfg = SmallPhone();
        cfg.password = "pw";
        cfg.privateMac = "00:1a:2b:3c:4d:5e"; // identities compare without case
        PhoneRig rig(cfg);
        EXPECT_TRUE(Has(rig.Cmd(std::string("LOGIN: ") + kMac), "LOGIN: 1"));
        auto t = rig.From(rig.other, std::string("LOGIN: ") + kOtherMac);
        EXPECT_EQ(t, std::vector<std::string>{"DISP: 0 Not the private controller"});
        EXPECT_EQ(rig.phone->ControllerEndpoint(), rig.dialer);
    }
    // Remembered: the last controller that logged in with its password.
    {
        PhoneConfig cfg = SmallPhone();
        cfg.password = "pw";
        PhoneRig rig(cfg);
        EXPECT_FALSE(Has(rig.Cmd(std::string("LOGIN: ") + kMac), "LOGIN: 1"));
        EXPECT_TRUE(Has(rig.Login("pw"), "LOGIN: 1"));
        rig.Cmd("STOP:");
        EXPECT_FALSE(rig.phone->ControllerEndpoint());
        // The dialer restarted: new port, identity only.
        Endpoint restarted{"10.77.0.1", 40999};
        EXPECT_TRUE(Has(rig.From(restarted, std::string("LOGIN: ") + kMac), "LOGIN: 1"));
        EXPECT_EQ(rig.phone->ControllerEndpoint(), restarted);
        EXPECT_FALSE(Has(rig.From(rig.other, std::string("LOGIN: ") + kOtherMac), "LOGIN: 1"));
    }
}

TEST(PhoneControl, OlderModelIsStartedWithInitAndKnowsNoLogin) {
    PhoneConfig cfg = SmallPhone();
    cfg.oldModel = true;
    PhoneRig rig(cfg);
    EXPECT_TRUE(rig.Login().empty());
    auto t = rig.Cmd("INIT:");
    EXPECT_FALSE(HasPrefix(t, "LOGIN:"));
    EXPECT_TRUE(Has(t, "DISP: 0 Front Desk")); // paints its screen at once
    EXPECT_EQ(Discover(rig, rig.other, kOtherMac).busy, 1);
    EXPECT_EQ(Discover(rig, rig.dialer, kOtherMac).busy, 0); // known by its endpoint

    PhoneRig newer;
    EXPECT_TRUE(newer.Cmd("INIT:").empty());
    EXPECT_FALSE(newer.phone->ControllerEndpoint());
}

TEST(PhoneControl, StopReleasesAndSilenceDrops) {
    PhoneRig rig;
    rig.Login();
    rig.Cmd("STOP:");
    EXPECT_TRUE(rig.Cmd("KEY: 23").empty());
    EXPECT_EQ(Discover(rig, rig.other, kOtherMac).busy, 0);

    rig.Login();
    rig.Advance(170'000);
    rig.Cmd("ALIVE:");
    rig.Advance(179'000);
    EXPECT_EQ(rig.phone->ControllerEndpoint(), rig.dialer);
    rig.Advance(1'000);
    EXPECT_FALSE(rig.phone->ControllerEndpoint());
    EXPECT_TRUE(rig.Cmd("KEY: 23").empty());
    EXPECT_EQ(Discover(rig, rig.other, kOtherMac).busy, 0);
}

TEST(PhoneControl, LoginPaintsTheIdleScreen) {
    PhoneRig rig;
    auto t = rig.Login();
    ASSERT_GE(t.size(), 6u);
    EXPECT_EQ(t[0], "LOGIN: 1");
    EXPECT_EQ(t[1], "SHOW_DIALPAD:");
    EXPECT_TRUE(Has(t, "DISP: 0 Front Desk"));
    EXPECT_TRUE(Has(t, "ICON: 33 0"));
    EXPECT_TRUE(Has(t, "TEXT_KEY: 3 Menu"));
    EXPECT_TRUE(Has(t, "SHOW_MUTE: 0"));
    auto line1 = WithPrefix(t, "DISP: 1 ");
    ASSERT_EQ(line1.size(), 1u);
    EXPECT_EQ(proto::Read<proto::InKeyword::Disp>(line1[0])->line, 1);
    // Everything goes to the controller.
    for (std::size_t i = rig.out.sent.size() - t.size(); i < rig.out.sent.size(); ++i)
        EXPECT_EQ(rig.out.sent[i].to, rig.dialer);
}

TEST(PhoneControl, IdleClockMovesOnEveryMinute) {
    PhoneRig rig;
    const std::string shown = WithPrefix(rig.Login(), "DISP: 1 ").at(0);
    auto t = rig.Advance(60'000);
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].rfind("DISP: 1 ", 0), 0u);
    EXPECT_NE(t[0], shown);
    rig.Cmd("KEY: 23");
    EXPECT_TRUE(rig.Advance(120'000).empty()) << "not over a list";
}

// ---------------------------------------------------------------------------------------
// Calls.

TEST(PhoneCalls, DialConnectTimerAndHangUp) {
    PhoneRig rig;
    rig.Login();
    auto t = rig.Cmd("KEY: 5"); // a digit lifts the handset
    EXPECT_EQ(t.front(), "HOOK: ON");
    EXPECT_TRUE(Has(t, "DISP: 1 5"));
    EXPECT_TRUE(rig.phone->OffHook());

    rig.Cmd("DISP:");
    t = rig.Cmd("DIAL: 5551234");
    EXPECT_FALSE(Has(t, "HOOK: ON")); // already off hook
    EXPECT_TRUE(Has(t, "ICON: 20 0"));
    EXPECT_TRUE(Has(t, "DISP: 7 Calling\n5551234\n5551234"));
    EXPECT_TRUE(Has(t, "SHOW_MUTE: 1"));

    t = rig.Advance(3'000); // answered after the ring
    EXPECT_TRUE(Has(t, "ICON: 0 0"));
    EXPECT_TRUE(Has(t, "DISP: 7 Connected\n5551234\n00:00"));
    t = rig.Advance(2'000);
    EXPECT_EQ(t, (std::vector<std::string>{"DISP: 3 00:01", "DISP: 3 00:02"}));

    t = rig.Cmd("KEY: 16"); // MUTE
    EXPECT_TRUE(Has(t, "ICON: 44 0"));
    t = rig.Cmd("KEY: 20"); // END
    EXPECT_EQ(t.front(), "HOOK: OFF");
    EXPECT_TRUE(Has(t, "DISP: 0 Front Desk"));
    EXPECT_TRUE(Has(t, "DISP: 1 Call ended 00:02"));
    EXPECT_FALSE(rig.phone->OffHook());

    const CallRecord& last = rig.phone->Calls().front();
    EXPECT_EQ(last.kind, CallKind::Outgoing);
    EXPECT_EQ(last.number, "5551234");
    EXPECT_EQ(last.durationSec, 2);

    // The call log shows it first, and SEND on it dials it again.
    t = rig.Cmd("KEY: 24");
    auto calls = proto::Read<proto::InKeyword::Calls>(WithPrefix(t, "CALLS: ").at(0)).value();
    ASSERT_FALSE(calls.items.empty());
    EXPECT_EQ(calls.items[0].index, 1);
    EXPECT_EQ(calls.items[0].number, "5551234");
    EXPECT_EQ(calls.items[0].callType, 1);
    EXPECT_EQ(calls.items[0].duration, "00:00:02");
    rig.Cmd("SELECT: 0");
    t = rig.Cmd("KEY: 19");
    EXPECT_TRUE(Has(t, "HOOK: ON"));
    EXPECT_EQ(rig.phone->Call(), Phone::CallState::Ringback);
}

TEST(PhoneCalls, DigitsAndSendWithoutTheDialersEntry) {
    PhoneRig rig;
    rig.Login();
    rig.Cmd("KEY: 19"); // SEND lifts the handset
    EXPECT_EQ(rig.phone->Call(), Phone::CallState::Dialing);
    for (const char* k : {"KEY: 0", "KEY: 3", "KEY: 0", "KEY: 10", "KEY: 11"})
        rig.Cmd(k);
    EXPECT_TRUE(Has(rig.Cmd("KEY: 13"), "DISP: 1 030*")); // F2 takes the last digit back
    auto t = rig.Cmd("KEY: 19");
    EXPECT_TRUE(Has(t, "DISP: 7 Calling\n030*\n030*"));
}

TEST(PhoneCalls, RefusedDialsLeaveTheLineAlone) {
    const char* bad[] = {"DIAL: abc", "DIAL: ***", "DIAL: 123456789012345678901234567890123"};
    for (const char* d : bad) {
        PhoneRig rig;
        rig.Login();
        auto t = rig.Cmd(d);
        EXPECT_EQ(t, std::vector<std::string>{"DISP: 0 Invalid number"}) << d;
        EXPECT_EQ(rig.phone->Call(), Phone::CallState::Idle);
    }
    PhoneRig rig;
    rig.Login();
    rig.Cmd("DIAL: 555 12 34"); // blanks typed in the entry are dropped
    EXPECT_EQ(rig.phone->Call(), Phone::CallState::Ringback);
    EXPECT_EQ(rig.Cmd("DIAL: 777"), std::vector<std::string>{"DISP: 0 Line busy"});
}

TEST(PhoneCalls, IncomingCallRingsAnswersAndIsMissedWhenLeft) {
    PhoneConfig cfg = SmallPhone();
    cfg.ringNumber = "0301234567";
    PhoneRig rig(cfg); // rings from the start, before anyone controls it
    auto t = rig.Login();
    EXPECT_TRUE(Has(t, "ICON: 21 0"));
    EXPECT_TRUE(Has(t, "DISP: 7 Incoming call\nUnknown\n0301234567"));
    EXPECT_TRUE(Has(t, "TEXT_KEY: 1 Answer"));
    t = rig.Cmd("KEY: 19");
    EXPECT_EQ(t.front(), "HOOK: ON");
    EXPECT_EQ(rig.phone->Call(), Phone::CallState::Connected);
    rig.Advance(5'000);
    rig.Cmd("KEY: 14"); // F3 ends it
    EXPECT_EQ(rig.phone->Calls().front().kind, CallKind::Incoming);
    EXPECT_EQ(rig.phone->Calls().front().durationSec, 5);

    // A caller from the phonebook is shown by name; left ringing, the call is missed.
    const ContactRecord known = rig.phone->Contacts()[3];
    EXPECT_TRUE(rig.phone->Ring(known.number));
    t = rig.Advance(30'000);
    EXPECT_TRUE(Has(t, "ICON: 42 0"));
    EXPECT_TRUE(Has(t, "DISP: 1 1 missed call"));
    EXPECT_EQ(rig.phone->Calls().front().kind, CallKind::Missed);
    EXPECT_EQ(rig.phone->Calls().front().name, known.name);
}

TEST(PhoneCalls, VolumeKeysAndSliderAnswerWithVol) {
    PhoneRig rig;
    rig.Login();
    struct Step {
        const char* cmd;
        const char* reply;
    } steps[] = {
        {"KEY: 17", "VOL: 1 70 Ringer volume"}, {"KEY: 18", "VOL: 1 60 Ringer volume"},
        {"VOL: 35", "VOL: 1 35 Ringer volume"}, {"VOL: 250", "VOL: 1 100 Ringer volume"},
        {"VOL: -4", "VOL: 1 0 Ringer volume"},  {"KEY: 18", "VOL: 1 0 Ringer volume"},
    };
    for (const Step& s : steps)
        EXPECT_EQ(rig.Cmd(s.cmd), std::vector<std::string>{s.reply}) << s.cmd;
    auto vol = proto::Read<proto::InKeyword::Vol>("VOL: 1 0 Ringer volume");
    EXPECT_EQ(vol->text, "Ringer volume");

    // The volume screen goes back by itself; in a call the keys set the handset volume.
    EXPECT_TRUE(Has(rig.Advance(Phone::kVolumeScreenMs), "DISP: 0 Front Desk"));
    rig.Cmd("DIAL: 100");
    EXPECT_EQ(rig.Cmd("KEY: 17"), std::vector<std::string>{"VOL: 2 60 Handset volume"});
}

// ---------------------------------------------------------------------------------------
// Lists.

// Joins a list that came in several datagrams the way the dialer stores it.
std::vector<proto::PbookItem> JoinPbook(const std::vector<std::string>& datagrams,
                                        int* selected = nullptr) {
    std::vector<proto::PbookItem> all;
    for (const std::string& d : datagrams) {
        proto::PbookMsg m = proto::Read<proto::InKeyword::Pbook>(d).value();
        if (selected) *selected = m.selectedItem;
        for (const auto& item : m.items) {
            if (item.index == 1) all.clear();
            EXPECT_EQ(item.index, static_cast<int>(all.size()) + 1) << "numbering continues";
            all.push_back(item);
        }
    }
    return all;
}

TEST(PhoneLists, LongPhonebookSplitsAndRenumbers) {
    PhoneConfig cfg = SmallPhone();
    cfg.contacts = 999;
    PhoneRig rig(cfg);
    rig.Login();
    auto t = rig.Cmd("KEY: 23");
    auto lists = WithPrefix(t, "PBOOK: ");
    ASSERT_GT(lists.size(), 3u);
    for (const Sent& s : rig.out.sent)
        EXPECT_LE(s.bytes.size(), proto::kMaxReceiveLength);
    int selected = 0;
    auto items = JoinPbook(lists, &selected);
    EXPECT_EQ(selected, -1);
    ASSERT_EQ(items.size(), 999u);
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].number, rig.phone->Contacts()[i].number);
        EXPECT_EQ(items[i].name, rig.phone->Contacts()[i].name);
    }
    EXPECT_TRUE(Has(t, "ICON_KEY: 1 3")); // nothing selected: F1 makes a new contact
    EXPECT_TRUE(Has(t, "ICON_KEY: 3 0"));
}

TEST(PhoneLists, LongCallLogSplitsWithBlanksAsCarets) {
    PhoneConfig cfg = SmallPhone();
    cfg.contacts = 200;
    cfg.calls = 2999;
    PhoneRig rig(cfg);
    rig.Login();
    auto lists = WithPrefix(rig.Cmd("KEY: 24"), "CALLS: ");
    ASSERT_GT(lists.size(), 20u);
    EXPECT_LE(rig.out.largest, proto::kMaxReceiveLength);
    std::vector<proto::CallItem> all;
    for (const std::string& d : lists) {
        EXPECT_EQ(d.find(' ', 7), 9u) << "every datagram carries the selection -1";
        const proto::CallsMsg calls = proto::Read<proto::InKeyword::Calls>(d).value();
        for (const auto& item : calls.items) {
            if (item.index == 1) all.clear();
            ASSERT_EQ(item.index, static_cast<int>(all.size()) + 1);
            all.push_back(item);
        }
    }
    ASSERT_EQ(all.size(), 2999u);
    for (std::size_t i = 0; i < all.size(); ++i) {
        const CallRecord& c = rig.phone->Calls()[i];
        EXPECT_EQ(all[i].name, c.name); // at most two blanks, both restored
        EXPECT_EQ(all[i].number, c.number);
        EXPECT_EQ(all[i].callType, static_cast<int>(c.kind));
        EXPECT_EQ(all[i].date, CallDateText(c.when));
        EXPECT_EQ(all[i].time, CallTimeText(c.when));
    }
}

TEST(PhoneLists, SelectMovesTheCursorWithinTheList) {
    PhoneRig rig;
    rig.Login();
    rig.Cmd("KEY: 23");
    auto t = rig.Cmd("SELECT: 2");
    EXPECT_TRUE(Has(t, "ICON_KEY: 1 1")); // F1 now edits
    EXPECT_TRUE(Has(t, "ICON_KEY: 2 2"));
    for (const char* bad : {"SELECT: 12", "SELECT: -1", "SELECT: 99999999999"})
        EXPECT_TRUE(rig.Cmd(bad).empty()) << bad;
    // SEND calls the contact under the cursor.
    rig.Cmd("KEY: 19");
    EXPECT_EQ(rig.phone->Call(), Phone::CallState::Ringback);
    EXPECT_EQ(rig.phone->Calls().size(), 8u);
}

TEST(PhoneLists, ContactAddAndModifyRoundTrips) {
    PhoneRig rig;
    rig.Login();
    rig.Cmd("KEY: 23");
    EXPECT_EQ(rig.Cmd("KEY: 12"), std::vector<std::string>{"ADD:"});
    auto t = rig.Cmd("ADD: +4930555 Zoe Zander");
    int selected = -2;
    auto items = JoinPbook(WithPrefix(t, "PBOOK: "), &selected);
    ASSERT_EQ(items.size(), 13u);
    ASSERT_GE(selected, 0);
    EXPECT_EQ(items[static_cast<std::size_t>(selected)].name, "Zoe Zander");
    EXPECT_EQ(items[static_cast<std::size_t>(selected)].number, "+4930555");

    // Modify row 0: the name moves it in the sorted list; the list comes again.
    std::string before = rig.phone->Contacts()[0].name;
    rig.Cmd("SELECT: 0");
    EXPECT_EQ(rig.Cmd("KEY: 12"), std::vector<std::string>{"MOD:"});
    t = rig.Cmd("MOD: 0 777 Zz Last");
    items = JoinPbook(WithPrefix(t, "PBOOK: "), &selected);
    ASSERT_EQ(items.size(), 13u);
    EXPECT_EQ(items.back().name, "Zz Last");
    EXPECT_EQ(items.back().number, "777");
    EXPECT_EQ(selected, 12);
    EXPECT_NE(items[0].name, before);

    // Delete the one under the cursor.
    t = rig.Cmd("KEY: 13");
    EXPECT_EQ(JoinPbook(WithPrefix(t, "PBOOK: ")).size(), 12u);
}

TEST(PhoneLists, BadContactsAreRefusedOrMadeSafe) {
    struct Case {
        std::string cmd;
        std::string shown;      // display line 0 on refusal, empty when saved
        std::string storedName; // when saved
    } cases[] = {
        {"ADD:  ", "DISP: 0 Number missing", ""},
        {"ADD:  Nameless", "DISP: 0 Number missing", ""},
        {"ADD: 12ab Letters", "DISP: 0 Invalid number", ""},
        {"ADD: 12345678901234567890 Long", "DISP: 0 Number too long", ""},
        {"MOD: 40 123 Nobody", "DISP: 0 No such contact", ""},
        {"MOD: -1 123 Nobody", "DISP: 0 No such contact", ""},
        {"ADD: 123 A;B;C", "", "A,B,C"},
        {"ADD: 123 ", "", "123"},
        {"ADD: 123 " + std::string(40, 'x'), "", std::string(31, 'x')},
        {"ADD: 123 Tab\there", "", "Tab here"},
    };
    for (const Case& c : cases) {
        PhoneRig rig;
        rig.Login();
        rig.Cmd("KEY: 23");
        auto t = rig.Cmd(c.cmd);
        if (!c.shown.empty()) {
            EXPECT_EQ(t, std::vector<std::string>{c.shown}) << c.cmd;
            EXPECT_EQ(rig.phone->Contacts().size(), 12u);
        } else {
            EXPECT_EQ(rig.phone->Contacts().size(), 13u) << c.cmd;
            auto items = JoinPbook(WithPrefix(t, "PBOOK: "));
            EXPECT_TRUE(std::any_of(items.begin(), items.end(), [&](const proto::PbookItem& i) {
                return i.name == c.storedName && i.number == "123";
            })) << c.cmd;
        }
    }
}

TEST(PhoneLists, PrivateListIsAskedForUsedAndDropped) {
    PhoneRig rig;
    rig.Login();
    EXPECT_EQ(rig.Cmd("PBOOK: 2"), std::vector<std::string>{"UPDATE_PCLIST:"});
    std::vector<proto::Contact> mine;
    for (int i = 0; i < 40; ++i)
        mine.push_back({std::to_string(7000 + i), "Private Person " + std::to_string(i)});
    auto chunks = proto::Write<proto::OutKeyword::PrivateUpload>(mine);
    ASSERT_GT(chunks.size(), 1u);
    rig.Cmd("KEY: 23"); // the dialer asks for the phonebook screen again
    std::vector<std::string> last;
    for (const std::string& c : chunks)
        last = rig.Cmd(c);
    // On the phonebook screen the upload is shown as soon as it is complete.
    auto items = JoinPbook(WithPrefix(last, "PBOOK: "));
    ASSERT_EQ(items.size(), 40u);
    EXPECT_EQ(items[39].name, "Private Person 39");
    EXPECT_EQ(items[39].number, "7039");
    EXPECT_TRUE(rig.phone->UsesPrivateContacts());

    // Read-only: no editor, no changes.
    auto t = rig.Cmd("ADD: 1 X");
    EXPECT_TRUE(Has(t, "DISP: 0 Private list is read-only"));
    EXPECT_EQ(JoinPbook(WithPrefix(t, "PBOOK: ")).size(), 40u); // leaves the editor
    EXPECT_EQ(rig.phone->PrivateContacts().size(), 40u);
    EXPECT_EQ(rig.phone->Contacts().size(), 12u);

    // A new upload starting at 1 replaces; the bare header empties.
    rig.Cmd(proto::Write<proto::OutKeyword::PrivateUpload>(
        std::vector<proto::Contact>{{"1", "Only"}})[0]);
    EXPECT_EQ(rig.phone->PrivateContacts().size(), 1u);
    rig.Cmd("PBOOK: 2 ");
    EXPECT_TRUE(rig.phone->PrivateContacts().empty());

    rig.Cmd("PBOOK: 1");
    EXPECT_EQ(JoinPbook(WithPrefix(rig.Cmd("KEY: 23"), "PBOOK: ")).size(), 12u);
}

TEST(PhoneLists, PrivateListBelongsToItsController) {
    PhoneRig rig;
    rig.Login();
    rig.Cmd("PBOOK: 2");
    rig.Cmd(proto::Write<proto::OutKeyword::PrivateUpload>(
        std::vector<proto::Contact>{{"1", "A"}, {"2", "B"}})[0]);
    EXPECT_EQ(rig.phone->PrivateContacts().size(), 2u);
    // Another controller's upload is not taken, and a new controller does not see it.
    rig.From(rig.other, proto::Write<proto::OutKeyword::PrivateUpload>(
                            std::vector<proto::Contact>{{"9", "Z"}})[0]);
    EXPECT_EQ(rig.phone->PrivateContacts().size(), 2u);
    rig.From(rig.other, std::string("LOGIN: ") + kOtherMac + " ");
    EXPECT_TRUE(rig.phone->PrivateContacts().empty());
    EXPECT_FALSE(rig.phone->UsesPrivateContacts());
}

// ---------------------------------------------------------------------------------------
// Menu, prompt and console.

TEST(PhoneMenu, NamePromptRoundTripChangesWhatIsShown) {
    PhoneRig rig;
    rig.Login();
    auto t = rig.Cmd("KEY: 15");
    proto::MenuMsg menu =
        proto::Read<proto::InKeyword::Menu>(WithPrefix(t, "MENU: ").at(0)).value();
    ASSERT_GE(menu.items.size(), 5u);
    EXPECT_EQ(menu.items[0], "Phone name: Front Desk");
    EXPECT_EQ(menu.selectedItem, 0);

    t = rig.Cmd("KEY: 12"); // Select
    ASSERT_EQ(t.size(), 1u);
    proto::InputRequest req = proto::Read<proto::InKeyword::Input>(t[0]).value();
    EXPECT_EQ(req.prompt, "Phone name");
    EXPECT_EQ(req.firstCaption, "OK");
    EXPECT_EQ(req.secondCaption, "Cancel");
    EXPECT_EQ(req.initialText, "Front Desk");

    // Cancel changes nothing; OK with a new name shows it and discovery reports it.
    rig.Cmd("INPUT: 2 Ignored");
    EXPECT_EQ(rig.phone->Name(), "Front Desk");
    rig.Cmd("KEY: 12");
    t = rig.Cmd("INPUT: 1 Lobby East");
    EXPECT_TRUE(Has(t, "DISP: 0 Lobby East"));
    EXPECT_EQ(Discover(rig, rig.other, kOtherMac).name, "Lobby East");
    // A reply without a prompt is not taken.
    rig.Cmd("INPUT: 1 Sneaky");
    EXPECT_EQ(rig.phone->Name(), "Lobby East");
}

TEST(PhoneMenu, EntriesDoWhatTheySay) {
    PhoneRig rig;
    rig.Login();
    rig.Cmd("KEY: 15");
    rig.Cmd("SELECT: 1");
    auto t = rig.Cmd("KEY: 12"); // Do not disturb
    EXPECT_TRUE(Has(t, "ICON: 105 0"));
    EXPECT_EQ(proto::Read<proto::InKeyword::Menu>(WithPrefix(t, "MENU: ").at(0)).value().items[1],
              "Do not disturb: on");
    EXPECT_TRUE(rig.phone->Ring("5550001")); // rejected at once: a missed call, no ring
    EXPECT_EQ(rig.phone->Call(), Phone::CallState::Idle);
    EXPECT_EQ(rig.phone->Calls().front().kind, CallKind::Missed);

    rig.Cmd("SELECT: 4");
    t = rig.Cmd("KEY: 12"); // Clear call log
    EXPECT_TRUE(rig.phone->Calls().empty());
    EXPECT_EQ(proto::Read<proto::InKeyword::Menu>(WithPrefix(t, "MENU: ").at(0)).value().items[4],
              "Clear call log (0)");

    rig.Cmd("SELECT: 5");
    t = rig.Cmd("KEY: 12"); // Network
    EXPECT_EQ(t.front(), "HIDE_LIST:");
    EXPECT_TRUE(HasPrefix(t, "DISP: 7 Address 10.77.0.11\n"));
    EXPECT_TRUE(HasPrefix(rig.Cmd("KEY: 14"), "MENU: 5 ")); // Back to the menu
}

TEST(PhoneConsole, AnswersInFragmentsBetweenStartAndEnd) {
    PhoneRig rig;
    rig.Login();
    auto t = rig.Cmd("LINUX: echo hello   world");
    EXPECT_EQ(t, (std::vector<std::string>{"LINUX_START:", "LINUX: hello world\n", "LINUX_END:"}));
    EXPECT_EQ(
        rig.Cmd("LINUX: rm -rf /"),
        (std::vector<std::string>{"LINUX_START:", "LINUX: sh: rm: not found\n", "LINUX_END:"}));
    EXPECT_EQ(rig.Cmd("LINUX: true"), (std::vector<std::string>{"LINUX_START:", "LINUX_END:"}));

    // Long output: fragments of at most 1000 characters, cut after a line end, whole in order.
    for (int i = 0; i < 60; ++i)
        rig.Cmd("DIAL: abc"); // fills the phone's own log
    t = rig.Cmd("LINUX: cat /var/log/messages");
    ASSERT_GT(t.size(), 3u);
    std::string joined;
    for (std::size_t i = 1; i + 1 < t.size(); ++i) {
        std::string_view frag = proto::Read<proto::InKeyword::Linux>(t[i]).value();
        EXPECT_LE(frag.size(), Phone::kConsoleFragment);
        EXPECT_EQ(frag.back(), '\n');
        joined += frag;
    }
    EXPECT_NE(joined.find("dial refused: invalid number abc\n"), std::string::npos);
}

// ---------------------------------------------------------------------------------------
// Robustness.

TEST(PhoneRobustness, HostileDatagramsAreIgnoredAndBounded) {
    PhoneConfig cfg = SmallPhone();
    cfg.calls = 2999;
    PhoneRig rig(cfg);
    rig.Login();
    std::vector<std::string> hostile = {
        "",
        std::string(1, '\0'),
        std::string(5000, 'A'),
        "KEY:",
        "KEY: ",
        "KEY: 5x",
        "KEY: 2147483648",
        "KEY: -2147483649",
        "SELECT: 1e9",
        "VOL: ",
        "VOL: 9999999999999",
        "MOD: x 1 2",
        "MOD: 1",
        "ADD: 1",
        "INPUT: 1",
        "INPUT: x y",
        "PBOOK: 3",
        "PBOOK: 2 x y z",
        "PBOOK: 2 1000 5 Far;",
        "PBOOK: 2 5 5 Gap;",
        "ORVN:",
        "LOGIN:",
        "LOGIN: ",
        "key: 5",
        " KEY: 5",
        "LINUX: ",
        "DIAL: ",
        "\xff\xfe\x01",
        std::string(4000, ';'),
    };
    for (FaultKind k : {FaultKind::Empty, FaultKind::Oversize, FaultKind::Nul, FaultKind::Truncated,
                        FaultKind::Garbage})
        for (std::uint64_t seq = 0; seq < 40; ++seq)
            hostile.push_back(MakeFaultDatagram(k, seq, 4500));
    for (const std::string& h : hostile) {
        rig.phone->OnDatagram(rig.dialer, h, false);
        rig.phone->OnDatagram(rig.other, h, false);
        rig.phone->OnDatagram(rig.other, h, true);
    }
    rig.out.Take();
    EXPECT_LE(rig.out.largest, proto::kMaxReceiveLength);
    EXPECT_LE(rig.phone->Calls().size(), 2999u);
    EXPECT_LE(rig.phone->PrivateContacts().size(), 999u);
    EXPECT_EQ(rig.phone->Contacts().size(), 12u);
    // Still the same controller, still answering.
    EXPECT_EQ(rig.phone->ControllerEndpoint(), rig.dialer);
    EXPECT_EQ(Discover(rig, rig.other, kOtherMac).busy, 1);
    EXPECT_TRUE(Has(rig.Cmd("VOL: 10"), "VOL: 1 10 Ringer volume"));
}

TEST(PhoneRobustness, DatagramsFromStrangersChangeNothing) {
    PhoneRig rig;
    rig.Login();
    rig.out.Take();
    for (const char* cmd : {"KEY: 5", "DIAL: 123", "LINUX: ls", "STOP:", "ADD: 1 X", "VOL: 5",
                            "PBOOK: 2", "INPUT: 1 X", "INIT:"})
        EXPECT_TRUE(rig.From(rig.other, cmd).empty()) << cmd;
    EXPECT_EQ(rig.phone->ControllerEndpoint(), rig.dialer);
    EXPECT_EQ(rig.phone->Call(), Phone::CallState::Idle);
}

} // namespace
} // namespace orvane::sim::test
