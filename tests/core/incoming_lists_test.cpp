// The device's phonebook, call log and menu in the list controls, and the messages that
// show and hide the lists.
#include "FaceIds.h"
#include "FakePorts.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

using test::DialerRig;
using test::ScreenOnView;

// "PBOOK: <sel> " and items "<k> <number> <name>;" for k in [first, last].
std::string Pbook(int sel, int first, int last) {
    std::string msg = "PBOOK: " + std::to_string(sel) + " ";
    for (int k = first; k <= last; ++k)
        msg +=
            std::to_string(k) + " 55" + std::to_string(k) + " Contact " + std::to_string(k) + ";";
    return msg;
}

std::vector<std::string> Row(const FaceModel& face, int list, int row) {
    return face.List(list).rows.at(static_cast<std::size_t>(row)).texts;
}

class Lists : public ::testing::Test {
  protected:
    void SetUp() override {
        rig.Init();
        rig.Address();
        rig.Sent();
    }
    FaceModel& face() { return rig.face(); }
    int Rows(int list) { return face().ListRowCount(list); }
    // How many records the dialer holds, seen where the device's next continuation goes
    // on: item count + 1 adds exactly one row, which shows that item.
    void ExpectContinuesAfter(int list, int count) {
        const int rows = Rows(list);
        const std::string k = std::to_string(count + 1);
        rig.Receive(list == Ctl::PhonebookList ? "PBOOK: -1 " + k + " 1 Next;"
                                               : "CALLS: -1 " + k + " 1 1 Next D T 1s;");
        ASSERT_EQ(Rows(list), rows + 1) << "after " << count;
        EXPECT_EQ(Row(face(), list, rows)[1], "Next") << "after " << count;
    }
    // The menu rows a click selects on the device: each shown row, none past them.
    void ExpectMenuClicksSelect(int rows) {
        rig.Sent();
        for (int r = 0; r <= rows; ++r) {
            rig->OnListClick(Ctl::MenuList, r);
            const std::vector<std::string> want =
                r < rows ? std::vector<std::string>{"SELECT: " + std::to_string(r)}
                         : std::vector<std::string>{};
            EXPECT_EQ(rig.Sent(), want) << r;
        }
    }

    DialerRig rig;
};

// --- Phonebook -----------------------------------------------------------------------------

TEST_F(Lists, LongPhonebookArrivesInSeveralDatagramsAndRestartsAtItemOne) {
    rig.Receive(Pbook(-1, 1, 50));
    const std::uint64_t resets = face().List(Ctl::PhonebookList).resetCount;
    rig.Receive(Pbook(-1, 51, 100));
    rig.Receive(Pbook(-1, 101, 120));
    ASSERT_EQ(Rows(Ctl::PhonebookList), 120);
    for (int r : {0, 49, 50, 99, 119}) {
        SCOPED_TRACE(r);
        const std::string k = std::to_string(r + 1);
        EXPECT_EQ(Row(face(), Ctl::PhonebookList, r),
                  (std::vector<std::string>{k, "Contact " + k, "55" + k}));
    }
    // Continuations only append: a view never has to rebuild the list.
    EXPECT_EQ(face().List(Ctl::PhonebookList).resetCount, resets);
    ExpectContinuesAfter(Ctl::PhonebookList, 120);

    rig.Receive(Pbook(-1, 1, 3));
    EXPECT_EQ(Rows(Ctl::PhonebookList), 3);
    EXPECT_EQ(Row(face(), Ctl::PhonebookList, 2),
              (std::vector<std::string>{"3", "Contact 3", "553"}));
    ExpectContinuesAfter(Ctl::PhonebookList, 3);
}

TEST_F(Lists, PhonebookMessageShowsThePhonebookScreen) {
    rig.Receive(Pbook(-1, 1, 4));
    EXPECT_EQ(ScreenOnView(rig.face()), FacePhonebook);
    EXPECT_TRUE(face().IsVisible(Ctl::PhonebookList));
    EXPECT_EQ(face().Focus(), Ctl::PhonebookList);
    EXPECT_EQ(face().List(Ctl::PhonebookList).selected, -1);
    EXPECT_FALSE(face().IsEnabled(Ctl::Send));
    EXPECT_TRUE(rig.Sent().empty());

    // The shortest message, "PBOOK: -1 " (10 characters), is an empty phonebook.
    rig.Receive("PBOOK: -1 ");
    EXPECT_EQ(Rows(Ctl::PhonebookList), 0);
    EXPECT_EQ(ScreenOnView(rig.face()), FacePhonebook);
    EXPECT_FALSE(face().IsEnabled(Ctl::Send));
    ExpectContinuesAfter(Ctl::PhonebookList, 0);
}

