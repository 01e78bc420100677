// The Linux console: console mode (Alt+L) with its mark on the entry and its ways out, and
// the answer: fragments collected between "LINUX_START:" and "LINUX_END:", shown in one
// box, with the device's further messages handled while the box is open.
#include "FaceIds.h"
#include "FakePorts.h"

#include <gtest/gtest.h>

#include <functional>

namespace orvane {
namespace {

using test::DialerRig;

class Console : public ::testing::Test {
  protected:
    void SetUp() override {
        rig.Init();
        rig.Address();
        rig.Sent();
    }
    void Run(const std::vector<std::string>& messages) {
        for (const std::string& m : messages)
            rig.Receive(m);
    }
    const std::vector<test::ShownBox>& Boxes() { return rig.dialogs.boxes; }
    // The answer collected so far: a further "LINUX_END:" shows it again.
    std::string Collected() {
        rig.dialogs.duringModal = nullptr;
        rig.Receive("LINUX_END:");
        return Boxes().empty() ? std::string() : Boxes().back().text;
    }

    DialerRig rig;
};

TEST_F(Console, AnswerIsCollectedVerbatimAndShownInOneBox) {
    struct Case {
        std::vector<std::string> messages;
        std::string shown;
    };
    const Case cases[] = {
        {{"LINUX_START:", "LINUX: total 8\n", "LINUX: -rw-r--r-- 1 root  cfg\n", "LINUX_END:"},
         "total 8\n-rw-r--r-- 1 root  cfg\n"},
        {{"LINUX_START:", "LINUX: par", "LINUX: tial line\r\n", "LINUX_END:"}, "partial line\r\n"},
        {{"LINUX_START:", "LINUX_END:"}, ""},
        {{"LINUX_START:", "LINUX:", "LINUX: ", "LINUX:  x", "LINUX_END:"}, " x"},
        {{"LINUX_START:", "LINUX: " + std::string(3993, 'o'), "LINUX_END:"},
         std::string(3993, 'o')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown.substr(0, 20));
        rig.dialogs.boxes.clear();
        Run(c.messages);
        ASSERT_EQ(Boxes().size(), 1u);
        EXPECT_EQ(Boxes()[0].text, c.shown);
        EXPECT_EQ(Boxes()[0].caption, "Linux Response");
        EXPECT_EQ(Boxes()[0].buttons, MsgButtons::Ok);
        EXPECT_EQ(Boxes()[0].icon, MsgIcon::Information);
        EXPECT_TRUE(Boxes()[0].owned);
        EXPECT_EQ(Collected(), c.shown) << "the text stays after the box";
        EXPECT_TRUE(rig.Sent().empty());
    }
}

TEST_F(Console, FragmentsWithoutAStartAddToThePreviousAnswer) {
    Run({"LINUX_START:", "LINUX: first\n", "LINUX_END:"});
    Run({"LINUX: more\n", "LINUX_END:"});
    Run({"LINUX_END:"});
    ASSERT_EQ(Boxes().size(), 3u);
    EXPECT_EQ(Boxes()[1].text, "first\nmore\n");
    EXPECT_EQ(Boxes()[2].text, "first\nmore\n");
}

TEST_F(Console, MessagesArrivingWhileTheBoxIsOpenAreHandledAtOnce) {
    rig.dialogs.duringModal = [&] {
        EXPECT_TRUE(rig.HandlesAtOnce());
        rig.Receive("DISP: 1 behind the box");
        // A second command's answer: its start empties the text, its end opens a box
        // above the first, which keeps showing the first answer.
        rig.Receive("LINUX_START:");
        rig.Receive("LINUX: second\n");
        rig.Receive("LINUX_END:");
    };
    Run({"LINUX_START:", "LINUX: first\n", "LINUX_END:"});
    EXPECT_TRUE(rig.platform.sleeps.empty()) << "no hold-off while the box is open";
    EXPECT_EQ(rig.face().Text(Ctl::DisplayLine1), "behind the box");
    ASSERT_EQ(Boxes().size(), 2u);
    EXPECT_EQ(Boxes()[0].text, "first\n");
    EXPECT_EQ(Boxes()[1].text, "second\n");
    EXPECT_TRUE(rig.HandlesAtOnce());
    EXPECT_EQ(Collected(), "second\n");
}

TEST_F(Console, OpenBoxKeepsItsTextWhileFragmentsArrive) {
    rig.dialogs.duringModal = [&] { rig.Receive("LINUX: late\n"); };
    Run({"LINUX_START:", "LINUX: early\n", "LINUX_END:"});
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, "early\n");
    EXPECT_EQ(Collected(), "early\nlate\n");
}

// --- Console mode ----------------------------------------------------------------------

// A controlled phone showing its idle screen, the console opened with Alt+L and "ls /"
// typed and sent once.
void OpenConsoleAndSendLs(DialerRig& rig) {
    rig.Init();
    rig.Address();
    for (const char* m : {"SHOW_DIALPAD:", "DISP: 0 Front Desk", "DISP: 1 Tue 09 Dec 14:05"})
        rig.Receive(m);
    rig->OnCommand(Ctl::LinuxSecret);
    rig.face().UserSetText(Ctl::EntryEdit, "ls /");
    rig->OnCommand(Ctl::Send);
}

class ConsoleMode : public ::testing::Test {
  protected:
    void SetUp() override { OpenConsoleAndSendLs(rig); }
    const Control& Entry() { return rig.face().Get(Ctl::EntryEdit); }
    DialerRig rig;
};

TEST_F(ConsoleMode, TheEntryCarriesTheConsoleMarkAndSendRepeatsTheLine) {
    EXPECT_EQ(rig.Sent(), std::vector<std::string>{"LINUX: ls /"});
    EXPECT_TRUE(Entry().visible);
    EXPECT_EQ(Entry().tag, "console");
    EXPECT_EQ(Entry().text, "ls /");
    for (int id : {Ctl::DisplayLine0, Ctl::DisplayLine1, Ctl::DisplayLine2, Ctl::DisplayLine3})
        EXPECT_FALSE(rig.face().IsVisible(id)) << id;

    // The answer's box and the phone's line 1 leave the mode as it was.
    for (const char* m : {"LINUX_START:", "LINUX: bin\n", "LINUX_END:", "DISP: 1 14:06"})
        rig.Receive(m);
    EXPECT_EQ(rig.dialogs.boxes.size(), 1u);
    EXPECT_EQ(Entry().tag, "console");
    rig.face().SetFocus(Ctl::EntryEdit);
    rig->OnOK();
    rig->OnCommand(Ctl::Send);
    EXPECT_EQ(rig.Sent(), (std::vector<std::string>{"LINUX: ls /", "LINUX: ls /"}));
}

TEST(ConsoleModeEnd, ByAltLOrWhenThePhonesScreenTakesTheEntrysPlace) {
    struct Case {
        const char* what;
        std::function<void(DialerRig&)> end;
        std::vector<std::string> sent; // by the end itself
        bool line0Shown;
    };
    const Case cases[] = {
        {"Alt+L again", [](DialerRig& r) { r->OnCommand(Ctl::LinuxSecret); }, {"DISP:"}, true},
        {"the idle screen", [](DialerRig& r) { r.Receive("DISP: 0 Front Desk"); }, {}, true},
        {"a call's three lines",
         [](DialerRig& r) { r.Receive("DISP: 7 Incoming call\nAnn\n0301"); },
         {},
         false},
        {"the phonebook", [](DialerRig& r) { r.Receive("PBOOK: -1 "); }, {}, false},
        {"the volume screen", [](DialerRig& r) { r.Receive("VOL: 1 50 Ringer"); }, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DialerRig rig;
        OpenConsoleAndSendLs(rig);
        rig.Sent();
        c.end(rig);
        const Control& entry = rig.face().Get(Ctl::EntryEdit);
        EXPECT_EQ(rig.Sent(), c.sent);
        EXPECT_FALSE(entry.visible);
        EXPECT_EQ(entry.tag, "");
        EXPECT_EQ(entry.text, "") << "the console line stays behind";
        EXPECT_EQ(rig.face().IsVisible(Ctl::DisplayLine0), c.line0Shown);
        // SEND is the phone's key again, not the console line once more (the list screen
        // disables SEND; here it is pressed all the same).
        rig.face().Enable(Ctl::Send, true);
        rig->OnCommand(Ctl::Send);
        EXPECT_EQ(rig.Sent(), std::vector<std::string>{"KEY: 19"});
        // Alt+L opens it anew, empty.
        rig->OnCommand(Ctl::LinuxSecret);
        EXPECT_TRUE(entry.visible);
        EXPECT_EQ(entry.tag, "console");
        EXPECT_EQ(entry.text, "");
    }
}

TEST_F(ConsoleMode, AltLGivesBackTheLinesItHid) {
    rig->OnCommand(Ctl::LinuxSecret);
    const FaceModel& f = rig.face();
    EXPECT_TRUE(f.IsVisible(Ctl::DisplayLine0));
    EXPECT_TRUE(f.IsVisible(Ctl::DisplayLine1));
    EXPECT_FALSE(f.IsVisible(Ctl::DisplayLine2));
    EXPECT_EQ(f.Text(Ctl::DisplayLine0), "Front Desk");
}

TEST_F(Console, AltLOpensOnWhatTheFaceShows) {
    struct Case {
        const char* what;
        bool entryShown;
        std::string entry;
    };
    const Case cases[] = {{"an address left in the hidden entry", false, ""},
                          {"a number being dialled", true, "0301"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        rig.face().UserSetText(Ctl::EntryEdit, c.entry.empty() ? "10.0.0.5" : c.entry);
        rig.face().Show(Ctl::EntryEdit, c.entryShown);
        rig->OnCommand(Ctl::LinuxSecret);
        EXPECT_EQ(rig.face().Text(Ctl::EntryEdit), c.entry);
        EXPECT_EQ(rig.face().Get(Ctl::EntryEdit).tag, "console");
        rig->OnCommand(Ctl::LinuxSecret);
    }
}

TEST_F(Console, AltLLeavesAPasswordOrAddressPromptAlone) {
    rig->OnCommand(Menu::SetIp);
    rig.face().UserSetText(Ctl::EntryEdit, "10.0.0.5");
    rig->OnCommand(Ctl::LinuxSecret);
    const Control& entry = rig.face().Get(Ctl::EntryEdit);
    EXPECT_EQ(entry.tag, "");
    EXPECT_TRUE(rig.face().IsVisible(Ctl::DisplayLine1)) << "the prompt's line stays";
    rig.face().SetFocus(Ctl::EntryEdit);
    rig->OnOK(); // applies the address, as F2 does
    EXPECT_EQ(rig.Sent(), (std::vector<std::string>{"STOP:", "ORVN: 00:1A:2B:3C:4D:5E\n"}));
}

TEST_F(Console, APromptTakesTheEntryOverFromTheConsole) {
    rig->OnCommand(Ctl::LinuxSecret);
    rig.face().UserSetText(Ctl::EntryEdit, "cat /etc/passwd");
    rig->OnCommand(Menu::SetIp);
    const Control& entry = rig.face().Get(Ctl::EntryEdit);
    EXPECT_EQ(entry.tag, "");
    EXPECT_EQ(entry.text, "");
    EXPECT_TRUE(entry.visible);
    EXPECT_EQ(rig.face().Text(Ctl::F2), "Apply");
}

} // namespace
} // namespace orvane
