#include "FaceIds.h"
#include "FaceModel.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

struct StartState {
    int id;
    ControlKind kind;
    DluRect rect;
    bool visible;
};

// The face as the template builds it: kind, place and visibility of every control.
TEST(FaceModel, TemplateBuildsEveryControlInItsPlace) {
    using K = ControlKind;
    const StartState table[] = {
        {Ctl::DialpadTab, K::MyButton, {18, 25, 32, 28}, true},
        {Ctl::CallLogsTab, K::MyButton, {50, 25, 32, 28}, true},
        {Ctl::ContactsTab, K::MyButton, {82, 25, 32, 28}, true},
        {Ctl::MenuTab, K::MyButton, {114, 25, 32, 28}, true},
        {Ctl::UsbIcon, K::Bitmap, {7, 4, 11, 11}, false},
        {Ctl::PhoneIcon, K::Bitmap, {17, 3, 11, 11}, false},
        {Ctl::PhoneOffIcon, K::Bitmap, {17, 3, 11, 11}, false},
        {Ctl::HdIcon, K::Bitmap, {29, 3, 11, 11}, false},
        {Ctl::DndIcon, K::Bitmap, {40, 2, 11, 11}, false},
        {Ctl::StatusIcon, K::Bitmap, {136, 0, 19, 19}, false},
        {Ctl::DisplayLine1, K::Text, {24, 55, 121, 11}, true},
        {Ctl::DisplayLine0, K::Text, {7, 65, 155, 15}, true},
        {Ctl::DisplayLine2, K::Text, {25, 63, 121, 13}, true},
        {Ctl::DisplayLine3, K::Text, {24, 75, 121, 11}, true},
        {Ctl::EntryEdit, K::Edit, {25, 65, 119, 15}, true},
        {Ctl::VolumeSlider, K::Slider, {51, 82, 68, 13}, false},
        {Ctl::DeviceList, K::List, {7, 89, 155, 78}, false},
        {Ctl::PhonebookList, K::List, {7, 89, 155, 101}, false},
        {Ctl::CallLogList, K::List, {7, 89, 155, 100}, false},
        {Ctl::MenuList, K::List, {23, 90, 124, 102}, false},
        {Ctl::NameLabel, K::Text, {29, 85, 31, 11}, false},
        {Ctl::NameEdit, K::Edit, {70, 84, 66, 12}, false},
        {Ctl::NumberLabel, K::Text, {25, 98, 36, 11}, false},
        {Ctl::NumberEdit, K::Edit, {69, 98, 66, 12}, false},
        {Ctl::Key1, K::ImageButton, {40, 98, 32, 28}, true},
        {Ctl::Key5, K::ImageButton, {71, 126, 32, 28}, true},
        {Ctl::KeyStar, K::ImageButton, {40, 182, 32, 28}, true},
        {Ctl::Key0, K::ImageButton, {71, 182, 32, 28}, true},
        {Ctl::KeyHash, K::ImageButton, {103, 182, 32, 28}, true},
        {Ctl::VolPlus, K::ImageButton, {18, 145, 18, 18}, true},
        {Ctl::VolMinus, K::ImageButton, {18, 163, 18, 18}, true},
        {Ctl::Mute, K::MyButton, {18, 182, 18, 18}, false},
        {Ctl::F1, K::PushButton, {40, 210, 32, 28}, true},
        {Ctl::EditKey, K::MyButton, {39, 210, 32, 28}, false},
        {Ctl::F2, K::PushButton, {71, 210, 32, 28}, true},
        {Ctl::DeleteKey, K::MyButton, {71, 210, 32, 28}, false},
        {Ctl::F3, K::PushButton, {103, 210, 32, 28}, true},
        {Ctl::BackKey, K::MyButton, {103, 210, 32, 28}, false},
        {Ctl::Send, K::MyButton, {55, 239, 32, 28}, true},
        {Ctl::End, K::MyButton, {87, 239, 32, 28}, true},
        {Ctl::LinuxSecret, K::PushButton, {114, 257, 49, 15}, false},
        {Ctl::Ok, K::PushButton, {132, 240, 30, 15}, false},
    };
    FaceModel face;
    for (const StartState& s : table) {
        SCOPED_TRACE(s.id);
        const Control& c = face.Get(s.id);
        EXPECT_EQ(c.kind, s.kind);
        EXPECT_EQ(c.rect.x, s.rect.x);
        EXPECT_EQ(c.rect.y, s.rect.y);
        EXPECT_EQ(c.rect.w, s.rect.w);
        EXPECT_EQ(c.rect.h, s.rect.h);
        EXPECT_EQ(c.visible, s.visible);
        EXPECT_TRUE(c.enabled);
    }
    EXPECT_EQ(face.Text(Ctl::F1), "F1");
    EXPECT_EQ(face.Text(Ctl::NameLabel), "Name :");
    EXPECT_EQ(face.Text(Ctl::NumberLabel), "Number :");
}