TEST_F(Lists, PhonebookSelectsTheDevicesRow) {
    struct Case {
        std::string msg;
        int selected; // afterwards
        bool send;
    };
    const Case cases[] = {
        {Pbook(2, 1, 5), 2, true},   {Pbook(0, 1, 5), 0, true}, {Pbook(-1, 1, 5), -1, false},
        {Pbook(5, 1, 5), -1, true},  // one beyond the last row: nothing to mark
        {Pbook(80, 1, 5), -1, true}, // the device's row arrives in a later datagram
        {"PBOOK: 3 ", -1, true},     // empty phonebook
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.msg);
        rig.Receive(c.msg);
        EXPECT_EQ(face().List(Ctl::PhonebookList).selected, c.selected);
        EXPECT_EQ(face().List(Ctl::PhonebookList).scrollTo, c.selected);
        EXPECT_EQ(face().IsEnabled(Ctl::Send), c.send);
    }
}

TEST_F(Lists, PhonebookSelectionInAContinuationMarksTheNewRow) {
    rig.Receive(Pbook(60, 1, 50));
    EXPECT_EQ(face().List(Ctl::PhonebookList).selected, -1);
    rig.Receive(Pbook(60, 51, 70));
    EXPECT_EQ(face().List(Ctl::PhonebookList).selected, 60);
}

