// What the device's display messages do to the phone face: the dispatcher, display lines,
// soft keys, icon keys, status icons, the volume screen, the hook and the text prompt.
#include "FaceIds.h"
#include "FakePorts.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace orvane {
namespace {

using test::DialerRig;
using test::ScreenOnView;

class Incoming : public ::testing::Test {
  protected:
    void SetUp() override {
        rig.Init();
        rig.Address();
        rig.Sent();
    }
    FaceModel& face() { return rig.face(); }
    bool Visible(int id) { return face().IsVisible(id); }
    const std::string& Text(int id) { return face().Text(id); }

    DialerRig rig;
};

// --- Dispatcher ----------------------------------------------------------------------------

TEST_F(Incoming, MessagesThatMatchNoKeywordLeaveNoTrace) {
    const char* ignored[] = {
        "disp: 1 lower case", " DISP: 1 leading blank",
        "DISP 1 no colon",    "HOOK:ON",
        "WHATEVER: 1 2",      "ORVN: x y",
        "LINUX_STAR",         "\x01\x02\x03",
    };
    for (const char* msg : ignored) {
        SCOPED_TRACE(msg);
        const std::uint64_t before = face().Version();
        rig.Receive(msg);
        EXPECT_EQ(face().Version(), before);
        EXPECT_TRUE(rig.Sent().empty());
        EXPECT_TRUE(rig.dialogs.boxes.empty());
        EXPECT_TRUE(rig.HandlesAtOnce());
    }
}

TEST_F(Incoming, DispatchingFlagIsClearedWhenAHandlerThrows) {
    rig.dialogs.duringModal = [] { throw std::runtime_error("shell failed"); };
    EXPECT_THROW(rig->OnDeviceMessage("INPUT: 1 Name?;OK;Cancel;"), std::runtime_error);
    // The next message is dispatched at once: no hold-off.
    EXPECT_TRUE(rig.HandlesAtOnce());
    rig.Receive("DISP: 1 after");
    EXPECT_TRUE(rig.platform.sleeps.empty());
    EXPECT_EQ(Text(Ctl::DisplayLine1), "after");
}

// --- Hook ------------------------------------------------------------------------------------

TEST_F(Incoming, HookOnShowsTheDialpadWithoutAskingForTheDisplay) {
    face().UserSetText(Ctl::EntryEdit, "0123");
    rig.Receive("HOOK: ON and more");
    EXPECT_EQ(ScreenOnView(rig.face()), FaceDialpad);
    EXPECT_TRUE(Visible(Ctl::Key5));
    EXPECT_EQ(Text(Ctl::EntryEdit), "");
    EXPECT_TRUE(rig.Sent().empty()) << "the device asked for the dial pad: no DISP:";
    EXPECT_TRUE(rig.KeypadTypesLocally());
    rig->ShowDialpadScreen(); // as a later SEND shows it
    EXPECT_EQ(rig.Sent(), std::vector<std::string>{"DISP:"}) << "asks for the display again";

    const std::uint64_t before = face().Version();
    rig.Receive("HOOK: OFF");
    EXPECT_EQ(face().Version(), before);
    EXPECT_FALSE(rig.KeypadTypesLocally());
}

// --- Display lines ---------------------------------------------------------------------------

TEST_F(Incoming, LineZeroSwitchesToTheSmallFontAboveTwentyCharacters) {
    struct Step {
        std::string text;
        FontId font;
    };
    const Step steps[] = {
        {std::string(20, 'a'), FontId::A},
        {std::string(21, 'b'), FontId::C},
        {std::string(30, 'c'), FontId::C},
        {std::string(20, 'd'), FontId::A},
        {"short", FontId::A},
        {std::string(25, 'e'), FontId::C},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.text);
        rig.Receive("DISP: 0 " + s.text);
        EXPECT_EQ(Text(Ctl::DisplayLine0), s.text);
        EXPECT_EQ(face().Get(Ctl::DisplayLine0).font, s.font);
    }
    // Clearing a long text gives the large font back.
    rig.Receive("CLR: 0");
    EXPECT_EQ(face().Get(Ctl::DisplayLine0).font, FontId::A);
}

