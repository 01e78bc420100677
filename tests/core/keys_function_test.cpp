// Call, volume, tab and soft keys: the key code each sends and what each does locally.
#include "FaceIds.h"
#include "FakePorts.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace orvane::test {
namespace {

struct KeysRig : DialerRig {
    KeysRig() {
        Init();
        Address();
        Sent();
    }
    // The phone reports its handset off: the keypad types into the entry from now on.
    void HookOn() { dlg->OnDeviceMessage("HOOK: ON"); }
    // A phone that wants a password picked from the list: the prompt is open.
    void AskForPassword() {
        Fire(Timer::Connect);
        Receive("ORVN: T1 10.77.0.13 ID13 0 1 Sales Office", "10.77.0.13");
        Fire(Timer::SearchEnd);
        dlg->OnListClick(Ctl::DeviceList, 0);
        ASSERT_EQ(face().Text(Ctl::DisplayLine1), "Enter Password:");
    }
    // Whether the phone's volume report moves the slider's thumb to its level.
    bool ThumbFollowsThePhone() {
        face().UserSetSliderPos(Ctl::VolumeSlider, 10);
        Receive("VOL: 1 77 Volume");
        return face().Get(Ctl::VolumeSlider).pos == 77;
    }
    TabImages Tabs() {
        return {face().Get(Ctl::MenuTab).images, face().Get(Ctl::ContactsTab).images,
                face().Get(Ctl::CallLogsTab).images, face().Get(Ctl::DialpadTab).images};
    }
};

bool SameTabs(const TabImages& a, const TabImages& b) {
    return a.menu == b.menu && a.contacts == b.contacts && a.callLogs == b.callLogs &&
           a.dialpad == b.dialpad;
}

TEST(KeysFunction, EachKeySendsItsCode) {
    const std::pair<int, const char*> keys[] = {
        {Ctl::F1, "KEY: 12"},          {Ctl::EditKey, "KEY: 12"},    {Ctl::F2, "KEY: 13"},
        {Ctl::DeleteKey, "KEY: 13"},   {Ctl::F3, "KEY: 14"},         {Ctl::BackKey, "KEY: 14"},
        {Ctl::MenuTab, "KEY: 15"},     {Ctl::Mute, "KEY: 16"},       {Ctl::VolPlus, "KEY: 17"},
        {Ctl::VolMinus, "KEY: 18"},    {Ctl::End, "KEY: 20"},        {Ctl::ContactsTab, "KEY: 23"},
        {Ctl::CallLogsTab, "KEY: 24"}, {Ctl::DialpadTab, "KEY: 25"},
    };
    for (const auto& [id, sent] : keys) {
        KeysRig rig;
        rig.face().Show(id, true); // icon keys and MUTE show only when the device asks
        rig.face().SetImages(Ctl::EditKey, {Bmp::New, 0, 0, 0});
        rig->OnCommand(id);
        EXPECT_EQ(rig.Sent(), std::vector<std::string>{sent}) << id;
    }
}

TEST(KeysFunction, TabKeysHighlightTheirTabAfterSending) {
    struct Case {
        int id;
        TabState state;
    };
    const Case cases[] = {{Ctl::MenuTab, TabState::Menu},
                          {Ctl::ContactsTab, TabState::Contacts},
                          {Ctl::CallLogsTab, TabState::CallLogs}};
    for (const Case& c : cases) {
        KeysRig rig;
        const int faceMode = ScreenOnView(rig.face());
        rig->OnCommand(c.id);
        EXPECT_TRUE(SameTabs(rig.Tabs(), TabImagesFor(c.state))) << c.id;
        EXPECT_EQ(ScreenOnView(rig.face()), faceMode)
            << c.id;          // the device's answer switches screens
        rig->OnCommand(c.id); // pressed again: the same pictures
        EXPECT_TRUE(SameTabs(rig.Tabs(), TabImagesFor(c.state))) << c.id;
        EXPECT_EQ(rig.Sent().size(), 2u);
    }
}

TEST(KeysFunction, DialpadTabLeavesTheHighlightToTheDevice) {
    KeysRig rig;
    const TabImages before = rig.Tabs();
    rig->OnCommand(Ctl::DialpadTab);
    EXPECT_TRUE(SameTabs(rig.Tabs(), before));
    EXPECT_EQ(rig.face().Get(Ctl::DialpadTab).images.normal, Bmp::DialpadGrey);
}

TEST(KeysFunction, EndDuringLocalDiallingOnlySendsItsCode) {
    KeysRig rig;
    rig.HookOn();
    rig->OnCommand(Ctl::Key5);
    rig->OnCommand(Ctl::End);
    EXPECT_EQ(rig.Sent(), std::vector<std::string>{"KEY: 20"});
    EXPECT_EQ(rig.face().Text(Ctl::EntryEdit), "5");
    EXPECT_TRUE(rig.KeypadTypesLocally());
}

TEST(KeysFunction, F2ChoosesApplyThenBackspaceThenKeyCode) {
    struct Case {
        const char* name;
        bool setIp, password;
        int faceMode;
        bool hook;
        std::string entry;
        std::string wantEntry; // the entry edit's text afterwards
        bool wantKey13;
    };
    const Case cases[] = {
        {"address apply", true, false, FaceDialpad, true, "10.77.0.9", "", false},
        {"address over a password prompt", true, true, FaceDialpad, true, "10.77.0.9", "", false},
        {"password apply", false, true, FaceDialpad, true, "secret", "", false},
        {"backspace", false, false, FaceDialpad, true, "12", "1", false},
        {"empty entry", false, false, FaceDialpad, true, "", "", true},
        {"hook clear", false, false, FaceDialpad, false, "12", "12", true},
        {"list screen", false, false, FacePhonebook, true, "12", "12", true},
        {"contact editor", false, false, FaceContactEditor, true, "12", "12", true},
    };
    for (const Case& c : cases) {
        KeysRig rig;
        if (c.hook) rig.HookOn(); // on the dial pad
        if (c.faceMode == FaceDialpad && !c.hook) rig->ShowDialpadScreen();
        if (c.faceMode == FacePhonebook) rig->ShowPhonebookScreen();
        if (c.faceMode == FaceContactEditor) rig->OnDeviceMessage("ADD:");
        if (c.password) rig.AskForPassword();
        if (c.setIp) rig->OnCommand(Menu::SetIp); // over a password prompt, replaces it
        rig.socket.sent.clear();
        rig.face().UserSetText(Ctl::EntryEdit, c.entry);
        rig.face().UserSetEditSel(Ctl::EntryEdit, static_cast<int>(c.entry.size()),
                                  static_cast<int>(c.entry.size()));
        rig->OnCommand(Ctl::F2);

        const std::vector<SentDatagram> sent = rig.socket.sent;
        const bool key13 = std::any_of(sent.begin(), sent.end(),
                                       [](const SentDatagram& d) { return d.Text() == "KEY: 13"; });
        EXPECT_EQ(key13, c.wantKey13) << c.name;
        if (!c.wantKey13) {
            for (const SentDatagram& d : sent)
                EXPECT_NE(d.Text().rfind("KEY:", 0), 0u) << c.name << ": " << d.Text();
        } else {
            EXPECT_EQ(sent.size(), 1u) << c.name;
        }
        if (c.setIp || c.password) {
            // Either apply takes the typed text and puts the entry edit away.
            EXPECT_FALSE(rig.face().IsVisible(Ctl::EntryEdit)) << c.name;
        } else {
            EXPECT_EQ(rig.face().Text(Ctl::EntryEdit), c.wantEntry) << c.name;
        }
        if (c.setIp) {
            // The probe goes to the address typed into the entry edit.
            ASSERT_FALSE(sent.empty()) << c.name;
            EXPECT_EQ(sent.back().host, "10.77.0.9") << c.name;
            EXPECT_EQ(sent.back().Text().rfind("ORVN: ", 0), 0u) << c.name;
        }
    }
}

TEST(KeysFunction, F3LeavesTheVolumeScreenForTheMenuScreen) {
    KeysRig rig;
    rig->OnDeviceMessage("VOL: 1 50 Volume");
    rig->OnCommand(Ctl::F3);
    EXPECT_EQ(ScreenOnView(rig.face()), FaceMenu);
    EXPECT_TRUE(rig.face().IsVisible(Ctl::MenuList));
    EXPECT_EQ(rig.Sent(), std::vector<std::string>{"KEY: 14"});

    KeysRig other;
    other->ShowCallLogScreen();
    other->OnCommand(Ctl::F3);
    EXPECT_EQ(ScreenOnView(other.face()), FaceCallLog);
    EXPECT_FALSE(other.face().IsVisible(Ctl::MenuList));
    EXPECT_EQ(other.Sent(), std::vector<std::string>{"KEY: 14"});
}

TEST(KeysFunction, SliderSendsEveryMoveAndHoldsTheDragFlag) {
    KeysRig rig;
    rig.timers.setCalls.clear();
    rig.face().UserSetSliderPos(Ctl::VolumeSlider, 40);
    rig->OnVolumeSlider();
    EXPECT_EQ(rig.Sent(), std::vector<std::string>{"VOL: 40"});
    EXPECT_FALSE(rig.ThumbFollowsThePhone()) << "held while the user drags";
    EXPECT_EQ(rig.timers.Period(Timer::VolumeDrag), 500u);

    // 300 ms later the second move starts the 500 ms over again.
    rig.face().UserSetSliderPos(Ctl::VolumeSlider, 0);
    rig->OnVolumeSlider();
    EXPECT_EQ(rig.Sent(), std::vector<std::string>{"VOL: 0"});
    const auto drags = std::count(rig.timers.setCalls.begin(), rig.timers.setCalls.end(),
                                  std::pair<int, unsigned>{Timer::VolumeDrag, 500u});
    EXPECT_EQ(drags, 2);
    EXPECT_FALSE(rig.ThumbFollowsThePhone());

    rig.Fire(Timer::VolumeDrag);
    EXPECT_TRUE(rig.ThumbFollowsThePhone()) << "the drag has ended";
    EXPECT_FALSE(rig.timers.IsRunning(Timer::VolumeDrag));
}

} // namespace
} // namespace orvane::test