TEST_F(Lists, PhonebookItemsOutsideTheStoreEndTheReading) {
    struct Case {
        const char* msg;
        std::vector<std::string> names; // of every row afterwards
    };
    const Case cases[] = {
        {"PBOOK: -1 1 11 One;2 22 Two;0 33 Zero;3 44 Three;", {"One", "Two"}},
        {"PBOOK: -1 1 11 One;-4 22 Neg;2 33 Two;", {"One"}},
        {"PBOOK: -1 1 11 One;1000 22 Far;2 33 Two;", {"One"}},
        {"PBOOK: -1 1 11 One;999999999999 22 Huge;", {"One"}},
        {"PBOOK: -1 1 11 One;2 22 No semicolon", {"One"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.msg);
        rig.Receive(c.msg);
        ASSERT_EQ(Rows(Ctl::PhonebookList), static_cast<int>(c.names.size()));
        for (std::size_t r = 0; r < c.names.size(); ++r)
            EXPECT_EQ(Row(face(), Ctl::PhonebookList, static_cast<int>(r))[1], c.names[r]);
        ExpectContinuesAfter(Ctl::PhonebookList, static_cast<int>(c.names.size()));
        rig.Receive(c.msg); // the case's list again
    }
    // A message whose first item is unusable changes nothing of the list.
    rig.Receive("PBOOK: -1 0 11 Zero;1 22 One;");
    EXPECT_EQ(Rows(Ctl::PhonebookList), 1);
    EXPECT_EQ(Row(face(), Ctl::PhonebookList, 0)[1], "One");
    EXPECT_EQ(ScreenOnView(rig.face()), FacePhonebook);
}

TEST_F(Lists, PhonebookItemNineHundredNinetyNineIsTheLastThatFits) {
    rig.Receive("PBOOK: -1 1 11 First;999 99 Last;");
    ASSERT_EQ(Rows(Ctl::PhonebookList), 999);
    // The last item is held: picked and edited, its record fills the editor.
    rig->OnListClick(Ctl::PhonebookList, 998);
    rig.Receive("MOD:");
    EXPECT_EQ(face().Text(Ctl::NameEdit), "Last");
    EXPECT_EQ(face().Text(Ctl::NumberEdit), "99");
    rig->ShowPhonebookScreen();
    EXPECT_EQ(Row(face(), Ctl::PhonebookList, 998),
              (std::vector<std::string>{"999", "Last", "99"}));
    // Numbers the device skipped show what their record holds.
    EXPECT_EQ(Row(face(), Ctl::PhonebookList, 500)[0], "501");
}

TEST_F(Lists, PhonebookTextsLongerThanTheirFieldsAreCut) {
    const std::string number(40, '7');
    const std::string name(60, 'N');
    rig.Receive("PBOOK: -1 1 " + number + " " + name + ";");
    ASSERT_EQ(Rows(Ctl::PhonebookList), 1);
    EXPECT_EQ(Row(face(), Ctl::PhonebookList, 0)[2], std::string(19, '7'));
    EXPECT_EQ(Row(face(), Ctl::PhonebookList, 0)[1], std::string(31, 'N'));
    // What a pick and an edit read from the record is cut the same.
    rig->OnListClick(Ctl::PhonebookList, 0);
    EXPECT_EQ(face().Text(Ctl::EntryEdit), std::string(19, '7'));
    rig.Receive("MOD:");
    EXPECT_EQ(face().Text(Ctl::NameEdit), std::string(31, 'N'));
}

TEST_F(Lists, PhonebookRepeatingShownNumbersRewritesRecordsButNotRows) {
    rig.Receive(Pbook(-1, 1, 5));
    rig.Receive("PBOOK: -1 2 999 Changed;");
    EXPECT_EQ(Rows(Ctl::PhonebookList), 5);
    EXPECT_EQ(Row(face(), Ctl::PhonebookList, 1)[1], "Contact 2");
    // The record behind the row is the new one: picking the row takes its number.
    rig->OnListClick(Ctl::PhonebookList, 1);
    EXPECT_EQ(face().Text(Ctl::EntryEdit), "999");
    // The next continuation goes on from the count, numbering rows by the list.
    rig.Receive("PBOOK: -1 3 333 Three;");
    ASSERT_EQ(Rows(Ctl::PhonebookList), 6);
    EXPECT_EQ(Row(face(), Ctl::PhonebookList, 5), (std::vector<std::string>{"6", "Three", "333"}));
}

// --- Call log ------------------------------------------------------------------------------

TEST_F(Lists, CallLogRowsShowTheCallTypePictureAndTheNameFirst) {
    rig.Receive("CALLS: -1 1 2 5551234 Jo^Ann^Lee^X 2024-01-02^10:00 10:00 00:01:05; "
                "2 0 777 Bob Mon^1 9:00 5s;3 1 888 Al Tue 8:00 7s;4 7 999 Odd Wed 1:00 1s;"
                "5 -1 111 Neg Thu 2:00 2s;");
    ASSERT_EQ(Rows(Ctl::CallLogList), 5);
    EXPECT_EQ(Row(face(), Ctl::CallLogList, 0),
              (std::vector<std::string>{"", "Jo Ann Lee^X", "5551234", "2024-01-02 10:00", "10:00",
                                        "00:01:05"}));
    const int images[] = {2, 0, 1, -1, -1}; // types without a picture get none
    for (int r = 0; r < 5; ++r)
        EXPECT_EQ(face().List(Ctl::CallLogList).rows[static_cast<std::size_t>(r)].image, images[r])
            << r;
    EXPECT_EQ(ScreenOnView(rig.face()), FaceCallLog);
    EXPECT_TRUE(face().IsVisible(Ctl::CallLogList));
    EXPECT_FALSE(face().IsVisible(Ctl::DisplayLine1));
    EXPECT_EQ(face().Focus(), Ctl::CallLogList);
    EXPECT_FALSE(face().IsEnabled(Ctl::Send));
    ExpectContinuesAfter(Ctl::CallLogList, 5);
}

TEST_F(Lists, CallLogContinuesRestartsAndSelects) {
    auto calls = [](int sel, int first, int last) {
        std::string msg = "CALLS: " + std::to_string(sel) + " ";
        for (int k = first; k <= last; ++k)
            msg += std::to_string(k) + " 1 " + std::to_string(k) + " N" + std::to_string(k) +
                   " D T 1s;";
        return msg;
    };
    rig.Receive(calls(-1, 1, 40));
    const std::uint64_t resets = face().List(Ctl::CallLogList).resetCount;
    rig.Receive(calls(45, 41, 90));
    EXPECT_EQ(Rows(Ctl::CallLogList), 90);
    EXPECT_EQ(face().List(Ctl::CallLogList).resetCount, resets);
    EXPECT_EQ(face().List(Ctl::CallLogList).selected, 45);
    EXPECT_EQ(face().List(Ctl::CallLogList).scrollTo, 45);
    EXPECT_TRUE(face().IsEnabled(Ctl::Send));
    EXPECT_EQ(Row(face(), Ctl::CallLogList, 89)[1], "N90");

    rig.Receive(calls(-1, 1, 2));
    EXPECT_EQ(Rows(Ctl::CallLogList), 2);
    EXPECT_EQ(face().List(Ctl::CallLogList).selected, -1);

    rig.Receive("CALLS: -1 1 1 1 A B C D;3000 1 2 B C D E;");
    EXPECT_EQ(Rows(Ctl::CallLogList), 1);
    rig.Receive("CALLS: -1 0 1 1 A B C D;");
    EXPECT_EQ(Rows(Ctl::CallLogList), 1);
    rig.Receive("CALLS: -1 ");
    EXPECT_EQ(Rows(Ctl::CallLogList), 0);
    ExpectContinuesAfter(Ctl::CallLogList, 0);
}

TEST_F(Lists, CallLogTextsLongerThanTheirFieldsAreCut) {
    rig.Receive("CALLS: -1 1 0 " + std::string(30, '1') + " " + std::string(50, 'n') + " " +
                std::string(30, 'd') + " " + std::string(30, 't') + " " + std::string(30, 'u') +
                ";");
    ASSERT_EQ(Rows(Ctl::CallLogList), 1);
    EXPECT_EQ(Row(face(), Ctl::CallLogList, 0),
              (std::vector<std::string>{"", std::string(31, 'n'), std::string(15, '1'),
                                        std::string(19, 'd'), std::string(19, 't'),
                                        std::string(19, 'u')}));
}

// --- Menu ----------------------------------------------------------------------------------

TEST_F(Lists, MenuReplacesTheWholeListNumberingItsOwnRows) {
    rig.Receive("MENU: -1 1 Old one;2 Old two;3 Old three;4 Old four;");
    rig.Receive("MENU: 1 7 Settings;3 Call forward;9 Do not disturb;4 No end");
    ASSERT_EQ(Rows(Ctl::MenuList), 3);
    EXPECT_EQ(Row(face(), Ctl::MenuList, 0), (std::vector<std::string>{"1", "Settings"}));
    EXPECT_EQ(Row(face(), Ctl::MenuList, 1), (std::vector<std::string>{"2", "Call forward"}));
    EXPECT_EQ(Row(face(), Ctl::MenuList, 2), (std::vector<std::string>{"3", "Do not disturb"}));
    EXPECT_EQ(ScreenOnView(rig.face()), FaceMenu);
    EXPECT_TRUE(face().IsVisible(Ctl::MenuList));
    EXPECT_EQ(face().List(Ctl::MenuList).selected, 1);
    EXPECT_EQ(face().List(Ctl::MenuList).scrollTo, 1);
    EXPECT_TRUE(face().IsVisible(Ctl::Send));
    EXPECT_FALSE(face().IsEnabled(Ctl::Send)) << "SEND stays off even with a selected row";
    EXPECT_EQ(face().Focus(), Ctl::MenuList);
    ExpectMenuClicksSelect(3);

    rig.Receive("MENU: 5 1 " + std::string(60, 'm') + ";");
    ASSERT_EQ(Rows(Ctl::MenuList), 1);
    EXPECT_EQ(Row(face(), Ctl::MenuList, 0)[1], std::string(39, 'm'));
    EXPECT_EQ(face().List(Ctl::MenuList).selected, -1);

    rig.Receive("MENU: -1 ");
    EXPECT_EQ(Rows(Ctl::MenuList), 0);
    ExpectMenuClicksSelect(0);
}

// --- Showing and hiding --------------------------------------------------------------------

TEST_F(Lists, HideListHidesEveryListAndShowsLineZero) {
    rig.Receive(Pbook(-1, 1, 2));
    face().Show(Ctl::MenuList, true);
    face().Show(Ctl::CallLogList, true);
    face().Show(Ctl::DisplayLine0, false);
    rig.Receive("HIDE_LIST:");
    for (int id : {Ctl::PhonebookList, Ctl::MenuList, Ctl::CallLogList})
        EXPECT_FALSE(face().IsVisible(id));
    EXPECT_TRUE(face().IsVisible(Ctl::DisplayLine0));
    EXPECT_EQ(Rows(Ctl::PhonebookList), 2) << "hiding keeps the rows";
    // Still the phonebook screen: the device's "SHOW_LIST:" brings its list back.
    rig.Receive("SHOW_LIST:");
    EXPECT_EQ(ScreenOnView(rig.face()), FacePhonebook);
}

TEST_F(Lists, ShowListShowsTheListOfTheCurrentScreen) {
    struct Case {
        int mode;
        int list; // 0: none
    };
    const Case cases[] = {
        {FaceDialpad, 0},
        {FacePhonebook, Ctl::PhonebookList},
        {FaceCallLog, Ctl::CallLogList},
        {FaceMenu, Ctl::MenuList},
        {FaceContactEditor, Ctl::PhonebookList},
        {FaceVolume, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        switch (c.mode) { // the screen as its routine or the phone's message brings it
        case FaceDialpad: rig->ShowDialpadScreen(); break;
        case FacePhonebook: rig->ShowPhonebookScreen(); break;
        case FaceCallLog: rig->ShowCallLogScreen(); break;
        case FaceMenu: rig->ShowMenuScreen(); break;
        case FaceContactEditor: rig.Receive("ADD:"); break;
        case FaceVolume: rig.Receive("VOL: 1 50 Volume"); break;
        }
        for (int id : {Ctl::PhonebookList, Ctl::MenuList, Ctl::CallLogList})
            face().Show(id, false);
        for (int id : {Ctl::EntryEdit, Ctl::DisplayLine0, Ctl::DisplayLine2, Ctl::DisplayLine3})
            face().Show(id, true);
        face().Show(Ctl::DisplayLine1, c.mode % 2 == 0); // line 1 keeps either state
        rig.Receive("SHOW_LIST:");
        for (int id : {Ctl::PhonebookList, Ctl::MenuList, Ctl::CallLogList})
            EXPECT_EQ(face().IsVisible(id), id == c.list) << id;
        for (int id : {Ctl::EntryEdit, Ctl::DisplayLine0, Ctl::DisplayLine2, Ctl::DisplayLine3})
            EXPECT_FALSE(face().IsVisible(id)) << id;
        EXPECT_EQ(face().IsVisible(Ctl::DisplayLine1), c.mode % 2 == 0);
        EXPECT_EQ(ScreenOnView(rig.face()), c.mode);
    }
}

TEST_F(Lists, ShowDialpadSwitchesScreensWithoutSendingAnything) {
    rig.Receive(Pbook(1, 1, 3));
    rig.Receive("SHOW_DIALPAD:");
    EXPECT_EQ(ScreenOnView(rig.face()), FaceDialpad);
    EXPECT_TRUE(face().IsVisible(Ctl::Key1));
    EXPECT_FALSE(face().IsVisible(Ctl::PhonebookList));
    EXPECT_TRUE(face().IsEnabled(Ctl::Send));
    EXPECT_TRUE(rig.Sent().empty());
    rig->ShowDialpadScreen(); // shown by the dialer itself: the display is asked for again
    EXPECT_EQ(rig.Sent(), std::vector<std::string>{"DISP:"});
}

// The list tables take memory only once their list arrives; reading one never makes it.
TEST_F(Lists, ListTablesAreMadeOnlyWhenTheirListArrives) {
    EXPECT_FALSE(rig->isPhonebookStoreAllocated());
    EXPECT_FALSE(rig->isCallLogStoreAllocated());
    rig->OnListClick(Ctl::PhonebookList, 0); // no rows: nothing to read
    EXPECT_FALSE(rig->isPhonebookStoreAllocated());

    rig.Receive(Pbook(-1, 1, 2));
    EXPECT_TRUE(rig->isPhonebookStoreAllocated());
    EXPECT_FALSE(rig->isCallLogStoreAllocated());
    rig->OnListClick(Ctl::PhonebookList, 1);
    EXPECT_EQ(face().Text(Ctl::EntryEdit), "552");

    // An empty call log arrives: its rows are cleared, and still nothing is kept.
    rig.Receive("CALLS: -1 ");
    EXPECT_FALSE(rig->isCallLogStoreAllocated());
    rig.Receive("CALLS: -1 1 1 777 A B C D;");
    EXPECT_TRUE(rig->isCallLogStoreAllocated());
    rig->OnListClick(Ctl::CallLogList, 0);
    EXPECT_EQ(face().Text(Ctl::EntryEdit), "777");
}

} // namespace
} // namespace orvane