TEST_F(Incoming, LineZeroTakesOverTheDisplayAgainEvenWithTheSameText) {
    rig.Receive("DISP: 0 Idle");
    rig.Receive("DISP: 2 Second");
    face().Show(Ctl::EntryEdit, true);
    ASSERT_FALSE(Visible(Ctl::DisplayLine0));

    rig.Receive("DISP: 0 Idle");
    EXPECT_TRUE(Visible(Ctl::DisplayLine0));
    EXPECT_FALSE(Visible(Ctl::DisplayLine2));
    EXPECT_FALSE(Visible(Ctl::DisplayLine3));
    EXPECT_FALSE(Visible(Ctl::EntryEdit));
    EXPECT_EQ(Text(Ctl::DisplayLine0), "Idle");
}

TEST_F(Incoming, AnUnchangedLineIsNotTouched) {
    for (int line : {1, 2, 3}) {
        SCOPED_TRACE(line);
        const int id = Ctl::DisplayLine0 + line; // lines 1 to 3 are 1034 to 1036
        const std::string msg = "DISP: " + std::to_string(line) + " Same";
        rig.Receive(msg);
        const std::uint64_t version = face().Get(id).version;
        rig.Receive(msg);
        EXPECT_EQ(face().Get(id).version, version);
        EXPECT_EQ(Text(id), "Same");
    }
}

TEST_F(Incoming, DisplayLinesTakeTheRestOfTheMessage) {
    struct Case {
        const char* msg;
        int id;
        const char* text;
    };
    const Case cases[] = {
        {"DISP: 1 several words here", Ctl::DisplayLine1, "several words here"},
        {"DISP: 1  leading", Ctl::DisplayLine1, " leading"},
        {"DISP: 3 trailing\r\n", Ctl::DisplayLine3, "trailing\r\n"},
        {"DISP: 1 A}B}C", Ctl::DisplayLine1, "AHB}C"},
        {"DISP: 2 }", Ctl::DisplayLine2, "H"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.msg);
        rig.Receive(c.msg);
        EXPECT_EQ(Text(c.id), c.text);
    }
}

TEST_F(Incoming, DispWithoutTextOrWithAnUnknownLineChangesNothing) {
    rig.Receive("DISP: 1 keep");
    for (const char* msg :
         {"DISP: 1", "DISP: 1 ", "DISP: x text", "DISP: 4 text", "DISP: -1 t", "DISP:"}) {
        SCOPED_TRACE(msg);
        const std::uint64_t before = face().Version();
        rig.Receive(msg);
        EXPECT_EQ(face().Version(), before);
    }
    EXPECT_EQ(Text(Ctl::DisplayLine1), "keep");
}

TEST_F(Incoming, LineTwoEmptiesLineThreeAndHidesLineZero) {
    rig.Receive("DISP: 0 Idle");
    rig.Receive("DISP: 3 Lost");
    rig.Receive("DISP: 2 Calling");
    EXPECT_EQ(Text(Ctl::DisplayLine2), "Calling");
    EXPECT_EQ(Text(Ctl::DisplayLine3), "");
    EXPECT_FALSE(Visible(Ctl::DisplayLine0));
    EXPECT_TRUE(Visible(Ctl::DisplayLine2));
    EXPECT_TRUE(Visible(Ctl::DisplayLine3));

    rig.Receive("DISP: 3 Line three");
    EXPECT_EQ(Text(Ctl::DisplayLine3), "Line three");
    EXPECT_EQ(Text(Ctl::DisplayLine2), "Calling");
}