TEST(FaceModel, KeypadAndKeysCarryTheirPictures) {
    FaceModel face;
    const std::pair<int, int> keypad[] = {
        {Ctl::Key1, 130},    {Ctl::Key2, 129},    {Ctl::Key3, 131},    {Ctl::Key4, 134},
        {Ctl::Key5, 135},    {Ctl::Key6, 136},    {Ctl::Key7, 137},    {Ctl::Key8, 138},
        {Ctl::Key9, 139},    {Ctl::Key0, 140},    {Ctl::KeyStar, 141}, {Ctl::KeyHash, 142},
        {Ctl::VolPlus, 159}, {Ctl::VolMinus, 160}};
    for (const auto& [id, bitmap] : keypad)
        EXPECT_EQ(face.Get(id).bitmap, bitmap) << id;

    const std::pair<int, ImageSet> buttons[] = {{Ctl::Send, {164, 190, 0, 188}},
                                                {Ctl::End, {165, 189, 0, 0}},
                                                {Ctl::Mute, {166, 0, 0, 0}},
                                                {Ctl::DialpadTab, {182, 182, 0, 182}},
                                                {Ctl::CallLogsTab, {187, 187, 0, 187}},
                                                {Ctl::ContactsTab, {181, 213, 0, 181}},
                                                {Ctl::MenuTab, {158, 158, 0, 158}},
                                                {Ctl::EditKey, {}}};
    for (const auto& [id, set] : buttons)
        EXPECT_EQ(face.Get(id).images, set) << id;
}

TEST(FaceModel, MenuStartsWithPrivateItemsGreyed) {
    FaceModel face;
    EXPECT_TRUE(face.IsMenuEnabled(Menu::Enumerate));
    EXPECT_FALSE(face.IsMenuEnabled(Menu::AttachPrivate));
    EXPECT_FALSE(face.IsMenuEnabled(Menu::ReleasePrivate));
    EXPECT_FALSE(face.IsMenuChecked(Menu::NameFirst));
    EXPECT_EQ(face.Menu(Menu::NameFirst).text, "Set 'Name' as the first coloumn in device list");
    EXPECT_EQ(face.Menu(Menu::About).menu, 1);
}

TEST(FaceModel, ButtonDrawsPressedFocusDisabledOrFallsBackToNormal) {
    struct Case {
        ImageSet set;
        bool pressed, focused, disabled;
        int expected;
    };
    const Case cases[] = {
        {{0, 190, 0, 188}, true, false, false, 0}, // empty normal slot: nothing, even pressed
        {{0, 190, 0, 188}, false, false, true, 0},
        {{164, 190, 0, 188}, false, false, false, 164},
        {{164, 190, 0, 188}, true, false, false, 190},
        {{164, 190, 0, 188}, false, false, true, 188},
        {{166, 0, 0, 0}, true, false, false, 166}, // no pressed picture: normal
        {{166, 0, 0, 0}, false, true, true, 166},
        {{164, 190, 300, 188}, false, true, true, 300}, // focus before disabled
        {{164, 190, 300, 188}, true, true, true, 190},  // pressed first
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseButtonImage(c.set, c.pressed, c.focused, c.disabled), c.expected);
}

