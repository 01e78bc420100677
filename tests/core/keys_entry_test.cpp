// Keypad keys, typing at the caret, the SEND action and the local backspace.
#include "FaceIds.h"
#include "FakePorts.h"

#include <gtest/gtest.h>

namespace orvane::test {
namespace {

// A dialer that controls a device, with nothing sent yet.
struct KeysRig : DialerRig {
    KeysRig() {
        Init();
        Address();
        Sent();
    }
    void Type(const std::string& text, int selStart, int selEnd) {
        face().UserSetText(Ctl::EntryEdit, text);
        face().UserSetEditSel(Ctl::EntryEdit, selStart, selEnd);
    }
    const Control& Entry() { return face().Get(Ctl::EntryEdit); }
    // The phone reports its handset off: the keypad types into the entry from now on.
    void HookOn() { dlg->OnDeviceMessage("HOOK: ON"); }
};

TEST(KeysEntry, KeypadKeysForwardTheirNamesWhileTheHookFlagIsClear) {
    const std::pair<int, const char*> keys[] = {
        {Ctl::Key1, "KEY: 1"}, {Ctl::Key5, "KEY: 5"},     {Ctl::Key9, "KEY: 9"},
        {Ctl::Key0, "KEY: 0"}, {Ctl::KeyStar, "KEY: 10"}, {Ctl::KeyHash, "KEY: 11"},
    };
    for (const auto& [id, sent] : keys) {
        KeysRig rig;
        rig.Type("12", 1, 1);
        rig->OnCommand(id);
        EXPECT_EQ(rig.Sent(), std::vector<std::string>{sent}) << id;
        EXPECT_EQ(rig.Entry().text, "12") << id;
        EXPECT_EQ(rig.Entry().selStart, 1) << id;
        EXPECT_EQ(rig.Entry().selEnd, 1) << id;
    }
}

TEST(KeysEntry, KeypadTypesAtTheCaretAndMovesTheSelectionWithItsText) {
    struct Case {
        std::string text;
        int selStart, selEnd;
        int key;
        std::string want;
        int wantStart, wantEnd;
    };
    const Case cases[] = {
        {"12", 1, 1, Ctl::Key9, "192", 2, 2},      // caret between 1 and 2
        {"345", 1, 3, Ctl::KeyHash, "3#45", 2, 4}, // in front of a selection, not over it
        {"12", 0, 0, Ctl::KeyStar, "*12", 1, 1},
        {"12", 2, 2, Ctl::Key0, "120", 3, 3},
        {"12", 0, 2, Ctl::Key7, "712", 1, 3},
        {"7", 5, 9, Ctl::Key2, "72", 2, 2}, // a stale selection past the end counts as the end
    };
    for (const Case& c : cases) {
        KeysRig rig;
        rig.HookOn();
        rig.Type(c.text, c.selStart, c.selEnd);
        rig->OnCommand(c.key);
        EXPECT_EQ(rig.Entry().text, c.want) << c.text;
        EXPECT_EQ(rig.Entry().selStart, c.wantStart) << c.text;
        EXPECT_EQ(rig.Entry().selEnd, c.wantEnd) << c.text;
        EXPECT_EQ(rig.face().Focus(), Ctl::EntryEdit) << c.text;
        EXPECT_TRUE(rig.Sent().empty()) << c.text;
    }
}

TEST(KeysEntry, FirstKeyOffHookOpensTheDiallingFace) {
    KeysRig rig;
    rig.HookOn();
    rig.face().SetText(Ctl::DisplayLine1, "Dial:");
    rig->OnCommand(Ctl::Key4);

    for (int id :
         {Ctl::DisplayLine0, Ctl::DisplayLine2, Ctl::DisplayLine3, Ctl::F1, Ctl::F2, Ctl::F3})
        EXPECT_FALSE(rig.face().IsVisible(id)) << id;
    EXPECT_TRUE(rig.face().IsVisible(Ctl::DisplayLine1));
    EXPECT_EQ(rig.face().Text(Ctl::DisplayLine1), "Dial:");
    EXPECT_TRUE(rig.face().IsVisible(Ctl::EntryEdit));
    EXPECT_EQ(rig.Entry().text, "4");
    EXPECT_TRUE(rig.face().IsVisible(Ctl::DeleteKey));
    EXPECT_TRUE(rig.face().IsVisible(Ctl::BackKey));
    EXPECT_EQ(rig.face().Get(Ctl::DeleteKey).images, (ImageSet{Bmp::Delete, 0, 0, 0}));
    EXPECT_EQ(rig.face().Get(Ctl::BackKey).images, (ImageSet{Bmp::Back, 0, 0, 0}));
    EXPECT_TRUE(rig.Sent().empty());
}

TEST(KeysEntry, SendChoosesBetweenConsoleLineAndDialCommand) {
    struct Case {
        std::string entry;
        std::vector<std::string> sent;
        std::string entryAfter;
    };
    const Case cases[] = {
        {"ls -l /tmp", {"LINUX: ls -l /tmp"}, "ls -l /tmp"},
        {"10.77.0.9", {"LINUX: 10.77.0.9"}, "10.77.0.9"}, // a dotted address
        {"/", {"LINUX: /"}, "/"},
        {"CALL Bob", {"LINUX: CALL Bob"}, "CALL Bob"}, // one lower-case letter is enough
        {"5551234", {"DISP:", "DIAL: 5551234"}, ""},
        {"*21# 0049 ABC", {"DISP:", "DIAL: *21# 0049 ABC"}, ""}, // capitals and blanks dial
    };
    for (const Case& c : cases) {
        KeysRig rig;
        rig.HookOn();
        rig->OnDeviceMessage("VOL: 1 50 Volume"); // a screen other than the dial pad
        rig.Type(c.entry, 0, 0);
        rig->OnCommand(Ctl::Send);
        EXPECT_EQ(rig.Sent(), c.sent) << c.entry;
        EXPECT_EQ(rig.Entry().text, c.entryAfter) << c.entry;
        // Dialling brings the dial pad; a console line leaves the screen as it is.
        EXPECT_EQ(ScreenOnView(rig.face()), c.entryAfter.empty() ? FaceDialpad : FaceVolume)
            << c.entry;
        EXPECT_TRUE(rig.KeypadTypesLocally()) << c.entry; // only the device ends the call
        EXPECT_TRUE(rig.dialogs.boxes.empty()) << c.entry;
    }
}

TEST(KeysEntry, SendOnAnEmptyEntryEndsLocalDialling) {
    KeysRig rig;
    rig.HookOn();
    rig->OnCommand(Ctl::Send);
    EXPECT_EQ(rig.Sent(), std::vector<std::string>{"KEY: 19"});

    rig->OnCommand(Ctl::Key3); // the hook flag is clear: forwarded again
    EXPECT_EQ(rig.Sent(), std::vector<std::string>{"KEY: 3"});
}

TEST(KeysEntry, OverLongEntriesAreRefusedAndKeptForCorrection) {
    struct Case {
        std::string entry;
        bool refused;
        std::string boxText;
    };
    const std::string dialBox = "The number is too long to dial (at most 25 characters).";
    const std::string lineBox = "The command line is too long (at most 56 characters).";
    const Case cases[] = {
        {std::string(25, '5'), false, ""},
        {std::string(26, '5'), true, dialBox},
        {"ls " + std::string(53, 'x'), false, ""}, // 56 characters
        {"ls " + std::string(54, 'x'), true, lineBox},
        {std::string(40, '1') + "x", false, ""}, // a console line may be longer than a number
    };
    for (const Case& c : cases) {
        KeysRig rig;
        rig->OnDeviceMessage("VOL: 1 50 Volume"); // a screen other than the dial pad
        rig.Type(c.entry, 0, 0);
        rig->OnCommand(Ctl::Send);
        const std::vector<std::string> sent = rig.Sent();
        if (c.refused) {
            EXPECT_TRUE(sent.empty()) << c.entry;
            ASSERT_EQ(rig.dialogs.boxes.size(), 1u) << c.entry;
            EXPECT_EQ(rig.dialogs.boxes[0].text, c.boxText);
            EXPECT_EQ(rig.dialogs.boxes[0].caption, "Orvane's SIP Dialer");
            EXPECT_EQ(rig.dialogs.boxes[0].icon, MsgIcon::Warning);
            EXPECT_EQ(rig.Entry().text, c.entry);
            EXPECT_EQ(ScreenOnView(rig.face()), FaceVolume) << c.entry;
        } else {
            EXPECT_FALSE(sent.empty()) << c.entry;
            EXPECT_TRUE(rig.dialogs.boxes.empty()) << c.entry;
        }
        for (const std::string& line : sent)
            EXPECT_LE(line.size(), 63u);
    }
}

TEST(KeysEntry, BackspaceRemovesTheCharacterBeforeTheCaret) {
    struct Case {
        std::string text;
        int selStart, selEnd;
        std::string want;
        int wantStart, wantEnd;
    };
    const Case cases[] = {
        {"192", 2, 2, "12", 1, 1},   {"192", 3, 3, "19", 2, 2},
        {"3#45", 2, 4, "345", 1, 3}, // the selection is not removed with it
        {"12", 0, 0, "12", 0, 0},    // caret at the start: nothing changes
        {"12", 0, 2, "12", 0, 0},    // only the selection is dropped
        {"7", 0, 0, "7", 0, 0},
    };
    for (const Case& c : cases) {
        KeysRig rig;
        rig.HookOn(); // on the dial pad
        rig.Type(c.text, c.selStart, c.selEnd);
        rig->OnCommand(Ctl::F2);
        EXPECT_EQ(rig.Entry().text, c.want) << c.text << " " << c.selStart;
        EXPECT_EQ(rig.Entry().selStart, c.wantStart) << c.text << " " << c.selStart;
        EXPECT_EQ(rig.Entry().selEnd, c.wantEnd) << c.text << " " << c.selStart;
        EXPECT_TRUE(rig.face().IsVisible(Ctl::EntryEdit));
        EXPECT_TRUE(rig.Sent().empty()) << c.text;
    }
}

TEST(KeysEntry, BackspaceOfTheLastCharacterGivesTheDisplayBack) {
    KeysRig rig;
    rig.HookOn();              // on the dial pad
    rig->OnCommand(Ctl::Key8); // dialling face with "8"
    rig->OnCommand(Ctl::DeleteKey);
    EXPECT_EQ(rig.Sent(), std::vector<std::string>{"DISP:"});
    EXPECT_EQ(rig.Entry().text, "");
    EXPECT_FALSE(rig.face().IsVisible(Ctl::EntryEdit));

    // The hook flag stays set: the next key opens the dialling face again.
    rig->OnCommand(Ctl::Key2);
    EXPECT_TRUE(rig.face().IsVisible(Ctl::EntryEdit));
    EXPECT_EQ(rig.Entry().text, "2");
    EXPECT_TRUE(rig.Sent().empty());
}

TEST(KeysEntry, ConsoleCommandOpensTheEntryWithoutSending) {
    KeysRig rig;
    rig.face().Show(Ctl::EntryEdit, false);
    rig->OnCommand(Ctl::LinuxSecret);
    for (int id : {Ctl::DisplayLine0, Ctl::DisplayLine1, Ctl::DisplayLine2, Ctl::DisplayLine3})
        EXPECT_FALSE(rig.face().IsVisible(id)) << id;
    EXPECT_TRUE(rig.face().IsVisible(Ctl::EntryEdit));
    EXPECT_EQ(rig.face().Focus(), Ctl::EntryEdit);
    EXPECT_TRUE(rig.Sent().empty());
}

} // namespace
} // namespace orvane::test