TEST_F(Incoming, BlockSpreadsOverLinesOneToThree) {
    struct Case {
        const char* msg;
        const char* line1;
        const char* line2;
        const char* line3;
    };
    const Case cases[] = {
        {"DISP: 7 only one", "only one", "old 2", "old 3"},
        {"DISP: 7 one\ntwo", "one", "two", "old 3"},
        {"DISP: 7 one\ntwo\nthree", "one", "two", "three"},
        {"DISP: 7 one\ntwo\nthree\nfour", "one", "two", "three\nfour"},
        {"DISP: 7 \n\nthird", "", "", "third"},
        {"DISP: 7 a}b\nc}d", "aHb", "c}d", "old 3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.msg);
        rig.Receive("DISP: 0 Idle");
        face().Show(Ctl::EntryEdit, true);
        rig.Receive("DISP: 2 old 2");
        rig.Receive("DISP: 3 old 3");
        rig.Receive(c.msg);
        EXPECT_EQ(Text(Ctl::DisplayLine1), c.line1);
        EXPECT_EQ(Text(Ctl::DisplayLine2), c.line2);
        EXPECT_EQ(Text(Ctl::DisplayLine3), c.line3);
        EXPECT_FALSE(Visible(Ctl::DisplayLine0));
        EXPECT_FALSE(Visible(Ctl::EntryEdit));
        for (int id : {Ctl::DisplayLine1, Ctl::DisplayLine2, Ctl::DisplayLine3})
            EXPECT_TRUE(Visible(id));
    }
}

TEST_F(Incoming, OverlongDisplayTextsAreCut) {
    rig.Receive("DISP: 1 " + std::string(300, 'x'));
    EXPECT_EQ(Text(Ctl::DisplayLine1).size(), 199u);
    rig.Receive("DISP: 7 " + std::string(300, 'y'));
    EXPECT_EQ(Text(Ctl::DisplayLine1).size(), 119u);
}

// --- CLR: ------------------------------------------------------------------------------------

TEST_F(Incoming, ClrEmptiesLinesAndHidesIcons) {
    rig.Receive("ICON: 100 0");
    rig.Receive("ICON: 105 0");
    rig.Receive("ICON: 106 0");
    rig.Receive("ICON: 5 0");
    rig.Receive("VOL: 1 50 Volume");
    rig.Receive("CLR: 4");
    EXPECT_FALSE(Visible(Ctl::UsbIcon));
    EXPECT_FALSE(Visible(Ctl::HdIcon));
    EXPECT_FALSE(Visible(Ctl::DndIcon));
    EXPECT_TRUE(Visible(Ctl::StatusIcon));
    EXPECT_TRUE(Visible(Ctl::VolumeSlider));
    rig.Receive("CLR:5");
    EXPECT_FALSE(Visible(Ctl::StatusIcon));
    EXPECT_FALSE(Visible(Ctl::VolumeSlider));

    struct Case {
        const char* msg;
        const char* line1;
        const char* line2;
        const char* line3;
    };
    const Case cases[] = {
        {"CLR: 1", "", "two", "three"},    {"CLR:1", "", "two", "three"},
        {"CLR: 2", "one", "", ""},         {"CLR: 3", "one", "two", ""},
        {"CLR: 7", "", "two", "three"},    {"CLR: 9", "one", "two", "three"},
        {"CLR: x", "one", "two", "three"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.msg);
        rig.Receive("DISP: 7 one\ntwo\nthree");
        face().Show(Ctl::DisplayLine1, false);
        rig.Receive(c.msg);
        EXPECT_EQ(Text(Ctl::DisplayLine1), c.line1);
        EXPECT_EQ(Text(Ctl::DisplayLine2), c.line2);
        EXPECT_EQ(Text(Ctl::DisplayLine3), c.line3);
    }
    // An emptied line 1 is still shown.
    face().Show(Ctl::DisplayLine1, false);
    rig.Receive("CLR: 1");
    EXPECT_TRUE(Visible(Ctl::DisplayLine1));
}

// --- Soft keys and icon keys ---------------------------------------------------------------

TEST_F(Incoming, TextKeyLabelsShowOrHideTheSoftKey) {
    struct Case {
        const char* msg;
        int softKey;
        int iconKey;
        bool shown;
        const char* caption; // when shown
    };
    const Case cases[] = {
        {"TEXT_KEY: 1 Dial", Ctl::F1, Ctl::EditKey, true, "Dial"},
        {"TEXT_KEY: 1 Two words", Ctl::F1, Ctl::EditKey, true, "Two words"},
        {"TEXT_KEY: 1 Enter", Ctl::F1, Ctl::EditKey, false, ""},
        {"TEXT_KEY: 1 Enterprise", Ctl::F1, Ctl::EditKey, false, ""},
        {"TEXT_KEY: 1 Ente", Ctl::F1, Ctl::EditKey, true, "Ente"},
        {"TEXT_KEY: 1 enter", Ctl::F1, Ctl::EditKey, true, "enter"},
        {"TEXT_KEY: 1", Ctl::F1, Ctl::EditKey, false, ""},
        {"TEXT_KEY:\t1\tx   ", Ctl::F1, Ctl::EditKey, false, ""}, // label is one blank
        {"TEXT_KEY: 2 Enter", Ctl::F2, Ctl::DeleteKey, true, "Enter"},
        {"TEXT_KEY: 2 Delete", Ctl::F2, Ctl::DeleteKey, true, "Delete"},
        {"TEXT_KEY: 2 ", Ctl::F2, Ctl::DeleteKey, false, ""},
        {"TEXT_KEY:\t2\tx   ", Ctl::F2, Ctl::DeleteKey, false, ""},
        {"TEXT_KEY: 3 Enter", Ctl::F3, Ctl::BackKey, true, "Enter"},
        {"TEXT_KEY: 3", Ctl::F3, Ctl::BackKey, false, ""},
        {"TEXT_KEY:\t3\tx   ", Ctl::F3, Ctl::BackKey, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.msg);
        face().Show(c.iconKey, true);
        face().Show(c.softKey, !c.shown);
        rig.Receive(c.msg);
        EXPECT_FALSE(Visible(c.iconKey));
        EXPECT_EQ(Visible(c.softKey), c.shown);
        if (c.shown) {
            EXPECT_EQ(Text(c.softKey), c.caption);
        }
    }
}

TEST_F(Incoming, TextKeyForAnUnknownSlotChangesNothing) {
    for (const char* msg : {"TEXT_KEY: 0 Label", "TEXT_KEY: 4 Label", "TEXT_KEY: x"}) {
        SCOPED_TRACE(msg);
        const std::uint64_t before = face().Version();
        rig.Receive(msg);
        EXPECT_EQ(face().Version(), before);
    }
}

TEST_F(Incoming, IconKeysGetTheirPictureAsNormalImageOnly) {
    struct Case {
        const char* msg;
        int iconKey;
        int softKey;
        int picture; // normal image afterwards
    };
    const Case cases[] = {
        {"ICON_KEY: 1 2", Ctl::EditKey, Ctl::F1, 0}, // no picture yet: drawn blank
        {"ICON_KEY: 1 1", Ctl::EditKey, Ctl::F1, Bmp::Edit},
        {"ICON_KEY: 1 3", Ctl::EditKey, Ctl::F1, Bmp::New},
        {"ICON_KEY: 1 0", Ctl::EditKey, Ctl::F1, Bmp::New}, // keeps what it had
        {"ICON_KEY: 2 0", Ctl::DeleteKey, Ctl::F2, 0},
        {"ICON_KEY: 2 2", Ctl::DeleteKey, Ctl::F2, Bmp::Delete},
        {"ICON_KEY: 3 1", Ctl::BackKey, Ctl::F3, 0},
        {"ICON_KEY: 3 0", Ctl::BackKey, Ctl::F3, Bmp::Back},
        {"ICON_KEY: 3 7", Ctl::BackKey, Ctl::F3, Bmp::Back},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.msg);
        face().Show(c.softKey, true);
        face().Show(c.iconKey, false);
        rig.Receive(c.msg);
        EXPECT_TRUE(Visible(c.iconKey));
        EXPECT_FALSE(Visible(c.softKey));
        EXPECT_EQ(face().Get(c.iconKey).images, (ImageSet{c.picture, 0, 0, 0}));
    }
    for (const char* msg : {"ICON_KEY: 4 1", "ICON_KEY: 1", "ICON_KEY: 0 0"}) {
        SCOPED_TRACE(msg);
        const std::uint64_t before = face().Version();
        rig.Receive(msg);
        EXPECT_EQ(face().Version(), before);
    }
}

