// The controlled phone on the face, with a real phone and the real window: display
// mirroring, local dialling, a call, the three lists at full size, selection and contact
// editing, the private list upload, the volume from both sides, the console and the
// phone's text prompt.
#include "E2eRig.h"

#include <QFile>
#include <QRegularExpression>

using namespace orvane;
using namespace orvane::demo;
using namespace orvane::demo::test;

class Face : public E2e {};

namespace {

int KeyFor(QChar digit) {
    return digit == QLatin1Char('0') ? Ctl::Key0 : Ctl::Key1 + digit.digitValue() - 1;
}

} // namespace

TEST_F(Face, TheFaceMirrorsThePhonesDisplayKeysAndIcons) {
    ConnectToOnlyPhone(Phone(kFront, "Front Desk"));
    // The idle screen as the phone paints it.
    EXPECT_TRUE(waitUntil([&] { return !d().text(Ctl::DisplayLine1).isEmpty(); }, 2000));
    EXPECT_TRUE(Shows(Ctl::F2, "DND"));
    EXPECT_TRUE(Shows(Ctl::F3, "Menu"));
    EXPECT_FALSE(d().visible(Ctl::F1));
    EXPECT_TRUE(d().visible(Ctl::PhoneIcon));
    EXPECT_FALSE(d().visible(Ctl::PhoneOffIcon));
    EXPECT_TRUE(d().visible(Ctl::HdIcon));
    EXPECT_FALSE(d().visible(Ctl::DndIcon));
    EXPECT_EQ(d().picture(Ctl::StatusIcon), Bmp::Bell);

    // A soft key of the phone: do not disturb, with its sign and small icon.
    ASSERT_TRUE(d().click(Ctl::F2));
    ASSERT_TRUE(PhoneGot("KEY: 13"));
    EXPECT_TRUE(Shows(Ctl::F2, "DND off"));
    EXPECT_TRUE(waitUntil([&] { return d().visible(Ctl::DndIcon); }, 2000));
    EXPECT_EQ(d().picture(Ctl::StatusIcon), Bmp::DoNotDisturb);

    // Whatever else the phone sends.
    sim.control("send DISP: 2 Conference room");
    EXPECT_TRUE(Shows(Ctl::DisplayLine2, "Conference room"));
    EXPECT_FALSE(d().visible(Ctl::DisplayLine0));
    EXPECT_TRUE(Shows(Ctl::DisplayLine3, ""));
    sim.control("send DISP: 7 Incoming call\\nMaria Berg\\n0301234567");
    EXPECT_TRUE(Shows(Ctl::DisplayLine1, "Incoming call"));
    EXPECT_TRUE(Shows(Ctl::DisplayLine2, "Maria Berg"));
    EXPECT_TRUE(Shows(Ctl::DisplayLine3, "0301234567"));
    sim.control("send DISP: 0 Front Desk }1");
    EXPECT_TRUE(Shows(Ctl::DisplayLine0, "Front Desk H1"));
    sim.control("send TEXT_KEY: 1 Answer");
    EXPECT_TRUE(Shows(Ctl::F1, "Answer"));
    sim.control("send ICON_KEY: 3 0");
    EXPECT_TRUE(waitUntil([&] { return d().visible(Ctl::BackKey); }, 2000));
    EXPECT_EQ(d().picture(Ctl::BackKey), Bmp::Back);
    EXPECT_FALSE(d().visible(Ctl::F3));
    sim.control("send SHOW_MUTE: 1");
    EXPECT_TRUE(waitUntil([&] { return d().visible(Ctl::Mute); }, 2000));
    sim.control("send ICON: 100 0");
    EXPECT_TRUE(waitUntil([&] { return d().visible(Ctl::UsbIcon); }, 2000));
    sim.control("send ICON: 103 0");
    EXPECT_TRUE(waitUntil([&] { return d().visible(Ctl::PhoneOffIcon); }, 2000));
    EXPECT_FALSE(d().visible(Ctl::PhoneIcon));
    sim.control("send CLR: 4");
    EXPECT_TRUE(waitUntil([&] { return !d().visible(Ctl::UsbIcon); }, 2000));
    EXPECT_FALSE(d().visible(Ctl::DndIcon));
    EXPECT_EQ(boxes.seen().size(), 0u);
}

