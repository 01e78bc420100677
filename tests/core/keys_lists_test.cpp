// Clicks on the phonebook, call log and menu lists, and the contact editor.
#include "FaceIds.h"
#include "FakePorts.h"

#include <gtest/gtest.h>

namespace orvane::test {
namespace {

struct ListsRig : DialerRig {
    ListsRig() {
        Init();
        Address();
    }
    // The device shows its phonebook with these contacts; nothing sent so far.
    void Phonebook(const std::vector<proto::Contact>& contacts) {
        for (const std::string& msg : proto::Write<proto::InKeyword::Pbook>(-1, contacts))
            Receive(msg);
        Sent();
    }
    // What a double click on the row just clicked sends: it dials the row only when that
    // click selected it.
    std::vector<std::string> Activate(int list, int row) {
        Sent();
        dlg->OnListActivate(list, row, true);
        return Sent();
    }
};

std::vector<std::string> Dials(const std::string& number) {
    return {"DISP:", "DIAL: " + number};
}

const std::vector<proto::Contact> kThree = {
    {"555", "Ann Lee"}, {"777", "Bo"}, {"+4930123", "Carla Diaz"}};

TEST(KeysLists, PhonebookClickSelectsTheRowAndFillsTheEntry) {
    struct Case {
        int row;
        std::vector<std::string> sent;
        std::string entry;
        int sel;
    };
    const Case cases[] = {
        {0, {"SELECT: 0"}, "555", 0},
        {2, {"SELECT: 2"}, "+4930123", 2},
        {-1, {}, "typed", -1}, // below the last row
        {3, {}, "typed", -1},  // a row the store does not hold
    };
    for (const Case& c : cases) {
        ListsRig rig;
        rig.Phonebook(kThree);
        EXPECT_FALSE(rig.face().IsEnabled(Ctl::Send));
        rig.face().UserSetText(Ctl::EntryEdit, "typed");
        rig->OnListClick(Ctl::PhonebookList, c.row);
        EXPECT_EQ(rig.Sent(), c.sent) << c.row;
        EXPECT_EQ(rig.face().Text(Ctl::EntryEdit), c.entry) << c.row;
        const bool picked = c.sel >= 0;
        EXPECT_EQ(rig.face().IsEnabled(Ctl::Send), picked) << c.row;
        EXPECT_TRUE(rig.face().IsVisible(Ctl::End)) << c.row;
        EXPECT_EQ(rig.face().IsVisible(Ctl::EntryEdit), false) << c.row; // not shown by a click
        EXPECT_EQ(rig.Activate(Ctl::PhonebookList, c.row),
                  picked ? Dials(c.entry) : std::vector<std::string>{})
            << c.row;
    }
}

TEST(KeysLists, CallLogClickSelectsTheRowAndSendDialsIt) {
    ListsRig rig;
    proto::CallItem call;
    call.callType = 1;
    call.number = "0301234";
    call.name = "Dora";
    call.date = "2024-05-01";
    call.time = "10:00";
    call.duration = "00:42";
    for (const std::string& msg :
         proto::Write<proto::InKeyword::Calls>(-1, std::vector<proto::CallItem>{call, call}))
        rig.Receive(msg);
    rig.Sent();

    rig->OnListClick(Ctl::CallLogList, 1);
    EXPECT_EQ(rig.Sent(), std::vector<std::string>{"SELECT: 1"});
    EXPECT_TRUE(rig.face().IsEnabled(Ctl::Send));

    rig->OnCommand(Ctl::Send);
    EXPECT_EQ(rig.Sent(), (std::vector<std::string>{"DISP:", "DIAL: 0301234"}));

    rig->ShowCallLogScreen();
    rig->OnListClick(Ctl::CallLogList, 1); // selected again: a double click dials it
    rig.Sent();
    EXPECT_EQ(rig.Activate(Ctl::CallLogList, 1), Dials("0301234"));

    rig->ShowCallLogScreen();
    rig->OnListClick(Ctl::CallLogList, 1);
    rig->OnListClick(Ctl::CallLogList, -1);
    EXPECT_EQ(rig.Sent(), std::vector<std::string>{"SELECT: 1"});
    // The click below the rows dropped the selection: row 1 is no longer dialled.
    EXPECT_TRUE(rig.Activate(Ctl::CallLogList, 1).empty());
}

TEST(KeysLists, MenuClickSendsOnlyTheRow) {
    ListsRig rig;
    rig.Receive(proto::Write<proto::InKeyword::Menu>(
        0, std::vector<std::string>{"Settings", "Status", "Reboot"}));
    rig.Sent();
    rig.face().UserSetText(Ctl::EntryEdit, "typed");
    const std::uint64_t version = rig.face().Version();

    for (int row : {-1, 3}) {
        rig->OnListClick(Ctl::MenuList, row);
        EXPECT_TRUE(rig.Sent().empty()) << row;
    }
    EXPECT_EQ(rig.face().Version(), version); // nothing on the face changed

    rig->OnListClick(Ctl::MenuList, 2);
    EXPECT_EQ(rig.Sent(), std::vector<std::string>{"SELECT: 2"});
    EXPECT_EQ(rig.face().Text(Ctl::EntryEdit), "typed");
}

TEST(KeysLists, ContactEditorOpensForAddAndForAValidMod) {
    struct Case {
        const char* name;
        int click; // phonebook row clicked first, -2 for no click
        const char* msg;
        bool opens;
        std::string wantName, wantNumber;
    };
    const Case cases[] = {
        {"add", 1, "ADD:", true, "", ""},
        {"mod", 1, "MOD:", true, "Bo", "777"},
        {"mod without click", -2, "MOD:", false, "", ""},
        {"mod after click below rows", -1, "MOD:", false, "", ""},
    };
    for (const Case& c : cases) {
        ListsRig rig;
        rig.Phonebook(kThree);
        if (c.click != -2) rig->OnListClick(Ctl::PhonebookList, c.click);
        rig.face().SetText(Ctl::NameEdit, "old");
        rig.Receive(c.msg);
        EXPECT_EQ(ScreenOnView(rig.face()) == FaceContactEditor, c.opens) << c.name;
        for (int id : {Ctl::NameEdit, Ctl::NumberEdit, Ctl::NameLabel, Ctl::NumberLabel})
            EXPECT_EQ(rig.face().IsVisible(id), c.opens) << c.name << " " << id;
        EXPECT_EQ(rig.face().IsVisible(Ctl::PhonebookList), !c.opens) << c.name;
        if (!c.opens) continue;
        EXPECT_EQ(rig.face().Text(Ctl::NameEdit), c.wantName) << c.name;
        EXPECT_EQ(rig.face().Text(Ctl::NumberEdit), c.wantNumber) << c.name;
        for (int id : {Ctl::DisplayLine1, Ctl::DisplayLine2, Ctl::DisplayLine3})
            EXPECT_FALSE(rig.face().IsVisible(id)) << c.name;
        EXPECT_EQ(rig.face().Get(Ctl::EditKey).images, (ImageSet{Bmp::Save, 0, 0, 0}));
        EXPECT_EQ(rig.face().Get(Ctl::NumberEdit).maxLength, 19);
        EXPECT_EQ(rig.face().Get(Ctl::NameEdit).maxLength, 31);
    }
}

TEST(KeysLists, ModAfterThePhonebookShrankIsIgnored) {
    ListsRig rig;
    rig.Phonebook(kThree);
    rig->OnListClick(Ctl::PhonebookList, 2);
    rig.Phonebook({{"555", "Ann Lee"}});
    rig.Receive("MOD:");
    EXPECT_NE(ScreenOnView(rig.face()), FaceContactEditor);
    EXPECT_FALSE(rig.face().IsVisible(Ctl::NameEdit));
}

// A list message that repeats numbers already shown lowers the count but keeps the rows;
// a click on such a row still picks it, and "MOD:" for it is then ignored.
TEST(KeysLists, ClickOnARowPastTheLoweredCountStillPicksIt) {
    ListsRig rig;
    rig.Phonebook({{"111", "A"}, {"222", "B"}, {"333", "C"}, {"444", "D"}, {"555", "E"}});
    rig.Receive("PBOOK: -1 2 202 Bee;3 303 Cee;");
    rig.Sent();
    ASSERT_EQ(rig.face().ListRowCount(Ctl::PhonebookList), 5);
    rig->OnListClick(Ctl::PhonebookList, 2); // the last row the lowered count holds
    rig.Receive("MOD:");
    ASSERT_EQ(ScreenOnView(rig.face()), FaceContactEditor);
    EXPECT_EQ(rig.face().Text(Ctl::NameEdit), "Cee");
    rig->ShowPhonebookScreen();
    rig.Sent();
    rig->OnListClick(Ctl::PhonebookList, 4);
    EXPECT_EQ(rig.Sent(), std::vector<std::string>{"SELECT: 4"});
    EXPECT_EQ(rig.face().Text(Ctl::EntryEdit), "555");
    rig.Receive("MOD:");
    EXPECT_NE(ScreenOnView(rig.face()), FaceContactEditor);
    EXPECT_EQ(rig.Activate(Ctl::PhonebookList, 4), Dials("555"));

    rig.Receive("CALLS: -1 1 0 100 A 1.1. 10:00 1;2 0 200 B 1.1. 10:01 2;3 0 300 C 1.1. 10:02 3;");
    rig.Receive("CALLS: -1 2 0 900 Z 1.1. 11:00 9;");
    rig.Sent();
    ASSERT_EQ(rig.face().ListRowCount(Ctl::CallLogList), 3);
    rig->OnListClick(Ctl::CallLogList, 2);
    EXPECT_EQ(rig.Sent(), std::vector<std::string>{"SELECT: 2"});
    EXPECT_EQ(rig.face().Text(Ctl::EntryEdit), "300");
    EXPECT_EQ(rig.Activate(Ctl::CallLogList, 2), Dials("300"));
}

TEST(KeysLists, SaveSendsTheFieldsExactlyAsTyped) {
    struct Case {
        const char* name;
        const char* msg;
        std::string number, typedName;
        std::string sent;
    };
    const Case cases[] = {
        {"empty add", "ADD:", "", "", "ADD:  "},
        {"add", "ADD:", "123", "New Person", "ADD: 123 New Person"},
        {"mod keeps blanks", "MOD:", "777", "  Bo  Z ", "MOD: 1 777   Bo  Z "},
        {"overlong cut", "ADD:", std::string(25, '9'), std::string(40, 'n'),
         "ADD: " + std::string(19, '9') + " " + std::string(31, 'n')},
    };
    for (const Case& c : cases) {
        ListsRig rig;
        rig.Phonebook(kThree);
        rig->OnListClick(Ctl::PhonebookList, 1);
        rig.Receive(c.msg);
        rig.Sent();
        // The user types into the editor (text put there past the limit is cut all the same).
        rig.face().UserSetText(Ctl::NumberEdit, c.number);
        rig.face().UserSetText(Ctl::NameEdit, c.typedName);
        rig.face().Show(Ctl::EditKey, true);
        rig->OnCommand(Ctl::EditKey);
        EXPECT_EQ(rig.Sent(), std::vector<std::string>{c.sent}) << c.name;
        EXPECT_EQ(ScreenOnView(rig.face()), FaceContactEditor) << c.name; // stays open
        EXPECT_TRUE(rig.dialogs.boxes.empty()) << c.name;
    }
}

TEST(KeysLists, LongestModLineFitsACommand) {
    ListsRig rig;
    std::vector<proto::Contact> many(999, proto::Contact{"1", "x"});
    rig.Phonebook(many);
    ASSERT_EQ(rig.face().ListRowCount(Ctl::PhonebookList), 999);
    rig->OnListClick(Ctl::PhonebookList, 998);
    rig.Receive("MOD:");
    rig.Sent();
    rig.face().UserSetText(Ctl::NumberEdit, std::string(19, '9'));
    rig.face().UserSetText(Ctl::NameEdit, std::string(31, 'n'));
    rig->OnCommand(Ctl::F1);
    const std::vector<std::string> sent = rig.Sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], "MOD: 998 " + std::string(19, '9') + " " + std::string(31, 'n'));
    EXPECT_TRUE(rig.dialogs.boxes.empty());
}

} // namespace
} // namespace orvane::test

