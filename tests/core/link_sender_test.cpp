// Only the phone in use may drive the dialer: datagrams by sender, link state and keyword,
// accepted or dropped; the trace of dropped datagrams; one box and one prompt at a time.
#include "CRegHelper.h"
#include "FaceIds.h"
#include "FakePorts.h"

#include <gtest/gtest.h>

#include <functional>

namespace orvane {
namespace {

using test::DialerRig;

constexpr const char* kPhone = "10.77.0.11";
constexpr const char* kOther = "10.77.0.12"; // another real phone on the LAN
constexpr const char* kStranger = "10.77.0.66";

std::string Reply(const std::string& ip, const std::string& name = "Desk") {
    return "ORVN: T1 " + ip + " A0B1 0 0 " + name;
}

// Link states, each reached the way a user reaches it.
enum class State { Idle, Searching, LoginPending, Controlling, Probing, Private, Released };

const char* Name(State s) {
    switch (s) {
    case State::Idle: return "idle";
    case State::Searching: return "searching";
    case State::LoginPending: return "login pending";
    case State::Controlling: return "controlling";
    case State::Probing: return "probing";
    case State::Private: return "private connecting";
    case State::Released: return "released";
    }
    return "?";
}

void Reach(DialerRig& rig, State state) {
    switch (state) {
    case State::Idle: rig.Init(); break;
    case State::Searching:
        rig.Init();
        rig.Fire(Timer::Connect);
        break;
    case State::LoginPending:
    case State::Controlling:
    case State::Released:
        rig.Init();
        rig.Fire(Timer::Connect);
        rig.Receive(Reply(kPhone), kPhone);
        rig.Fire(Timer::SearchEnd); // the only free phone: "LOGIN:" goes out at once
        if (state != State::LoginPending) rig.Receive("LOGIN: 1", kPhone);
        if (state == State::Released) rig->OnCommand(Menu::Release);
        break;
    case State::Probing:
        rig.Init();
        rig->OnCommand(Menu::SetIp);
        rig.face().UserSetText(Ctl::EntryEdit, kPhone);
        rig->OnCommand(Ctl::F2);
        break;
    case State::Private:
        rig.settings.SetDword("Private Controller", 1);
        rig.settings.SetString("Private Device IP", kPhone);
        rig.Init();
        rig.Fire(Timer::Connect);
        break;
    }
    rig.Sent();
}

// What each keyword does when it is handled, seen from outside.
struct Probe {
    const char* name;
    std::function<void(DialerRig&, const char* sender)> send;
    std::function<bool(DialerRig&)> handled;
};

const Probe kProbes[] = {
    {"DISP", [](DialerRig& r, const char* s) { r.Receive("DISP: 1 forged line", s); },
     [](DialerRig& r) { return r.face().Text(Ctl::DisplayLine1) == "forged line"; }},
    {"INPUT", [](DialerRig& r, const char* s) { r.Receive("INPUT: 1 Password?;OK;Cancel;", s); },
     [](DialerRig& r) { return !r.dialogs.prompts.empty(); }},
    {"UPDATE_PCLIST", [](DialerRig& r, const char* s) { r.Receive("UPDATE_PCLIST:", s); },
     [](DialerRig& r) { return !r.socket.sent.empty(); }},
    {"LINUX_END",
     [](DialerRig& r, const char* s) {
         r.Receive("LINUX: root\n", s);
         r.Receive("LINUX_END:", s);
     },
     [](DialerRig& r) { return !r.dialogs.boxes.empty(); }},
    {"PBOOK", [](DialerRig& r, const char* s) { r.Receive("PBOOK: -1 1 0900123 Premium;", s); },
     [](DialerRig& r) { return r.face().ListRowCount(Ctl::PhonebookList) > 0; }},
    {"LOGIN", [](DialerRig& r, const char* s) { r.Receive("LOGIN: 1", s); },
     // Accepted: the phone is in use (a private controller stops repeating its login).
     [](DialerRig& r) {
         return r.settings.Dword(kValuePrivateController) == 1
                    ? !r.timers.IsRunning(Timer::Connect)
                    : r.face().IsMenuEnabled(Menu::AttachPrivate);
     }},
    {"ORVN naming its sender", [](DialerRig& r, const char* s) { r.Receive(Reply(s), s); },
     [](DialerRig& r) { return r.face().ListRowCount(Ctl::DeviceList) > 0; }},
    {"ORVN naming another host",
     [](DialerRig& r, const char* s) {
         r.Receive(Reply(std::string(s) == kPhone ? kOther : kPhone), s);
     },
     [](DialerRig& r) { return r.face().ListRowCount(Ctl::DeviceList) > 0; }},
};

struct Row {
    State state;
    const char* sender;
    const char* probe;
    bool handled;
};

TEST(SenderRule, EachStateTakesOnlyWhatItsPhoneMaySend) {
    const Row rows[] = {
        // Before anything is addressed, nobody drives the face.
        {State::Idle, kPhone, "DISP", false},
        {State::Idle, kStranger, "INPUT", false},
        {State::Idle, kStranger, "LOGIN", false},
        {State::Idle, kStranger, "ORVN naming its sender", false},
        // A search takes replies that speak for their sender, from anyone, and nothing else.
        {State::Searching, kPhone, "ORVN naming its sender", true},
        {State::Searching, kStranger, "ORVN naming its sender", true},
        {State::Searching, kStranger, "ORVN naming another host", false},
        {State::Searching, kPhone, "ORVN naming another host", false},
        {State::Searching, kStranger, "DISP", false},
        {State::Searching, kStranger, "LOGIN", false},
        // A login went to the phone: its reply and its face, from it only.
        {State::LoginPending, kPhone, "LOGIN", true},
        {State::LoginPending, kStranger, "LOGIN", false},
        {State::LoginPending, kOther, "LOGIN", false},
        {State::LoginPending, kPhone, "DISP", true},
        {State::LoginPending, kStranger, "DISP", false},
        // In control: the phone drives everything, a stranger nothing.
        {State::Controlling, kPhone, "DISP", true},
        {State::Controlling, kPhone, "INPUT", true},
        {State::Controlling, kPhone, "UPDATE_PCLIST", true},
        {State::Controlling, kPhone, "LINUX_END", true},
        {State::Controlling, kPhone, "PBOOK", true},
        {State::Controlling, kStranger, "DISP", false},
        {State::Controlling, kStranger, "INPUT", false},
        {State::Controlling, kStranger, "UPDATE_PCLIST", false},
        {State::Controlling, kStranger, "LINUX_END", false},
        {State::Controlling, kStranger, "PBOOK", false},
        {State::Controlling, kOther, "PBOOK", false},
        {State::Controlling, kStranger, "ORVN naming its sender", false}, // no search open
        // A "Set IP" probe: the reply of the typed address, naming itself.
        {State::Probing, kPhone, "ORVN naming its sender", true},
        {State::Probing, kStranger, "ORVN naming its sender", false},
        {State::Probing, kPhone, "ORVN naming another host", false},
        // A private controller logs into its stored phone only.
        {State::Private, kPhone, "LOGIN", true},
        {State::Private, kStranger, "LOGIN", false},
        {State::Private, kStranger, "DISP", false},
        // Released: the old phone no longer drives the face.
        {State::Released, kPhone, "DISP", false},
        {State::Released, kPhone, "LOGIN", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(Name(row.state)) + ", " + row.sender + ", " + row.probe);
        const Probe* probe = nullptr;
        for (const Probe& p : kProbes)
            if (std::string(p.name) == row.probe) probe = &p;
        ASSERT_NE(probe, nullptr);
        DialerRig rig;
        Reach(rig, row.state);
        const std::string addrBefore = rig->Socket().DeviceAddr();
        rig.face().ListDeleteAll(Ctl::PhonebookList);
        if (row.state != State::Searching) rig.face().ListDeleteAll(Ctl::DeviceList);
        rig.dialogs.boxes.clear();
        rig.dialogs.prompts.clear();
        rig.platform.stderrLines.clear();

        probe->send(rig, row.sender);
        EXPECT_EQ(probe->handled(rig), row.handled);
        if (!row.handled) {
            // Dropped: no reply, no box, the phone in use stays, and a trace line says so.
            EXPECT_TRUE(rig.socket.sent.empty());
            EXPECT_TRUE(rig.dialogs.boxes.empty());
            EXPECT_EQ(rig->Socket().DeviceAddr(), addrBefore);
            EXPECT_EQ(rig.platform.stderrLines.size(), 1u);
        }
    }
}

TEST(SenderRule, HijackByAStrangersLoginReplyFails) {
    DialerRig rig;
    Reach(rig, State::Controlling);
    rig.Receive("LOGIN: 1", kStranger);
    rig.Receive("UPDATE_PCLIST:", kStranger);
    rig.Receive("INPUT: 1 Password?;OK;Cancel;", kStranger);
    rig->OnCommand(Ctl::Key5);
    EXPECT_EQ(rig->Socket().DeviceAddr(), kPhone);
    for (const test::SentDatagram& d : rig.socket.sent)
        EXPECT_EQ(d.host, kPhone) << d.Text();
    ASSERT_EQ(rig.socket.sent.size(), 1u);
    EXPECT_EQ(rig.socket.sent[0].Text(), "KEY: 5");
}

TEST(SenderRule, UnsolicitedLoginReplySendsNothingAnywhere) {
    // Forged sources: whatever address a LOGIN: claims, nothing goes back to it.
    for (State state : {State::Idle, State::Searching, State::Controlling, State::Released}) {
        SCOPED_TRACE(Name(state));
        DialerRig rig;
        Reach(rig, state);
        for (int i = 0; i < 2; ++i) {
            rig.Receive("LOGIN: 0", "10.77.0.200");
            rig.Receive("UPDATE_PCLIST:", "10.77.0.200");
        }
        rig.Fire(Timer::KeepAlive);
        for (const test::SentDatagram& d : rig.socket.sent)
            EXPECT_NE(d.host, "10.77.0.200");
    }
}

TEST(Discovery, OneEntryPerSenderALaterReplyUpdatesIt) {
    DialerRig rig;
    Reach(rig, State::Searching);
    rig.Receive(Reply(kPhone, "Front Desk"), kPhone);
    rig.Receive(Reply(kStranger, "Sales Office"), kStranger);
    for (int i = 0; i < 500; ++i)
        rig.Receive(Reply(kStranger, "Sales Office " + std::to_string(i)), kStranger);
    rig.Receive("ORVN: T1 10.77.0.11 A0B1 1 Front Desk", kPhone); // now busy, short form
    ASSERT_EQ(rig.face().ListRowCount(Ctl::DeviceList), 2);
    const auto& rows = rig.face().List(Ctl::DeviceList).rows;
    EXPECT_EQ(rows[0].texts[1], "T1");
    EXPECT_EQ(rows[0].texts[2], kPhone);
    EXPECT_EQ(rows[0].image, 1); // the update's busy bar
    EXPECT_EQ(rows[1].texts[4], "Sales Office 499");
}

TEST(Discovery, RepliesNamingNoDottedAddressAreDropped) {
    const char* const names[] = {"phone.example", "localhost",   "10.77.0.011", "10.77.0",
                                 "10.77.0.11.5",  "10.77.0.256", "0x0a.77.0.11"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        DialerRig rig;
        Reach(rig, State::Searching);
        rig.Receive("ORVN: T1 " + std::string(name) + " A0B1 0 0 Desk", kPhone);
        rig->OnDeviceMessage("ORVN: T1 " + std::string(name) + " A0B1 0 0 Desk");
        EXPECT_EQ(rig.face().ListRowCount(Ctl::DeviceList), 0);
    }
}

TEST(DropTrace, FirstDropPerSenderAtOnceThenACountOncePerMinute) {
    DialerRig rig;
    Reach(rig, State::Controlling);
    for (int i = 0; i < 5; ++i)
        rig.Receive("DISP: 1 x", kStranger);
    rig.Receive("DISP: 1 y", "10.77.0.67");
    EXPECT_EQ(rig.platform.stderrLines,
              (std::vector<std::string>{
                  "orvane-dialer: ignored a datagram from 10.77.0.66, which is not the phone in "
                  "use or sent what was not asked; further ones are counted\n",
                  "orvane-dialer: ignored a datagram from 10.77.0.67, which is not the phone in "
                  "use or sent what was not asked; further ones are counted\n"}));
    EXPECT_EQ(rig.timers.Period(Timer::DropTrace), 60000u);
    rig.platform.stderrLines.clear();
    rig.Fire(Timer::DropTrace);
    EXPECT_EQ(rig.platform.stderrLines,
              (std::vector<std::string>{"orvane-dialer: ignored 4 more datagrams from 10.77.0.66 "
                                        "in the last minute\n"}));
    // A quiet minute ends the reports.
    rig.platform.stderrLines.clear();
    rig.Fire(Timer::DropTrace);
    EXPECT_TRUE(rig.platform.stderrLines.empty());
    EXPECT_FALSE(rig.timers.IsRunning(Timer::DropTrace));
}

TEST(DropTrace, AFloodFromManyForgedAddressesWritesFewLines) {
    DialerRig rig;
    Reach(rig, State::Controlling);
    for (int i = 0; i < 20000; ++i)
        rig.Receive("DISP: 1 x",
                    "10.77." + std::to_string(i / 250 + 1) + "." + std::to_string(i % 250 + 1));
    // Eight senders get their first line; the minute's report has eight more and a sum.
    EXPECT_EQ(rig.platform.stderrLines.size(), 8u);
    rig.platform.stderrLines.clear();
    rig.Fire(Timer::DropTrace);
    ASSERT_EQ(rig.platform.stderrLines.size(), 9u);
    EXPECT_EQ(rig.platform.stderrLines.back(),
              "orvane-dialer: ignored 19984 datagrams from other senders in the last minute\n");
}

TEST(Boxes, OneConsoleBoxAtATimeTheLatestAnswerWaits) {
    DialerRig rig;
    Reach(rig, State::Controlling);
    int inside = 0;
    std::function<void()> flood = [&] {
        // 300 answers end while the first box is open; the second box shows the last.
        for (int i = 0; i < 300; ++i) {
            rig.Receive("LINUX_START:", kPhone);
            rig.Receive("LINUX: answer " + std::to_string(i), kPhone);
            rig.Receive("LINUX_END:", kPhone);
        }
        ++inside;
    };
    rig.dialogs.duringModal = flood;
    rig.Receive("LINUX: first", kPhone);
    rig.Receive("LINUX_END:", kPhone);
    ASSERT_EQ(rig.dialogs.boxes.size(), 2u);
    EXPECT_EQ(inside, 1);
    EXPECT_EQ(rig.dialogs.boxes[0].text, "first");
    EXPECT_EQ(rig.dialogs.boxes[1].text, "answer 299");
    EXPECT_TRUE(rig.platform.sleeps.empty()) << "the window never sleeps for a datagram";
}

TEST(Boxes, OnePromptAtATimeTheNewestRequestWaitsAndRepliesKeepOrder) {
    DialerRig rig;
    Reach(rig, State::Controlling);
    rig.dialogs.duringModal = [&] {
        rig.Receive("DISP: 1 behind the prompt", kPhone);
        for (int i = 0; i < 65; ++i)
            rig.Receive("INPUT: 1 Prompt " + std::to_string(i) + ";OK;Cancel;", kPhone);
    };
    rig.dialogs.inputAnswers.push_back({1, "first"});
    rig.dialogs.inputAnswers.push_back({2, "newest"});
    rig.Receive("INPUT: 1 First;OK;Cancel;", kPhone);
    ASSERT_EQ(rig.dialogs.prompts.size(), 2u);
    EXPECT_EQ(rig.dialogs.prompts[0].prompt, "First");
    EXPECT_EQ(rig.dialogs.prompts[1].prompt, "Prompt 64");
    EXPECT_EQ(rig.Sent(), (std::vector<std::string>{"INPUT: 1 first", "INPUT: 2 newest"}));
    EXPECT_EQ(rig.face().Text(Ctl::DisplayLine1), "behind the prompt");
    EXPECT_TRUE(rig.platform.sleeps.empty());
    EXPECT_TRUE(rig.HandlesAtOnce());
}

TEST(Console, OutputIsCutAfter64KilobytesWithOneLineSayingSo) {
    DialerRig rig;
    Reach(rig, State::Controlling);
    rig.Receive("LINUX_START:", kPhone);
    const std::string fragment(3990, 'x');
    for (int i = 0; i < 5000; ++i)
        rig.Receive("LINUX: " + fragment, kPhone);
    rig.Receive("LINUX_END:", kPhone);
    ASSERT_EQ(rig.dialogs.boxes.size(), 1u);
    const std::string& text = rig.dialogs.boxes[0].text;
    const std::string notice = "\n[The rest of the output was cut: more than 64 KB.]";
    ASSERT_EQ(text.size(), 65536u + notice.size());
    EXPECT_EQ(text.substr(65536), notice);
    // The next answer starts afresh.
    rig.Receive("LINUX_START:", kPhone);
    rig.Receive("LINUX: short", kPhone);
    rig.Receive("LINUX_END:", kPhone);
    EXPECT_EQ(rig.dialogs.boxes.back().text, "short");
}

} // namespace
} // namespace orvane