TEST_F(Face, SendTakesTheLineTheKeypadTypesLocallyEnterDialsAndEndHangsUp) {
    SimPhone phone = Phone(kFront, "Front Desk");
    // Long enough to see "Calling" on a slow (sanitized, loaded) machine.
    phone.answerMs = 1500;
    ConnectToOnlyPhone(phone);
    // Hook flag clear: a key goes to the phone.
    // SEND with an empty entry takes the line; the phone answers "HOOK: ON".
    ASSERT_TRUE(d().click(Ctl::Send));
    ASSERT_TRUE(PhoneGot("KEY: 19"));
    ASSERT_TRUE(PhoneSent("HOOK: ON"));
    pause(200);
    const int keys = PhoneCount("KEY:");

    const QString number = QStringLiteral("0301234567");
    for (QChar digit : number.left(9))
        ASSERT_TRUE(d().click(KeyFor(digit)));
    EXPECT_TRUE(Shows(Ctl::EntryEdit, number.left(9)));
    // Local typing shows the dialling face: Delete and Back instead of the soft keys.
    EXPECT_TRUE(d().visible(Ctl::DeleteKey));
    EXPECT_FALSE(d().visible(Ctl::F2));
    ASSERT_TRUE(d().click(Ctl::Key9));
    ASSERT_TRUE(d().click(Ctl::DeleteKey)); // takes the 9 back
    ASSERT_TRUE(d().click(Ctl::Key7));
    EXPECT_TRUE(Shows(Ctl::EntryEdit, number));
    pause(200);
    EXPECT_EQ(PhoneCount("KEY:"), keys) << "typed digits reached the phone";

    // Enter in the entry edit is SEND.
    d().pressEnter(Ctl::EntryEdit);
    ASSERT_TRUE(PhoneGot(QStringLiteral("DIAL: ") + number));
    const QStringList got = sim.received();
    const auto dial = got.indexOf(QStringLiteral("DIAL: ") + number);
    ASSERT_GT(dial, 0);
    EXPECT_EQ(str(got[dial - 1]), "DISP:") << "the dial pad screen asks first";
    // The entry is emptied; the phone's "Calling" block then covers the entry edit.
    EXPECT_TRUE(waitUntil([&] { return d().text(Ctl::EntryEdit).isEmpty(); }, 2000));
    EXPECT_TRUE(Shows(Ctl::DisplayLine1, "Calling"));
    EXPECT_TRUE(Shows(Ctl::DisplayLine1, "Connected", 3000)) << str(d().displaySummary());
    EXPECT_TRUE(waitUntil([&] { return d().visible(Ctl::Mute); }, 2000));
    ASSERT_TRUE(d().click(Ctl::Mute));
    ASSERT_TRUE(PhoneGot("KEY: 16"));
    EXPECT_TRUE(Shows(Ctl::DisplayLine1, "Muted"));

    ASSERT_TRUE(d().click(Ctl::End));
    ASSERT_TRUE(PhoneGot("KEY: 20"));
    ASSERT_TRUE(PhoneSent("HOOK: OFF"));
    EXPECT_TRUE(waitUntil(
        [&] { return d().text(Ctl::DisplayLine1).startsWith(QLatin1String("Call ended")); }, 3000))
        << str(d().displaySummary());
    // On hook again: keys go to the phone.
    ASSERT_TRUE(d().click(Ctl::Key5));
    EXPECT_TRUE(PhoneGot("KEY: 5"));
}