namespace orvane::test {
namespace {

TEST(KeysLists, ActivatingARowDoesWhatAClickDoesThenDials) {
    struct Case {
        int list;
        int row;
        std::vector<std::string> sent;
    };
    const Case cases[] = {
        {Ctl::PhonebookList, 1, {"SELECT: 1", "DISP:", "DIAL: 777"}},
        {Ctl::PhonebookList, -1, {}}, // below the last row: nothing picked, nothing dialled
        {Ctl::PhonebookList, 7, {}},
        {Ctl::CallLogList, 0, {"SELECT: 0", "DISP:", "DIAL: 0301234"}},
        {Ctl::MenuList, 0, {"SELECT: 0"}}, // a menu row is only chosen
    };
    for (const Case& c : cases) {
        ListsRig rig;
        rig.Phonebook(kThree);
        proto::CallItem call;
        call.callType = 1;
        call.number = "0301234";
        call.name = "Dora";
        for (const std::string& msg :
             proto::Write<proto::InKeyword::Calls>(-1, std::vector<proto::CallItem>{call}))
            rig.Receive(msg);
        rig.Receive(proto::Write<proto::InKeyword::Menu>(
            -1, std::vector<std::string>{"Settings", "Status"}));
        rig.Sent();
        rig->OnListActivate(c.list, c.row, false);
        EXPECT_EQ(rig.Sent(), c.sent) << c.list << " " << c.row;
    }
}

TEST(KeysLists, DoubleClickDialsTheRowItsFirstClickPicked) {
    ListsRig rig;
    rig.Phonebook(kThree);
    rig->OnListClick(Ctl::PhonebookList, 2); // the double click's first click
    EXPECT_EQ(rig.Sent(), std::vector<std::string>{"SELECT: 2"});
    rig->OnListActivate(Ctl::PhonebookList, 2, true);
    EXPECT_EQ(rig.Sent(), (std::vector<std::string>{"DISP:", "DIAL: +4930123"}));
    // A menu row is chosen once by a double click.
    rig.Receive(
        proto::Write<proto::InKeyword::Menu>(-1, std::vector<std::string>{"Settings", "Status"}));
    rig.Sent();
    rig->OnListClick(Ctl::MenuList, 1);
    rig->OnListActivate(Ctl::MenuList, 1, true);
    EXPECT_EQ(rig.Sent(), std::vector<std::string>{"SELECT: 1"});
}

} // namespace
} // namespace orvane::test
