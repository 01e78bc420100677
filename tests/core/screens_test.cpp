// The screens of the face and what each shows, hides and enables.
#include "FakePorts.h"

#include "FaceIds.h"

#include <gtest/gtest.h>

namespace orvane::test {
namespace {

struct ScreenCase {
    const char* name;
    void (CDialerDlg::*show)();
    int mode;
    std::vector<int> shown;
    std::vector<int> hidden;
    bool sendEnabled;
};

TEST(Screens, EachScreenShowsItsControls) {
    const ScreenCase cases[] = {
        {"dial pad",
         &CDialerDlg::ShowDialpadScreen,
         FaceDialpad,
         {Ctl::Key1, Ctl::KeyHash, Ctl::VolPlus, Ctl::VolMinus, Ctl::MenuTab, Ctl::Send, Ctl::End},
         {Ctl::DeviceList, Ctl::MenuList, Ctl::VolumeSlider, Ctl::PhonebookList, Ctl::CallLogList},
         true},
        {"phonebook",
         &CDialerDlg::ShowPhonebookScreen,
         FacePhonebook,
         {Ctl::MenuTab, Ctl::DialpadTab, Ctl::PhonebookList, Ctl::End},
         {Ctl::Key1, Ctl::DeviceList, Ctl::MenuList, Ctl::CallLogList, Ctl::EntryEdit,
          Ctl::VolumeSlider, Ctl::VolPlus, Ctl::VolMinus, Ctl::StatusIcon},
         false},
        {"call log",
         &CDialerDlg::ShowCallLogScreen,
         FaceCallLog,
         {Ctl::MenuTab, Ctl::DialpadTab, Ctl::CallLogList, Ctl::End},
         {Ctl::Key1, Ctl::PhonebookList, Ctl::MenuList, Ctl::EntryEdit, Ctl::DisplayLine0,
          Ctl::DisplayLine1, Ctl::DisplayLine2, Ctl::DisplayLine3, Ctl::StatusIcon},
         false},
        {"menu",
         &CDialerDlg::ShowMenuScreen,
         FaceMenu,
         {Ctl::MenuTab, Ctl::DialpadTab, Ctl::MenuList, Ctl::End, Ctl::Send},
         {Ctl::Key1, Ctl::PhonebookList, Ctl::CallLogList, Ctl::EntryEdit, Ctl::DisplayLine0,
          Ctl::DisplayLine3, Ctl::VolPlus, Ctl::VolMinus},
         false},
    };
    for (const ScreenCase& c : cases) {
        SCOPED_TRACE(c.name);
        DialerRig rig;
        rig.Init();
        // Start from a screen that shows what the tested one must hide.
        for (int id : c.hidden)
            rig.face().Show(id, true);
        ((*rig.dlg).*c.show)();
        EXPECT_EQ(ScreenOnView(rig.face()), c.mode);
        for (int id : c.shown)
            EXPECT_TRUE(rig.face().IsVisible(id)) << id;
        for (int id : c.hidden)
            EXPECT_FALSE(rig.face().IsVisible(id)) << id;
        EXPECT_EQ(rig.face().IsEnabled(Ctl::Send), c.sendEnabled);
    }
}

TEST(Screens, PhonebookKeepsTheDisplayLinesAndMenuKeepsTheSlider) {
    DialerRig rig;
    rig.Init();
    rig.dlg->ShowPhonebookScreen();
    EXPECT_TRUE(rig.face().IsVisible(Ctl::DisplayLine1));
    rig.face().Show(Ctl::VolumeSlider, true);
    rig.face().Show(Ctl::StatusIcon, true);
    rig.dlg->ShowMenuScreen();
    EXPECT_TRUE(rig.face().IsVisible(Ctl::VolumeSlider));
    EXPECT_TRUE(rig.face().IsVisible(Ctl::StatusIcon));
}

TEST(Screens, DialpadAsksForTheDisplayOnlyWhenNotAskedByTheDevice) {
    DialerRig rig;
    rig.Init();
    rig.Address();
    rig.dlg->ShowDialpadScreen();
    EXPECT_EQ(rig.Sent(), std::vector<std::string>{"DISP:"});
    rig.dlg->OnDeviceMessage("SHOW_DIALPAD:"); // the device asks for it itself
    EXPECT_TRUE(rig.Sent().empty());
}

TEST(Screens, DialpadHighlightsItsTab) {
    DialerRig rig;
    rig.Init();
    rig.dlg->ShowDialpadScreen();
    EXPECT_EQ(rig.face().Get(Ctl::DialpadTab).images, (ImageSet{216, 216, 0, 182}));
    EXPECT_EQ(rig.face().Get(Ctl::MenuTab).images, (ImageSet{158, 215, 0, 158}));
}

TEST(Screens, LeavingTheContactEditorHidesIt) {
    const std::pair<const char*, void (CDialerDlg::*)()> routines[] = {
        {"dial pad", &CDialerDlg::ShowDialpadScreen},
        {"phonebook", &CDialerDlg::ShowPhonebookScreen},
        {"call log", &CDialerDlg::ShowCallLogScreen},
        {"menu", &CDialerDlg::ShowMenuScreen},
    };
    const int editor[] = {Ctl::NameEdit, Ctl::NumberEdit, Ctl::NameLabel, Ctl::NumberLabel};
    for (const auto& [name, routine] : routines) {
        SCOPED_TRACE(name);
        DialerRig rig;
        rig.Init();
        for (int id : editor)
            rig.face().Show(id, true);
        rig.dlg->OnDeviceMessage("ADD:"); // the contact editor
        ((*rig.dlg).*routine)();
        for (int id : editor)
            EXPECT_FALSE(rig.face().IsVisible(id)) << id;
    }
}

TEST(Screens, KeypadHideLeavesTheEditorShowHidesItInEditorMode) {
    DialerRig rig;
    rig.Init();
    for (int id : {Ctl::NameEdit, Ctl::NumberEdit})
        rig.face().Show(id, true);
    rig.dlg->OnDeviceMessage("ADD:"); // the contact editor
    rig.dlg->ShowKeypad(false);
    EXPECT_TRUE(rig.face().IsVisible(Ctl::NameEdit));
    EXPECT_FALSE(rig.face().IsVisible(Ctl::Key5));
    rig.dlg->ShowKeypad(true);
    EXPECT_FALSE(rig.face().IsVisible(Ctl::NameEdit));
    EXPECT_TRUE(rig.face().IsVisible(Ctl::Key5));
}

} // namespace
} // namespace orvane::test