TEST_F(Face, FullSizeListsArriveOverManyDatagramsWhole) {
    SimPhone phone = Phone(kFront, "Front Desk");
    phone.contacts = 999;
    phone.calls = 2999;
    ConnectToOnlyPhone(phone);

    ASSERT_TRUE(d().click(Ctl::ContactsTab));
    ASSERT_TRUE(PhoneGot("KEY: 23"));
    ASSERT_TRUE(waitUntil([&] { return d().rows(Ctl::PhonebookList) == 999; }, 10000))
        << d().rows(Ctl::PhonebookList) << " contacts";
    EXPECT_TRUE(d().visible(Ctl::PhonebookList));
    const QStringList books = sim.sent().filter(QRegularExpression(QStringLiteral("^PBOOK: ")));
    EXPECT_GE(books.size(), 5) << "a phonebook of 999 fits no single datagram";
    EXPECT_EQ(str(d().cell(Ctl::PhonebookList, 0, 0)), "1");
    EXPECT_EQ(str(d().cell(Ctl::PhonebookList, 998, 0)), "999");
    // Rows carry what the phone sent: the last item of the last datagram is the last row.
    EXPECT_TRUE(books.last().endsWith(
        QStringLiteral("999 %1 %2;")
            .arg(d().cell(Ctl::PhonebookList, 998, 2), d().cell(Ctl::PhonebookList, 998, 1))))
        << str(books.last().right(80));
    EXPECT_TRUE(books.first().contains(
        QStringLiteral(" 1 %1 %2;")
            .arg(d().cell(Ctl::PhonebookList, 0, 2), d().cell(Ctl::PhonebookList, 0, 1))));

    ASSERT_TRUE(d().click(Ctl::CallLogsTab));
    ASSERT_TRUE(waitUntil([&] { return d().rows(Ctl::CallLogList) == 2999; }, 15000))
        << d().rows(Ctl::CallLogList) << " calls";
    EXPECT_TRUE(d().visible(Ctl::CallLogList));
    EXPECT_FALSE(d().visible(Ctl::PhonebookList));
    const QStringList calls = sim.sent().filter(QRegularExpression(QStringLiteral("^CALLS: ")));
    EXPECT_GE(calls.size(), 20);
    EXPECT_TRUE(calls.last().contains(QRegularExpression(QStringLiteral("[; ]2999 [0-2] "))))
        << "the last datagram ends the log with item 2999";
    const QString lastNumber = d().cell(Ctl::CallLogList, 2998, 2);
    EXPECT_FALSE(lastNumber.isEmpty());
    EXPECT_TRUE(calls.last().contains(QStringLiteral(" %1 ").arg(lastNumber)));
    for (int row : {0, 1499, 2998})
        EXPECT_FALSE(d().rowImage(Ctl::CallLogList, row).isNull()) << row;

    ASSERT_TRUE(d().click(Ctl::MenuTab));
    ASSERT_TRUE(waitUntil([&] { return d().rows(Ctl::MenuList) == 7; }, 3000));
    EXPECT_EQ(str(d().cell(Ctl::MenuList, 4, 1)), "Clear call log (2999)");
    EXPECT_TRUE(d().visible(Ctl::MenuList));
    EXPECT_FALSE(d().visible(Ctl::CallLogList));
}

TEST_F(Face, ARowClickSelectsAndTheContactEditorChangesAndAddsContacts) {
    ConnectToOnlyPhone(Phone(kFront, "Front Desk"));
    ASSERT_TRUE(d().click(Ctl::ContactsTab));
    ASSERT_TRUE(waitUntil([&] { return d().rows(Ctl::PhonebookList) == 12; }, 5000));
    // The phone offers "New" until a contact is selected.
    EXPECT_TRUE(waitUntil([&] { return d().picture(Ctl::EditKey) == Bmp::New; }, 2000));

    const QString number = d().cell(Ctl::PhonebookList, 2, 2);
    ASSERT_TRUE(d().clickRow(Ctl::PhonebookList, 2));
    ASSERT_TRUE(PhoneGot("SELECT: 2"));
    EXPECT_EQ(d().text(Ctl::EntryEdit), number);
    EXPECT_TRUE(d().visible(Ctl::Send));
    EXPECT_TRUE(d().enabled(Ctl::Send));
    EXPECT_TRUE(waitUntil([&] { return d().picture(Ctl::EditKey) == Bmp::Edit; }, 2000));
    EXPECT_TRUE(d().visible(Ctl::DeleteKey));

    // Edit: the phone asks for the editor, which opens on the selected contact.
    ASSERT_TRUE(d().click(Ctl::EditKey));
    ASSERT_TRUE(PhoneGot("KEY: 12"));
    ASSERT_TRUE(Shows(Ctl::NumberEdit, number));
    EXPECT_EQ(d().text(Ctl::NameEdit), d().cell(Ctl::PhonebookList, 2, 1));
    EXPECT_TRUE(d().visible(Ctl::NameLabel));
    EXPECT_FALSE(d().visible(Ctl::PhonebookList));
    EXPECT_EQ(d().picture(Ctl::EditKey), Bmp::Save);
    ASSERT_TRUE(d().type(Ctl::NameEdit, QStringLiteral("Anna Berg-Novak")));
    ASSERT_TRUE(d().click(Ctl::EditKey));
    ASSERT_TRUE(PhoneGot(QStringLiteral("MOD: 2 %1 Anna Berg-Novak").arg(number)));
    ASSERT_TRUE(
        waitUntil([&] { return d().rowOf(Ctl::PhonebookList, 1, "Anna Berg-Novak") >= 0; }, 3000));
    EXPECT_TRUE(d().visible(Ctl::PhonebookList));
    EXPECT_FALSE(d().visible(Ctl::NameEdit));
    const int changed = d().rowOf(Ctl::PhonebookList, 1, "Anna Berg-Novak");
    EXPECT_EQ(d().cell(Ctl::PhonebookList, changed, 2), number);
    EXPECT_EQ(d().selectedRow(Ctl::PhonebookList), changed);
    EXPECT_EQ(d().rows(Ctl::PhonebookList), 12);

    // Add: from the phone's menu; a menu row click selects it there.
    ASSERT_TRUE(d().click(Ctl::MenuTab));
    ASSERT_TRUE(waitUntil([&] { return d().rows(Ctl::MenuList) == 7; }, 3000));
    ASSERT_EQ(str(d().cell(Ctl::MenuList, 3, 1)), "Add contact");
    ASSERT_TRUE(d().clickRow(Ctl::MenuList, 3));
    ASSERT_TRUE(PhoneGot("SELECT: 3"));
    ASSERT_TRUE(Shows(Ctl::F1, "Select"));
    ASSERT_TRUE(d().click(Ctl::F1));
    ASSERT_TRUE(waitUntil([&] { return d().visible(Ctl::NameEdit); }, 3000));
    EXPECT_EQ(d().text(Ctl::NameEdit), QString());
    EXPECT_EQ(d().text(Ctl::NumberEdit), QString());
    ASSERT_TRUE(d().type(Ctl::NumberEdit, QStringLiteral("0301112233")));
    ASSERT_TRUE(d().type(Ctl::NameEdit, QStringLiteral("Zoe Winter")));
    ASSERT_TRUE(d().click(Ctl::F1)); // Save: the editor's F1 sends the contact
    ASSERT_TRUE(PhoneGot("ADD: 0301112233 Zoe Winter"));
    ASSERT_TRUE(waitUntil([&] { return d().rows(Ctl::PhonebookList) == 13; }, 3000));
    const int added = d().rowOf(Ctl::PhonebookList, 1, "Zoe Winter");
    ASSERT_GE(added, 0);
    EXPECT_EQ(str(d().cell(Ctl::PhonebookList, added, 2)), "0301112233");
}