// --- Icons -----------------------------------------------------------------------------------

TEST_F(Incoming, SmallIconCodesShowAndHideTheirIcons) {
    struct Case {
        int code;
        int id;
        bool shown;
    };
    const Case cases[] = {
        {100, Ctl::UsbIcon, true},    {101, Ctl::UsbIcon, false},
        {102, Ctl::PhoneIcon, true},  {102, Ctl::PhoneOffIcon, false},
        {103, Ctl::PhoneIcon, false}, {103, Ctl::PhoneOffIcon, true},
        {105, Ctl::DndIcon, true},    {106, Ctl::HdIcon, true},
        {107, Ctl::HdIcon, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        face().Show(c.id, !c.shown);
        rig.Receive("ICON: " + std::to_string(c.code) + " 3");
        EXPECT_EQ(Visible(c.id), c.shown);
        EXPECT_FALSE(Visible(Ctl::StatusIcon)) << "small icon codes leave the status icon";
    }
    // Nothing but CLR: 4 hides the DND icon.
    for (int code = 100; code <= 107; ++code)
        rig.Receive("ICON: " + std::to_string(code) + " 0");
    EXPECT_TRUE(Visible(Ctl::DndIcon));
}

TEST_F(Incoming, StatusIconShowsThePictureOfItsCode) {
    constexpr int kNoCodesPicture = 999; // a picture no code gives
    const std::pair<int, int> pictures[] = {
        {0, 195},  {1, 0},    {2, 198},  {3, 196},  {4, 199},  {5, 211},  {6, 208},  {20, 192},
        {21, 191}, {22, 194}, {30, 196}, {31, 197}, {32, 199}, {33, 177}, {41, 200}, {42, 207},
        {43, 201}, {44, 204}, {45, 205}, {46, 206}, {47, 202}, {49, 178},
    };
    for (const auto& [code, bitmap] : pictures) {
        SCOPED_TRACE(code);
        face().SetBitmap(Ctl::StatusIcon, kNoCodesPicture);
        face().Show(Ctl::StatusIcon, false);
        rig.Receive("ICON: " + std::to_string(code) + " 1");
        EXPECT_TRUE(Visible(Ctl::StatusIcon));
        EXPECT_EQ(face().Get(Ctl::StatusIcon).bitmap, bitmap);
    }
    // Unlisted codes (104 too) show the icon with the picture it has.
    for (int code : {104, 7, 19, 48, 50, 99, 108, -1, 100000}) {
        SCOPED_TRACE(code);
        rig.Receive("ICON: 46 0");
        face().Show(Ctl::StatusIcon, false);
        rig.Receive("ICON: " + std::to_string(code) + " 0");
        EXPECT_TRUE(Visible(Ctl::StatusIcon));
        EXPECT_EQ(face().Get(Ctl::StatusIcon).bitmap, Bmp::Envelope);
    }
    const std::uint64_t before = face().Version();
    rig.Receive("ICON: 46");
    EXPECT_EQ(face().Version(), before);
}

// --- Volume screen ---------------------------------------------------------------------------

TEST_F(Incoming, VolumeScreenShowsTheSliderAtTheDevicesLevel) {
    rig.Receive("DISP: 0 Idle");
    rig.Receive("DISP: 2 two");
    face().Show(Ctl::EntryEdit, true);
    face().Show(Ctl::VolPlus, false);
    rig.Receive("VOL: 9 40 Ringer volume");
    EXPECT_EQ(ScreenOnView(rig.face()), FaceVolume);
    EXPECT_EQ(Text(Ctl::DisplayLine1), "Ringer volume");
    EXPECT_TRUE(Visible(Ctl::DisplayLine1));
    EXPECT_FALSE(Visible(Ctl::EntryEdit));
    EXPECT_FALSE(Visible(Ctl::DisplayLine2));
    EXPECT_FALSE(Visible(Ctl::DisplayLine3));
    EXPECT_EQ(face().Get(Ctl::VolumeSlider).pos, 40);
    for (int id : {Ctl::VolumeSlider, Ctl::VolPlus, Ctl::VolMinus})
        EXPECT_TRUE(Visible(id));
    EXPECT_EQ(face().Focus(), Ctl::VolumeSlider);
    EXPECT_EQ(Text(Ctl::DisplayLine0), "Idle") << "line 0 keeps its text";
    EXPECT_TRUE(rig.Sent().empty());

    rig.Receive("VOL: 9 250 Loud");
    EXPECT_EQ(face().Get(Ctl::VolumeSlider).pos, 100);
    rig.Receive("VOL: 9 60");
    EXPECT_EQ(face().Get(Ctl::VolumeSlider).pos, 60);
    EXPECT_EQ(Text(Ctl::DisplayLine1), "");
}

TEST_F(Incoming, VolumeDuringADragLeavesTheSliderWhereTheUserHasIt) {
    face().UserSetSliderPos(Ctl::VolumeSlider, 70);
    rig->OnVolumeSlider(); // the user drags the thumb
    ASSERT_EQ(rig.Sent(), std::vector<std::string>{"VOL: 70"});
    rig.Receive("VOL: 1 20 Volume 20");
    EXPECT_EQ(face().Get(Ctl::VolumeSlider).pos, 70);
    EXPECT_TRUE(Visible(Ctl::VolumeSlider));
    EXPECT_EQ(Text(Ctl::DisplayLine1), "Volume 20");

    rig.Fire(Timer::VolumeDrag); // the drag has ended
    rig.Receive("VOL: 1 20 Volume 20");
    EXPECT_EQ(face().Get(Ctl::VolumeSlider).pos, 20);
}

TEST_F(Incoming, VolumeThatFailsToParseOnlySwitchesTheMode) {
    for (const char* msg : {"VOL: 1 loud", "VOL: 1", "VOL:", "VOL: x 10 t"}) {
        SCOPED_TRACE(msg);
        rig->ShowPhonebookScreen();
        const std::uint64_t before = face().Version();
        rig.Receive(msg);
        EXPECT_EQ(face().Version(), before);
        // On the volume screen now: F3 goes to the menu screen first.
        rig->OnCommand(Ctl::F3);
        EXPECT_EQ(ScreenOnView(rig.face()), FaceMenu);
        rig.Sent();
    }
}

TEST_F(Incoming, VolumeScreenClosesTheContactEditor) {
    rig.Receive("ADD:");
    ASSERT_EQ(ScreenOnView(rig.face()), FaceContactEditor);
    ASSERT_TRUE(Visible(Ctl::NameEdit));
    rig.Receive("VOL: 1 30 Volume");
    for (int id : {Ctl::NameEdit, Ctl::NumberEdit, Ctl::NameLabel, Ctl::NumberLabel})
        EXPECT_FALSE(Visible(id)) << id;
    EXPECT_EQ(ScreenOnView(rig.face()), FaceVolume);

    // Also when the message itself is unreadable: the mode no longer says "editor".
    rig.Receive("ADD:");
    rig.Receive("VOL: 1 loud");
    EXPECT_FALSE(Visible(Ctl::NameEdit));
}

// --- Navigation and MUTE --------------------------------------------------------------------

TEST_F(Incoming, ShowNavHidesTheListsAndShowsTheDisplay) {
    rig.Receive("MENU: -1 1 One;");
    face().Show(Ctl::PhonebookList, true);
    face().Show(Ctl::CallLogList, true);
    rig.Receive("SHOW_NAV:");
    for (int id : {Ctl::MenuList, Ctl::PhonebookList, Ctl::CallLogList})
        EXPECT_FALSE(Visible(id));
    for (int id : {Ctl::DisplayLine0, Ctl::DisplayLine1, Ctl::DisplayLine2, Ctl::DisplayLine3,
                   Ctl::VolPlus, Ctl::VolMinus})
        EXPECT_TRUE(Visible(id));
    // Still the menu screen: the device's "SHOW_LIST:" brings its list back.
    rig.Receive("SHOW_LIST:");
    EXPECT_EQ(ScreenOnView(rig.face()), FaceMenu);
}

TEST_F(Incoming, ShowMuteShowsTheKeyForAnyValueButZero) {
    const std::pair<const char*, bool> cases[] = {
        {"SHOW_MUTE: 1", true}, {"SHOW_MUTE: 0", false}, {"SHOW_MUTE: -5", true},
        {"SHOW_MUTE:0", false}, {"SHOW_MUTE: 7", true},  {"SHOW_MUTE: x", true},
        {"SHOW_MUTE:", true},
    };
    for (const auto& [msg, shown] : cases) {
        SCOPED_TRACE(msg);
        rig.Receive(msg);
        EXPECT_EQ(Visible(Ctl::Mute), shown);
    }
}

// --- Text prompt -----------------------------------------------------------------------------

TEST_F(Incoming, TextPromptAnswersWithTheButtonAndTheText) {
    struct Case {
        const char* msg;
        TextInputRequest expected;
        TextInputAnswer answer;
        const char* reply;
    };
    const Case cases[] = {
        {"INPUT: 1 Enter PIN;OK;Cancel;1234",
         {"Enter PIN", "OK", "Cancel", "1234"},
         {1, "98765"},
         "INPUT: 1 98765"},
        {"INPUT: 9 Name?;Save;Cancel;Bob",
         {"Name?", "Save", "Cancel", "Bob"},
         {2, "Bob Jr"},
         "INPUT: 2 Bob Jr"},
        {"INPUT: 1 Name?;OK;Cancel;", {"Name?", "OK", "Cancel", ""}, {1, ""}, "INPUT: 1 "},
        {"INPUT: 1 Long?;OK;Cancel;",
         {"Long?", "OK", "Cancel", ""},
         {1, std::string(40, 'z')},
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.msg);
        rig.dialogs.prompts.clear();
        rig.dialogs.inputAnswers.push_back(c.answer);
        rig.Receive(c.msg);
        ASSERT_EQ(rig.dialogs.prompts.size(), 1u);
        const TextInputRequest& shown = rig.dialogs.prompts[0];
        EXPECT_EQ(shown.prompt, c.expected.prompt);
        EXPECT_EQ(shown.firstCaption, c.expected.firstCaption);
        EXPECT_EQ(shown.secondCaption, c.expected.secondCaption);
        EXPECT_EQ(shown.initialText, c.expected.initialText);
        const std::string reply =
            c.reply ? c.reply : "INPUT: 1 " + std::string(30, 'z'); // the reply fits its line
        EXPECT_EQ(rig.Sent(), std::vector<std::string>{reply});     // the button and the text
    }
}

TEST_F(Incoming, APromptArrivingDuringAnotherWaitsForItAndRepliesKeepOrder) {
    // The first prompt is still open when the device sends a display line and a second
    // prompt: the line shows at once, the second prompt opens when the first has closed.
    rig.dialogs.duringModal = [&] {
        rig.Receive("DISP: 1 behind the prompt");
        rig.Receive("INPUT: 1 Second;Yes;No;");
    };
    rig.dialogs.inputAnswers.push_back({1, "first"});
    rig.dialogs.inputAnswers.push_back({2, "second"});
    rig.Receive("INPUT: 1 First;OK;Cancel;");

    ASSERT_EQ(rig.dialogs.prompts.size(), 2u);
    EXPECT_EQ(rig.dialogs.prompts[0].prompt, "First");
    EXPECT_EQ(rig.dialogs.prompts[1].prompt, "Second");
    EXPECT_EQ(rig.Sent(), (std::vector<std::string>{"INPUT: 1 first", "INPUT: 2 second"}));
    EXPECT_EQ(Text(Ctl::DisplayLine1), "behind the prompt");
    EXPECT_TRUE(rig.platform.sleeps.empty());
    EXPECT_TRUE(rig.HandlesAtOnce());
}

} // namespace
} // namespace orvane