namespace orvane::test {
namespace {

TEST(KeysEntry, KeyboardKeysActAsTheKeypadWhileItIsUsable) {
    struct Case {
        const char* what;
        bool hook;
        int focus;
        bool keypadShown;
        char key;
        bool taken;
        std::vector<std::string> sent;
        std::string entry;
    };
    const Case cases[] = {
        {"idle: the key's datagram", false, 0, true, '5', true, {"KEY: 5"}, "12"},
        {"idle: star", false, 0, true, '*', true, {"KEY: 10"}, "12"},
        {"idle: hash", false, Ctl::DeviceList, true, '#', true, {"KEY: 11"}, "12"},
        {"dialling: typed at the caret", true, Ctl::EntryEdit, true, '9', true, {}, "192"},
        {"console line typed into the entry", false, Ctl::EntryEdit, true, '9', false, {}, "12"},
        {"contact editor field", true, Ctl::NameEdit, true, '9', false, {}, "12"},
        {"keypad hidden (a list screen)", false, 0, false, '5', false, {}, "12"},
        {"no keypad glyph", false, 0, true, 'a', false, {}, "12"},
    };
    for (const Case& c : cases) {
        KeysRig rig;
        if (c.hook) rig.HookOn();
        rig.Type("12", 1, 1);
        rig.face().UserSetFocus(c.focus);
        if (!c.keypadShown) rig->ShowKeypad(false);
        EXPECT_EQ(rig->OnKeyboardKeypad(c.key), c.taken) << c.what;
        EXPECT_EQ(rig.Sent(), c.sent) << c.what;
        EXPECT_EQ(rig.Entry().text, c.entry) << c.what;
    }
}

TEST(KeysEntry, KeyboardBackspaceIsTheDiallingBackspaceOnly) {
    struct Case {
        const char* what;
        bool hook;
        std::string text;
        bool taken;
        std::string entry;
    };
    const Case cases[] = {
        {"dialling", true, "123", true, "13"},
        {"no number typed", true, "", false, ""},
        {"hook clear (the edit's own backspace)", false, "123", false, "123"},
    };
    for (const Case& c : cases) {
        KeysRig rig;
        rig->ShowDialpadScreen();
        rig.Sent();
        if (c.hook) rig.HookOn();
        rig.Type(c.text, 2, 2);
        EXPECT_EQ(rig->OnKeyboardBackspace(), c.taken) << c.what;
        EXPECT_EQ(rig.Entry().text, c.entry) << c.what;
        EXPECT_TRUE(rig.Sent().empty()) << c.what;
    }
}

// A phone that wants a password picked from the list: the prompt is open.
void AskForPassword(DialerRig& rig) {
    rig.Fire(Timer::Connect);
    rig.Receive("ORVN: T1 10.77.0.13 ID13 0 1 Sales Office", "10.77.0.13");
    rig.Fire(Timer::SearchEnd);
    rig->OnListClick(Ctl::DeviceList, 0);
    ASSERT_EQ(rig.face().Text(Ctl::DisplayLine1), "Enter Password:");
}

TEST(KeysEntry, KeypadDuringPasswordOrAddressEntryTypesLocally) {
    for (const bool address : {false, true}) {
        KeysRig rig;
        if (address) {
            rig->OnCommand(Menu::SetIp);
        } else {
            AskForPassword(rig);
        }
        rig.Sent();
        for (int key : {Ctl::Key4, Ctl::Key7, Ctl::Key1, Ctl::Key1})
            rig->OnCommand(key);
        EXPECT_TRUE(rig.Sent().empty()) << address;
        EXPECT_EQ(rig.Entry().text, "4711") << address;
        EXPECT_EQ(rig.face().Focus(), Ctl::EntryEdit) << address;
        // The dialling face stays away: the prompt is still on the display.
        EXPECT_TRUE(rig.face().IsVisible(Ctl::DisplayLine1)) << address;
        EXPECT_FALSE(rig.face().IsVisible(Ctl::DeleteKey)) << address;
    }
    // No more than the field holds.
    KeysRig rig;
    AskForPassword(rig);
    const int limit = rig.Entry().maxLength;
    ASSERT_GT(limit, 0);
    for (int i = 0; i < limit + 3; ++i)
        rig->OnCommand(Ctl::Key1);
    EXPECT_EQ(rig.Entry().text, std::string(static_cast<std::size_t>(limit), '1'));
}

} // namespace
} // namespace orvane::test