TEST_F(Face, ThePrivateContactListIsUploadedWhenThePhoneAsksForIt) {
    // Forty records: more than one upload datagram.
    const char* const names[] = {"Ann Lee", "Bo Lindqvist", "Clara Moreau", "Dmitri Petrov",
                                 "Eva Santos"};
    QFile file(contactsFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QStringList expected;
    for (int i = 0; i < 40; ++i) {
        const QString name = QStringLiteral("%1 %2").arg(QLatin1String(names[i % 5])).arg(i + 1);
        expected << name;
        file.write(QStringLiteral("%1 0301555%2 %3;\n")
                       .arg(i + 1)
                       .arg(i, 3, 10, QLatin1Char('0'))
                       .arg(name)
                       .toLatin1());
    }
    file.close();
    ConnectToOnlyPhone(Phone(kFront, "Front Desk"));
    ASSERT_TRUE(d().click(Ctl::ContactsTab));
    ASSERT_TRUE(waitUntil([&] { return d().rows(Ctl::PhonebookList) == 12; }, 5000));

    ASSERT_TRUE(d().menu(Menu::UsePrivateContacts));
    EXPECT_TRUE(d().menuChecked(Menu::UsePrivateContacts));
    ASSERT_TRUE(PhoneGot("PBOOK: 2"));
    EXPECT_TRUE(sim.received().contains(QStringLiteral("PBOOK: 2")));
    EXPECT_TRUE(PhoneSent("UPDATE_PCLIST:"));
    ASSERT_TRUE(sim.waitForText(QStringLiteral("private contacts: 40")));
    const QStringList uploads =
        sim.received().filter(QRegularExpression(QStringLiteral("^PBOOK: 2 ")));
    EXPECT_GE(uploads.size(), 2);
    EXPECT_TRUE(uploads.first().startsWith(QStringLiteral("PBOOK: 2 1 0301555000 Ann Lee 1;2 ")));
    for (const QString& upload : uploads)
        EXPECT_LE(upload.size(), 1007);
    // The phonebook screen asked again (Contacts), and shows the private list now.
    EXPECT_TRUE(PhoneGot("KEY: 23", 2));
    ASSERT_TRUE(waitUntil([&] { return d().rows(Ctl::PhonebookList) == 40; }, 5000));
    EXPECT_EQ(d().column(Ctl::PhonebookList, 1), expected);

    ASSERT_TRUE(d().menu(Menu::UsePrivateContacts));
    EXPECT_FALSE(d().menuChecked(Menu::UsePrivateContacts));
    ASSERT_TRUE(PhoneGot("PBOOK: 1"));
    ASSERT_TRUE(waitUntil([&] { return d().rows(Ctl::PhonebookList) == 12; }, 5000));
}

TEST_F(Face, TheVolumeMovesFromTheFaceKeysAndFromTheSlider) {
    ConnectToOnlyPhone(Phone(kFront, "Front Desk"));
    ASSERT_TRUE(d().click(Ctl::VolPlus));
    ASSERT_TRUE(PhoneGot("KEY: 17"));
    ASSERT_TRUE(waitUntil([&] { return d().sliderValue(Ctl::VolumeSlider) == 70; }, 3000));
    EXPECT_TRUE(d().visible(Ctl::VolumeSlider));
    EXPECT_TRUE(Shows(Ctl::DisplayLine1, "Ringer volume"));
    ASSERT_TRUE(d().click(Ctl::VolMinus));
    ASSERT_TRUE(PhoneGot("KEY: 18"));
    ASSERT_TRUE(waitUntil([&] { return d().sliderValue(Ctl::VolumeSlider) == 60; }, 3000));

    ASSERT_TRUE(d().dragSlider(Ctl::VolumeSlider, 25));
    ASSERT_TRUE(PhoneGot("VOL: 25"));
    sim.control("status");
    EXPECT_TRUE(sim.waitForText(QStringLiteral("ringer=25")));
    EXPECT_TRUE(PhoneSent("VOL: 1 25 Ringer volume"));
    pause(600); // past the end of the drag
    EXPECT_EQ(d().sliderValue(Ctl::VolumeSlider), 25);
    // The phone moves it too.
    sim.control("send VOL: 1 85 Ringer volume");
    EXPECT_TRUE(waitUntil([&] { return d().sliderValue(Ctl::VolumeSlider) == 85; }, 3000));
}

TEST_F(Face, AConsoleCommandIsAnsweredInOneBox) {
    ConnectToOnlyPhone(Phone(kFront, "Front Desk"));
    ASSERT_TRUE(d().shortcut(QKeySequence(Qt::ALT | Qt::Key_L)));
    ASSERT_TRUE(waitUntil([&] { return d().visible(Ctl::EntryEdit); }, 2000));
    for (int line : {Ctl::DisplayLine0, Ctl::DisplayLine1, Ctl::DisplayLine2, Ctl::DisplayLine3})
        EXPECT_FALSE(d().visible(line)) << line;
    const QString command = QStringLiteral("cat /var/log/messages");
    ASSERT_TRUE(d().type(Ctl::EntryEdit, command));
    boxes.answerNext(ModalWatch::ok());
    ASSERT_TRUE(d().click(Ctl::Send));
    ASSERT_TRUE(PhoneGot(QStringLiteral("LINUX: ") + command));
    ASSERT_TRUE(waitUntil([&] { return boxes.count(ModalWatch::Kind::MessageBox) == 1; }, 5000));
    EXPECT_EQ(str(boxes.seen()[0].caption), "Linux Response");
    // The box holds the fragments joined exactly as they came.
    QByteArray output;
    for (const LogEntry& e : sim.entries())
        if (e.toDialer() && e.text.startsWith(QLatin1String("LINUX: "))) output += e.bytes().mid(7);
    EXPECT_FALSE(output.isEmpty());
    EXPECT_EQ(str(boxes.seen()[0].text), output.toStdString());
    EXPECT_TRUE(boxes.seen()[0].text.contains(QStringLiteral("controlled by")));
    // The command stays for another go.
    EXPECT_EQ(d().text(Ctl::EntryEdit), command);
}

TEST_F(Face, ThePhonesTextPromptIsAnsweredWithTheButtonAndTheText) {
    ConnectToOnlyPhone(Phone(kFront, "Front Desk"));
    auto openPrompt = [&] {
        ASSERT_TRUE(d().click(Ctl::MenuTab));
        ASSERT_TRUE(waitUntil([&] { return d().rows(Ctl::MenuList) == 7; }, 3000));
        ASSERT_TRUE(d().clickRow(Ctl::MenuList, 0));
        ASSERT_TRUE(Shows(Ctl::F1, "Select"));
        ASSERT_TRUE(d().click(Ctl::F1));
    };
    // The second button: the phone keeps its name.
    boxes.answerNext(ModalWatch::prompt(2, QStringLiteral("Ignored")));
    openPrompt();
    ASSERT_TRUE(waitUntil([&] { return boxes.count(ModalWatch::Kind::TextPrompt) == 1; }, 3000));
    const ModalWatch::Seen& seen = boxes.seen()[0];
    EXPECT_EQ(str(seen.text), "Phone name");
    EXPECT_EQ(str(seen.initial), "Front Desk");
    EXPECT_EQ(str(seen.first), "OK");
    EXPECT_EQ(str(seen.second), "Cancel");
    ASSERT_TRUE(PhoneGot("INPUT: 2 Ignored"));
    EXPECT_TRUE(sim.waitForText(QStringLiteral("prompt cancelled")));

    boxes.answerNext(ModalWatch::prompt(1, QStringLiteral("Reception")));
    openPrompt();
    ASSERT_TRUE(PhoneGot("INPUT: 1 Reception"));
    EXPECT_TRUE(Shows(Ctl::DisplayLine0, "Reception"));
    EXPECT_TRUE(Shows(Ctl::DisplayLine1, "Name saved"));
    EXPECT_EQ(boxes.count(ModalWatch::Kind::TextPrompt), 2);
    EXPECT_EQ(boxes.count(ModalWatch::Kind::MessageBox), 0);
}

TEST_F(Face, ConsoleModeShowsItsMarkAndEndsByAltLOrByThePhonesIdleScreen) {
    ConnectToOnlyPhone(Phone(kFront, "Front Desk"));
    const QKeySequence altL(Qt::ALT | Qt::Key_L);
    auto sendConsoleLine = [&](const QString& line, int boxesBefore) {
        ASSERT_TRUE(d().type(Ctl::EntryEdit, line));
        boxes.answerNext(ModalWatch::ok());
        ASSERT_TRUE(d().click(Ctl::Send));
        ASSERT_TRUE(PhoneGot(QStringLiteral("LINUX: ") + line));
        ASSERT_TRUE(waitUntil(
            [&] { return boxes.count(ModalWatch::Kind::MessageBox) == boxesBefore + 1; }, 5000));
    };

    ASSERT_TRUE(d().shortcut(altL));
    ASSERT_TRUE(waitUntil([&] { return d().visible(Ctl::EntryEdit); }, 2000));
    EXPECT_EQ(str(d().tag(Ctl::EntryEdit)), "console");
    sendConsoleLine(QStringLiteral("ls /"), 0);
    EXPECT_EQ(str(d().tag(Ctl::EntryEdit)), "console") << "the mark stays after the answer";

    // Alt+L again leaves it: the phone's display comes back and the line is gone.
    const int displayRequests = PhoneCount("DISP:");
    ASSERT_TRUE(d().shortcut(altL));
    ASSERT_TRUE(PhoneGot("DISP:", displayRequests + 1));
    EXPECT_TRUE(Shows(Ctl::DisplayLine0, "Front Desk"));
    EXPECT_FALSE(d().visible(Ctl::EntryEdit));
    EXPECT_TRUE(d().tag(Ctl::EntryEdit).isEmpty());

    // Opened anew, it starts empty; the phone's idle screen (END on an idle phone paints
    // it) ends it too.
    ASSERT_TRUE(d().shortcut(altL));
    ASSERT_TRUE(waitUntil([&] { return d().visible(Ctl::EntryEdit); }, 2000));
    EXPECT_TRUE(d().text(Ctl::EntryEdit).isEmpty());
    sendConsoleLine(QStringLiteral("uname"), 1);
    ASSERT_TRUE(d().click(Ctl::End));
    ASSERT_TRUE(PhoneGot("KEY: 20"));
    ASSERT_TRUE(waitUntil([&] { return !d().visible(Ctl::EntryEdit); }, 3000));
    EXPECT_TRUE(Shows(Ctl::DisplayLine0, "Front Desk"));
    EXPECT_TRUE(d().tag(Ctl::EntryEdit).isEmpty());

    // The green key is the phone's SEND again, not the console line once more.
    ASSERT_TRUE(d().click(Ctl::Send));
    ASSERT_TRUE(PhoneGot("KEY: 19"));
    pause(300);
    EXPECT_EQ(PhoneCount("LINUX:"), 2);
}