TEST(FaceModel, TabHighlightSetsFollowTheActiveTab) {
    struct Case {
        TabState state;
        ImageSet dialpad, calls, contacts, menu;
    };
    const Case cases[] = {
        {TabState::Dialpad,
         {216, 216, 0, 182},
         {187, 214, 0, 187},
         {181, 213, 0, 181},
         {158, 215, 0, 158}},
        {TabState::Menu,
         {182, 216, 0, 182},
         {187, 214, 0, 187},
         {181, 213, 0, 181},
         {215, 215, 0, 158}},
        {TabState::Contacts,
         {182, 216, 0, 182},
         {187, 214, 0, 187},
         {213, 213, 0, 181},
         {158, 215, 0, 158}},
        {TabState::CallLogs,
         {182, 216, 0, 182},
         {214, 214, 0, 187},
         {181, 213, 0, 181},
         {158, 215, 0, 158}},
    };
    for (const Case& c : cases) {
        const TabImages t = TabImagesFor(c.state);
        EXPECT_EQ(t.dialpad, c.dialpad);
        EXPECT_EQ(t.callLogs, c.calls);
        EXPECT_EQ(t.contacts, c.contacts);
        EXPECT_EQ(t.menu, c.menu);
    }
}

TEST(FaceModel, FontHeights) {
    EXPECT_EQ(FaceModel::FontHeight(FontId::A, 16), 32);
    EXPECT_EQ(FaceModel::FontHeight(FontId::B, 20), 20);
    EXPECT_EQ(FaceModel::FontHeight(FontId::C, 16), 26);
}

// A view appends rows while resetCount stays; anything else must make it rebuild.
TEST(FaceModel, ListChangesTellAppendsFromRewrites) {
    FaceModel face;
    const int list = Ctl::PhonebookList;
    face.ListInsertColumn(list, 0, {"#", 50, Align::Center});
    face.ListInsertColumn(list, 1, {"Name", 190, Align::Left});
    const auto base = face.List(list).resetCount;
    face.ListInsertRow(list, 0, "1");
    face.ListSetItemText(list, 0, 1, "Ann");
    face.ListInsertRow(list, 1, "2");
    face.ListSetItemText(list, 1, 1, "Bo");
    EXPECT_EQ(face.List(list).resetCount, base) << "appending is not a rewrite";
    face.ListSetItemText(list, 0, 1, "Cy");
    EXPECT_GT(face.List(list).resetCount, base) << "rewriting an older row is";
    const auto afterRewrite = face.List(list).resetCount;
    face.ListDeleteAll(list);
    EXPECT_GT(face.List(list).resetCount, afterRewrite);
    EXPECT_EQ(face.ListRowCount(list), 0);
}

TEST(FaceModel, SelectionBeyondTheLastRowMarksNothing) {
    FaceModel face;
    const int list = Ctl::MenuList;
    face.ListInsertColumn(list, 0, {"#", 50, Align::Center});
    face.ListInsertRow(list, 0, "1");
    face.ListSelect(list, 5);
    EXPECT_EQ(face.List(list).selected, -1);
    face.ListSelect(list, 0);
    EXPECT_EQ(face.List(list).selected, 0);
}

TEST(FaceModel, OnlyChangedControlsAreStamped) {
    FaceModel face;
    const auto before = face.Get(Ctl::DisplayLine1).version;
    face.SetText(Ctl::DisplayLine0, "Ready");
    EXPECT_EQ(face.Get(Ctl::DisplayLine1).version, before);
    EXPECT_GT(face.Get(Ctl::DisplayLine0).version, before);
    const auto v = face.Version();
    face.Show(Ctl::DisplayLine0, true); // already visible: no change
    EXPECT_EQ(face.Version(), v);
    face.UserSetText(Ctl::EntryEdit, "123"); // the user's typing is no change to draw
    EXPECT_EQ(face.Version(), v);
    EXPECT_EQ(face.Text(Ctl::EntryEdit), "123");
}

TEST(FaceModel, EditSelectionStaysInsideTheText) {
    FaceModel face;
    face.SetText(Ctl::EntryEdit, "345");
    face.SetEditSel(Ctl::EntryEdit, 2, 9);
    EXPECT_EQ(face.Get(Ctl::EntryEdit).selStart, 2);
    EXPECT_EQ(face.Get(Ctl::EntryEdit).selEnd, 3);
    face.SetEditSel(Ctl::EntryEdit, -1, 0); // a negative start deselects
    EXPECT_EQ(face.Get(Ctl::EntryEdit).selStart, face.Get(Ctl::EntryEdit).selEnd);
}

} // namespace
} // namespace orvane
