// Taking control of a phone: the pick from the device list with its take-over question and
// password prompt, the automatic connect, "Set IP", "Release", the private attachment, the
// login reply and the keep-alive.
#include "CRegHelper.h"
#include "FaceIds.h"
#include "FakePorts.h"

#include <gtest/gtest.h>

#include <functional>

namespace orvane {
namespace {

using test::DialerRig;
using Texts = std::vector<std::string>;

const std::string kMac = "00:1A:2B:3C:4D:5E";
const std::string kLogin = "LOGIN: " + kMac + " ";
const std::string kProbe = "ORVN: " + kMac + "\n";
const std::string kTakeOver =
    "This device is already controlled by another controller.\r\nDo you want to take control ?";

std::string Reply(const std::string& ip, int busy, int password, const std::string& name = "Desk") {
    std::string s = "ORVN: T1 " + ip + " ID-" + ip + " " + std::to_string(busy) + " ";
    if (password >= 0) s += std::to_string(password) + " ";
    return s + name;
}

// A reply comes from the address it names, as a real phone's does.
void Offer(DialerRig& rig, const std::string& reply) {
    const std::size_t first = reply.find(' ', 6);
    rig.Receive(reply, reply.substr(first + 1, reply.find(' ', first + 1) - first - 1));
}

// Logs into `addr` as a pick does.
void LogInto(DialerRig& rig, const std::string& addr) {
    rig.Address(addr);
    rig->SendCommand("LOGIN: " + kMac + " ");
    rig.socket.sent.clear();
}

// Every datagram sent since the last call, as "host text".
Texts Wire(DialerRig& rig) {
    Texts out;
    for (const test::SentDatagram& d : rig.socket.sent)
        out.push_back(d.host + " " + d.Text());
    rig.socket.sent.clear();
    return out;
}

void Type(DialerRig& rig, const std::string& text) {
    rig.face().UserSetText(Ctl::EntryEdit, text);
}

void ExpectFaceShown(FaceModel& face) {
    for (int id :
         {Ctl::DisplayLine0, Ctl::DisplayLine1, Ctl::DisplayLine2, Ctl::DisplayLine3, Ctl::Key1,
          Ctl::Key5, Ctl::KeyHash, Ctl::End, Ctl::Send, Ctl::VolPlus, Ctl::VolMinus})
        EXPECT_TRUE(face.IsVisible(id)) << id;
    EXPECT_FALSE(face.IsVisible(Ctl::DeviceList));
}

void ExpectPasswordPrompt(FaceModel& face) {
    EXPECT_EQ(face.Text(Ctl::DisplayLine1), "Enter Password:");
    EXPECT_TRUE(face.IsVisible(Ctl::DisplayLine1));
    EXPECT_TRUE(face.IsVisible(Ctl::EntryEdit));
    EXPECT_EQ(face.Focus(), Ctl::EntryEdit);
    EXPECT_EQ(face.Get(Ctl::EntryEdit).maxLength, 29);
    EXPECT_EQ(face.Text(Ctl::F2), "Apply");
    EXPECT_TRUE(face.IsVisible(Ctl::F2));
    EXPECT_FALSE(face.IsVisible(Ctl::F1));
    EXPECT_FALSE(face.IsVisible(Ctl::F3));
}

// A plain controller with the device list on view, its rows as given.
struct Choosing : ::testing::Test {
    DialerRig rig;
    void Start(const Texts& replies) {
        rig.Init();
        rig.Fire(Timer::Connect);
        for (const std::string& r : replies)
            Offer(rig, r);
        rig.Fire(Timer::SearchEnd);
        ASSERT_TRUE(rig.face().IsVisible(Ctl::DeviceList));
        rig.socket.sent.clear();
    }
    void Click(int row) { rig->OnListClick(Ctl::DeviceList, row); }
};

// --- Picking from the list -----------------------------------------------------------------

TEST_F(Choosing, PickLogsInToTheStatedAddressAndShowsTheFace) {
    Start({Reply("10.0.0.1", 0, 0), Reply("10.0.0.2", 0, 0)});
    rig.face().SetText(Ctl::DisplayLine2, "stale");
    Click(1);
    EXPECT_EQ(Wire(rig), Texts{"10.0.0.2 " + kLogin});
    EXPECT_EQ(rig->Socket().DeviceAddr(), "10.0.0.2");
    EXPECT_EQ(rig.timers.Period(Timer::KeepAlive), 60000u);
    EXPECT_TRUE(rig.dialogs.boxes.empty());
    EXPECT_EQ(rig.face().Text(Ctl::DisplayLine2), "");
    ExpectFaceShown(rig.face());
}

TEST_F(Choosing, WindowTitleNamesTheControlledPhone) {
    const std::string plain = "Orvane's SIP Dialer";
    Start({Reply("10.0.0.1", 0, 0, "Front Desk"), Reply("10.0.0.2", 0, 0, "Back Office")});
    EXPECT_EQ(rig.face().Caption(), plain);
    Click(0);
    EXPECT_EQ(rig.face().Caption(), plain); // not before the phone has answered
    rig.Receive("LOGIN: 1", "10.0.0.1");
    EXPECT_EQ(rig.face().Caption(), "Front Desk \x97 " + plain); // an em dash
    // Another phone picked: the old one is let go at once, the new one named once it answers.
    Click(1);
    EXPECT_EQ(rig.face().Caption(), plain);
    rig.Receive("LOGIN: 1", "10.0.0.2");
    EXPECT_EQ(rig.face().Caption(), "Back Office \x97 " + plain);
    // A login reply from any other address is a stranger's: it names nothing.
    rig.Receive("LOGIN: 1", "10.0.0.9");
    EXPECT_EQ(rig.face().Caption(), "Back Office \x97 " + plain);
    rig->OnCommand(Menu::Release);
    EXPECT_EQ(rig.face().Caption(), plain);
}

TEST_F(Choosing, ShortFormPhoneIsStartedWithInit) {
    Start({Reply("10.0.0.1", 0, 0), Reply("10.0.0.2", 0, -1)});
    Click(1);
    EXPECT_EQ(Wire(rig), Texts{"10.0.0.2 INIT:"});
    ExpectFaceShown(rig.face());
}

TEST_F(Choosing, ClicksOutsideTheTablePickNothing) {
    Start({Reply("10.0.0.1", 0, 0), Reply("10.0.0.2", 0, 0)});
    for (int row : {-1, 2, 25}) {
        Click(row);
        rig->OnClickDeviceList(row);
    }
    EXPECT_TRUE(Wire(rig).empty());
    EXPECT_TRUE(rig.face().IsVisible(Ctl::DeviceList));
    EXPECT_EQ(rig->Socket().DeviceAddr(), "");
}

TEST_F(Choosing, BusyPhoneAsksBeforeTakingOver) {
    Start({Reply("10.0.0.1", 1, 0), Reply("10.0.0.2", 0, 0)});
    rig.dialogs.nextAnswer = MsgAnswer::No;
    Click(0);
    ASSERT_EQ(rig.dialogs.boxes.size(), 1u);
    const test::ShownBox& box = rig.dialogs.boxes[0];
    EXPECT_EQ(box.text, kTakeOver);
    EXPECT_EQ(box.caption, "Device is busy");
    EXPECT_EQ(box.buttons, MsgButtons::YesNo);
    EXPECT_EQ(box.icon, MsgIcon::Information);
    EXPECT_TRUE(box.owned);
    EXPECT_TRUE(Wire(rig).empty());
    EXPECT_TRUE(rig.face().IsVisible(Ctl::DeviceList));
    EXPECT_EQ(rig->Socket().DeviceAddr(), "");

    rig.dialogs.nextAnswer = MsgAnswer::Yes;
    Click(0);
    EXPECT_EQ(Wire(rig), Texts{"10.0.0.1 " + kLogin});
}

TEST_F(Choosing, PickGoesOnWithTheAskedPhoneWhenTheTableChangesMeanwhile) {
    Start({Reply("10.0.0.1", 1, 0), Reply("10.0.0.2", 0, 0)});
    // A new search starts inside the question's loop and a different phone answers first.
    rig.dialogs.duringModal = [this] {
        rig->OnCommand(Menu::Enumerate);
        Offer(rig, Reply("10.0.0.9", 0, 0));
    };
    Click(0);
    Texts wire = Wire(rig);
    ASSERT_FALSE(wire.empty());
    EXPECT_EQ(wire.back(), "10.0.0.1 " + kLogin);
}

TEST_F(Choosing, SecondPickReleasesTheFirstPhoneFirst) {
    // The phone that answers twice keeps one row.
    Start({Reply("10.0.0.1", 0, 0), Reply("10.0.0.2", 0, 0), Reply("10.0.0.1", 0, 0)});
    ASSERT_EQ(rig.face().ListRowCount(Ctl::DeviceList), 2);
    Click(0);
    Wire(rig);
    rig.platform.sleeps.clear();

    Click(0); // the same phone again
    EXPECT_EQ(Wire(rig), Texts{"10.0.0.1 " + kLogin});
    EXPECT_TRUE(rig.platform.sleeps.empty());

    Click(1);
    EXPECT_EQ(Wire(rig), (Texts{"10.0.0.1 STOP:", "10.0.0.2 " + kLogin}));
    EXPECT_EQ(rig.platform.sleeps, std::vector<unsigned>{10});
}

// --- Passwords -----------------------------------------------------------------------------

TEST_F(Choosing, PasswordPromptThenLoginOnceThenAskedAgain) {
    Start({Reply("10.0.0.1", 0, 1), Reply("10.0.0.2", 0, 0)});
    Type(rig, "left over");
    Click(0);
    EXPECT_TRUE(Wire(rig).empty());
    ExpectPasswordPrompt(rig.face());
    EXPECT_TRUE(rig.face().Get(Ctl::EntryEdit).password);
    EXPECT_EQ(rig.face().Text(Ctl::EntryEdit), "");
    EXPECT_FALSE(rig.face().IsVisible(Ctl::DisplayLine0));
    EXPECT_FALSE(rig.face().IsVisible(Ctl::DeviceList));

    // Nothing typed: the prompt again.
    rig->OnCommand(Ctl::F2);
    EXPECT_TRUE(Wire(rig).empty());
    ExpectPasswordPrompt(rig.face());
    EXPECT_TRUE(rig.face().Get(Ctl::EntryEdit).password);

    Type(rig, "s3cret word");
    rig->OnCommand(Ctl::F2);
    EXPECT_EQ(Wire(rig), Texts{"10.0.0.1 " + kLogin + "s3cret word"});
    EXPECT_FALSE(rig.face().Get(Ctl::EntryEdit).password);
    EXPECT_EQ(rig.face().Get(Ctl::EntryEdit).maxLength, 0);
    EXPECT_FALSE(rig.face().IsVisible(Ctl::EntryEdit));
    // The password does not stay behind in the (now unmasked) entry.
    EXPECT_EQ(rig.face().Text(Ctl::EntryEdit), "");
    ExpectFaceShown(rig.face());

    // The next pick of the same phone asks again.
    rig->OnCommand(Menu::Enumerate);
    Offer(rig, Reply("10.0.0.1", 0, 1));
    Offer(rig, Reply("10.0.0.2", 0, 0));
    rig.Fire(Timer::SearchEnd);
    Wire(rig);
    Click(0);
    EXPECT_TRUE(Wire(rig).empty());
    ExpectPasswordPrompt(rig.face());
}

TEST_F(Choosing, PasswordOfAPickTurnedDownIsForgotten) {
    Start({Reply("10.0.0.1", 1, 1), Reply("10.0.0.2", 0, 1)});
    Click(0); // busy: asked, Yes
    Type(rig, "for-one");
    rig.dialogs.nextAnswer = MsgAnswer::No;
    rig->OnCommand(Ctl::F2); // asked again on the way to the login: No
    EXPECT_EQ(rig.dialogs.boxes.size(), 2u);
    EXPECT_TRUE(Wire(rig).empty());

    Click(1); // another phone that wants a password gets the prompt, not "for-one"
    EXPECT_EQ(Wire(rig), Texts{"10.0.0.1 STOP:"}); // addressed before the first prompt
    ExpectPasswordPrompt(rig.face());
    EXPECT_EQ(rig.face().Text(Ctl::EntryEdit), "");
}

TEST_F(Choosing, OverlongPasswordIsCutToItsField) {
    Start({Reply("10.0.0.1", 0, 1), Reply("10.0.0.2", 0, 0)});
    Click(0);
    Type(rig, std::string(40, 'p'));
    rig->OnCommand(Ctl::F2);
    EXPECT_EQ(Wire(rig), Texts{"10.0.0.1 " + kLogin + std::string(29, 'p')});
}

TEST(AutoConnect, PasswordPromptKeepsTheEntryUnmaskedAndLogsIntoEntryZero) {
    DialerRig rig;
    rig.Init();
    rig.Fire(Timer::Connect);
    rig.face().UserSetText(Ctl::EntryEdit, "pw");
    Offer(rig, Reply("10.0.0.7", 0, 1));
    rig.Sent();
    rig.Fire(Timer::SearchEnd);
    EXPECT_TRUE(rig.Sent().empty());
    EXPECT_EQ(rig->Socket().DeviceAddr(), "10.0.0.7");
    ExpectPasswordPrompt(rig.face());
    EXPECT_EQ(rig.face().Text(Ctl::EntryEdit), "pw");
    EXPECT_FALSE(rig.face().Get(Ctl::EntryEdit).password);
    EXPECT_EQ(rig.face().Text(Ctl::DisplayLine0), "");
    EXPECT_FALSE(rig.face().IsVisible(Ctl::DeviceList));

    rig->OnCommand(Ctl::F2);
    EXPECT_EQ(Wire(rig), Texts{"10.0.0.7 " + kLogin + "pw"});
}

// --- Enter in the entry edit while an address or a password is typed ------------------------

TEST(EnterKey, AppliesTheTypedPasswordOrAddressAndDialsNothing) {
    {
        SCOPED_TRACE("password");
        DialerRig rig;
        rig.Init();
        rig.Fire(Timer::Connect);
        Offer(rig, Reply("10.0.0.7", 0, 1));
        rig.Fire(Timer::SearchEnd);
        rig.Sent();
        rig.face().UserSetText(Ctl::EntryEdit, "1234");
        rig.face().SetFocus(Ctl::EntryEdit);
        rig->OnOK();
        EXPECT_EQ(Wire(rig), Texts{"10.0.0.7 " + kLogin + "1234"});
        EXPECT_FALSE(rig->IsEnded());
    }
    {
        SCOPED_TRACE("address");
        DialerRig rig;
        rig.Init();
        rig->OnCommand(Menu::SetIp);
        rig.face().UserSetText(Ctl::EntryEdit, "10.0.0.8");
        rig.face().SetFocus(Ctl::EntryEdit);
        rig->OnOK();
        EXPECT_EQ(Wire(rig), Texts{"10.0.0.8 " + kProbe});
    }
}

TEST(EnterKey, OnceTheAddressIsAppliedEnterSendsTheConsoleLineToTheProbedPhone) {
    DialerRig rig;
    rig.Init();
    rig.Address("10.0.0.1");
    rig->OnCommand(Menu::SetIp);
    Type(rig, "10.0.0.5");
    rig->OnCommand(Ctl::F2); // the probe goes out; no answer yet
    Wire(rig);

    rig->OnCommand(Ctl::LinuxSecret);
    Type(rig, "ls /");
    rig.face().UserSetFocus(Ctl::EntryEdit);
    rig->OnOK();
    EXPECT_EQ(Wire(rig), Texts{"10.0.0.5 LINUX: ls /"});
    EXPECT_TRUE(rig.dialogs.boxes.empty());
    EXPECT_EQ(rig->Socket().DeviceAddr(), "10.0.0.5");
    EXPECT_EQ(rig.face().Text(Ctl::EntryEdit), "ls /");
    EXPECT_TRUE(rig.face().IsVisible(Ctl::EntryEdit));

    // The probe still waits for its answer, which is picked as before.
    rig.Receive(Reply("10.0.0.5", 0, 0), "10.0.0.5");
    EXPECT_EQ(Wire(rig), Texts{"10.0.0.5 " + kLogin});
}

// --- Set IP --------------------------------------------------------------------------------

TEST(SetIp, PromptsProbesTheTypedAddressAndPicksItsReply) {
    DialerRig rig;
    rig.Init();
    rig.Address("10.0.0.1"); // controlling another phone
    rig.Fire(Timer::Connect);
    Offer(rig, Reply("10.0.0.4", 0, 0)); // listed from a search
    Wire(rig);
    rig.face().UserSetText(Ctl::EntryEdit, "123");
    rig->OnCommand(Menu::SetIp);
    FaceModel& face = rig.face();
    EXPECT_EQ(face.Text(Ctl::DisplayLine1), "Enter IP of the device:");
    EXPECT_TRUE(face.IsVisible(Ctl::DisplayLine1));
    for (int id : {Ctl::DisplayLine0, Ctl::DisplayLine2, Ctl::DisplayLine3, Ctl::F1, Ctl::F3})
        EXPECT_FALSE(face.IsVisible(id)) << id;
    EXPECT_EQ(face.Text(Ctl::DisplayLine0), "");
    EXPECT_TRUE(face.IsVisible(Ctl::EntryEdit));
    EXPECT_EQ(face.Text(Ctl::EntryEdit), "");
    EXPECT_EQ(face.Focus(), Ctl::EntryEdit);
    EXPECT_EQ(face.Get(Ctl::EntryEdit).maxLength, 59);
    EXPECT_EQ(face.Text(Ctl::F2), "Apply");
    EXPECT_TRUE(face.IsVisible(Ctl::F2));

    face.UserSetText(Ctl::EntryEdit, " 10.0.0.5 ");
    rig->OnCommand(Ctl::F2);
    EXPECT_EQ(Wire(rig), (Texts{"10.0.0.1 STOP:", "10.0.0.5 " + kProbe}));
    EXPECT_EQ(rig.platform.sleeps, std::vector<unsigned>{10});
    EXPECT_EQ(rig->Socket().DeviceAddr(), "10.0.0.5");
    EXPECT_EQ(face.ListRowCount(Ctl::DeviceList), 0);
    EXPECT_TRUE(face.IsVisible(Ctl::F1));
    EXPECT_TRUE(face.IsVisible(Ctl::F3));
    EXPECT_FALSE(face.IsVisible(Ctl::EntryEdit));
    EXPECT_EQ(face.Get(Ctl::EntryEdit).maxLength, 0);
    // The address waits for its answer: the keypad still types into the entry.
    EXPECT_TRUE(rig.KeypadTypesLocally());
    face.UserSetText(Ctl::EntryEdit, "");

    Offer(rig, Reply("10.0.0.5", 0, 0));
    EXPECT_EQ(Wire(rig), Texts{"10.0.0.5 " + kLogin});
    ExpectFaceShown(face);
    EXPECT_FALSE(rig.KeypadTypesLocally()); // answered: keys go to the phone again
}

TEST(SetIp, SilentAddressKeepsTheProbeWaitingForAnyReply) {
    DialerRig rig;
    rig.Init();
    rig->OnCommand(Menu::SetIp);
    rig.face().UserSetText(Ctl::EntryEdit, "10.0.0.5");
    rig->OnCommand(Ctl::F2);
    rig->OnCommand(Menu::Enumerate);
    Offer(rig, Reply("10.0.0.6", 0, 0));
    EXPECT_EQ(Wire(rig).back(), "10.0.0.6 " + kLogin);
    EXPECT_FALSE(rig.KeypadTypesLocally()); // the probe gave way: keys go to the phone
}

TEST(SetIp, EmptyAddressReleasesThePhoneInUseAndAddressesNone) {
    for (const char* typed : {"", "   "}) {
        SCOPED_TRACE(std::string("'") + typed + "'");
        DialerRig rig;
        rig.Init();
        LogInto(rig, "10.0.0.1");
        rig.Receive("LOGIN: 1", "10.0.0.1"); // controlling it
        ASSERT_TRUE(rig.face().IsMenuEnabled(Menu::AttachPrivate));
        rig->OnCommand(Menu::SetIp);
        Type(rig, typed);
        rig->OnCommand(Ctl::F2);
        EXPECT_EQ(Wire(rig), Texts{"10.0.0.1 STOP:"}); // the probe has nowhere to go
        EXPECT_EQ(rig->Socket().DeviceAddr(), "");
        EXPECT_TRUE(rig.dialogs.boxes.empty());
        EXPECT_FALSE(rig.face().IsVisible(Ctl::EntryEdit));
        EXPECT_TRUE(rig.face().IsVisible(Ctl::F1));
        EXPECT_TRUE(rig.face().IsVisible(Ctl::F3));
        EXPECT_FALSE(rig.face().IsMenuEnabled(Menu::AttachPrivate));

        // Keys send nothing now; the next answer of a search is picked.
        rig->OnCommand(Ctl::Send);
        rig.Fire(Timer::KeepAlive);
        EXPECT_TRUE(Wire(rig).empty());
        rig->OnCommand(Menu::Enumerate);
        EXPECT_EQ(Wire(rig), Texts{"255.255.255.255 " + kProbe});
        Offer(rig, Reply("10.0.0.6", 0, 0));
        EXPECT_EQ(Wire(rig), Texts{"10.0.0.6 " + kLogin});
    }
}

TEST(SetIp, AnswerOfAnEarlierSearchIsListedNotPickedWhileTheAddressIsTyped) {
    DialerRig rig;
    rig.Init();
    rig.Fire(Timer::Connect); // the search at start
    Wire(rig);
    rig->OnCommand(Menu::SetIp);
    Offer(rig, Reply("10.0.0.6", 0, 0));
    EXPECT_TRUE(Wire(rig).empty());
    EXPECT_EQ(rig.face().ListRowCount(Ctl::DeviceList), 1);
    EXPECT_EQ(rig.face().Text(Ctl::F2), "Apply");
    Type(rig, "10.0.0.5");
    rig->OnCommand(Ctl::F2);
    EXPECT_EQ(Wire(rig), Texts{"10.0.0.5 " + kProbe});
}

TEST(SetIp, HostNameOrBrokenAddressAsksAgainAndKeepsTheCurrentPhone) {
    // A phone answers from its address, which a name never equals: its reply would be
    // ignored, so a name is refused at once.
    for (const char* typed : {"phone.example", "localhost", "10.0.0", "10.0.0.300"}) {
        SCOPED_TRACE(typed);
        DialerRig rig;
        rig.Init();
        rig.Address("10.0.0.1");
        rig->OnCommand(Menu::SetIp);
        rig.face().UserSetText(Ctl::EntryEdit, typed);
        rig->OnCommand(Ctl::F2);
        EXPECT_TRUE(Wire(rig).empty());
        EXPECT_EQ(rig->Socket().DeviceAddr(), "10.0.0.1");
        EXPECT_TRUE(rig.face().IsVisible(Ctl::EntryEdit));
        EXPECT_EQ(rig.face().Text(Ctl::DisplayLine1), "Enter IP of the device:");
        EXPECT_EQ(rig.face().Text(Ctl::F2), "Apply");
    }
}

TEST_F(Choosing, ClickOnARowPicksThatRowEvenWhileAnAddressIsTyped) {
    Start({Reply("10.0.0.1", 0, 0), Reply("10.0.0.2", 0, 0)});
    rig->OnCommand(Menu::SetIp);
    Click(1);
    EXPECT_EQ(Wire(rig), Texts{"10.0.0.2 " + kLogin});
    EXPECT_FALSE(rig.face().IsVisible(Ctl::EntryEdit));
    EXPECT_EQ(rig.face().Get(Ctl::EntryEdit).maxLength, 0);
}

TEST(SearchDuringAPrompt, ThePromptGivesWaySoF2OffersNoApply) {
    struct Case {
        const char* what;
        std::function<void(DialerRig&)> prompt;
    };
    const Case cases[] = {
        {"password of a picked phone",
         [](DialerRig& r) {
             r.Fire(Timer::Connect);
             Offer(r, Reply("10.0.0.1", 0, 1));
             Offer(r, Reply("10.0.0.2", 0, 0));
             r.Fire(Timer::SearchEnd);
             r->OnListClick(Ctl::DeviceList, 0);
         }},
        {"password of the automatic connect",
         [](DialerRig& r) {
             r.Fire(Timer::Connect);
             Offer(r, Reply("10.0.0.1", 0, 1));
             r.Fire(Timer::SearchEnd);
         }},
        {"address not yet applied", [](DialerRig& r) { r->OnCommand(Menu::SetIp); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DialerRig rig;
        rig.Init();
        c.prompt(rig);
        ASSERT_EQ(rig.face().Text(Ctl::F2), "Apply");
        Type(rig, "typed");
        Wire(rig);

        rig->OnCommand(Menu::Enumerate);
        const FaceModel& f = rig.face();
        EXPECT_FALSE(f.IsVisible(Ctl::F2));
        EXPECT_EQ(f.Text(Ctl::F2), "");
        EXPECT_EQ(f.Text(Ctl::DisplayLine1), "");
        EXPECT_FALSE(f.IsVisible(Ctl::EntryEdit));
        EXPECT_EQ(f.Text(Ctl::EntryEdit), "") << "what was typed for the prompt is gone";
        EXPECT_FALSE(f.Get(Ctl::EntryEdit).password);
        EXPECT_EQ(f.Get(Ctl::EntryEdit).maxLength, 0);
        EXPECT_TRUE(f.IsVisible(Ctl::DisplayLine0));
        EXPECT_EQ(f.Text(Ctl::DisplayLine0), "Searching ...");

        // F2 applies nothing; the first answers are only listed.
        rig->OnCommand(Ctl::F2);
        Offer(rig, Reply("10.0.0.9", 0, 0));
        Offer(rig, Reply("10.0.0.8", 0, 0));
        for (const std::string& w : Wire(rig))
            EXPECT_EQ(w.find("LOGIN:"), std::string::npos) << w;
        rig.Fire(Timer::SearchEnd);
        EXPECT_TRUE(f.IsVisible(Ctl::DeviceList));
    }
}

TEST(SearchDuringAPrompt, TheDeviceListAtTheEndOfTheSearchTakesThePromptsPlace) {
    DialerRig rig;
    rig.Init();
    rig.Fire(Timer::Connect);
    rig->OnCommand(Menu::SetIp);
    Type(rig, "10.0.");
    Offer(rig, Reply("10.0.0.1", 0, 0));
    Offer(rig, Reply("10.0.0.2", 0, 0));
    rig.Fire(Timer::SearchEnd);
    const FaceModel& f = rig.face();
    EXPECT_TRUE(f.IsVisible(Ctl::DeviceList));
    EXPECT_EQ(f.Text(Ctl::F2), "");
    EXPECT_EQ(f.Text(Ctl::EntryEdit), "");
    // An answer after the search has ended is not taken at all; a click picks.
    Offer(rig, Reply("10.0.0.3", 0, 0));
    EXPECT_EQ(Wire(rig).size(), 1u); // only the search's broadcast
    EXPECT_EQ(f.ListRowCount(Ctl::DeviceList), 2);
    rig->OnListClick(Ctl::DeviceList, 1);
    EXPECT_EQ(Wire(rig), Texts{"10.0.0.2 " + kLogin});
}

TEST_F(Choosing, NewSearchEndsAPasswordPromptOfTheOldTable) {
    Start({Reply("10.0.0.1", 0, 1), Reply("10.0.0.2", 0, 0)});
    Click(0);
    rig->OnCommand(Menu::Enumerate);
    EXPECT_FALSE(rig.face().Get(Ctl::EntryEdit).password);
    EXPECT_NE(rig.face().Text(Ctl::F2), "Apply");
    Offer(rig, Reply("10.0.0.9", 0, 0));
    Wire(rig);
    // F2 is no longer "Apply": it does not log into whoever answered first.
    rig->OnCommand(Ctl::F2);
    for (const std::string& w : Wire(rig))
        EXPECT_EQ(w.find("LOGIN:"), std::string::npos) << w;
}

// --- Release, keep-alive and the menu ------------------------------------------------------

TEST(Release, StopsThePhoneAndDropsEveryLaterCommand) {
    DialerRig rig;
    rig.Init();
    rig.Fire(Timer::Connect);
    Offer(rig, Reply("10.0.0.7", 0, 0));
    rig.Fire(Timer::SearchEnd);
    rig.Receive("LOGIN: 1", "10.0.0.7");
    EXPECT_TRUE(rig.face().IsMenuEnabled(Menu::AttachPrivate));
    Wire(rig);

    rig.Fire(Timer::KeepAlive);
    EXPECT_EQ(Wire(rig), Texts{"10.0.0.7 ALIVE:"});

    rig->OnCommand(Menu::Release);
    EXPECT_EQ(Wire(rig), Texts{"10.0.0.7 STOP:"});
    EXPECT_EQ(rig.platform.sleeps, std::vector<unsigned>{10});
    EXPECT_EQ(rig->Socket().DeviceAddr(), "");
    EXPECT_FALSE(rig.face().IsMenuEnabled(Menu::AttachPrivate));
    EXPECT_FALSE(rig.face().IsMenuEnabled(Menu::ReleasePrivate));

    rig.timers.running.erase(Timer::KeepAlive);
    rig.Fire(Timer::KeepAlive);
    EXPECT_TRUE(Wire(rig).empty());
    EXPECT_TRUE(rig.timers.IsRunning(Timer::KeepAlive)); // restarted all the same
    EXPECT_TRUE(rig.dialogs.boxes.empty());
}

TEST(DevicesMenu, FollowsThePrivateFlagAndTheAddress) {
    struct Case {
        int privateController;
        std::string addr;
        bool plain, attach, releasePrivate;
    };
    const Case cases[] = {
        {0, "", true, false, false},
        {0, "10.0.0.1", true, true, false},
        {1, "10.0.0.1", false, false, true},
        {1, "", false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.privateController) + " '" + c.addr + "'");
        DialerRig rig;
        rig.settings.SetDword(kValuePrivateController,
                              static_cast<std::uint32_t>(c.privateController));
        rig.settings.SetString(kValuePrivateDeviceIp, c.addr);
        rig.Init();
        const FaceModel& f = rig.face();
        EXPECT_EQ(f.IsMenuEnabled(Menu::Enumerate), c.plain);
        EXPECT_EQ(f.IsMenuEnabled(Menu::SetIp), c.plain);
        EXPECT_EQ(f.IsMenuEnabled(Menu::Release), c.plain);
        EXPECT_EQ(f.IsMenuEnabled(Menu::AttachPrivate), c.attach);
        EXPECT_EQ(f.IsMenuEnabled(Menu::ReleasePrivate), c.releasePrivate);
    }
}

// --- Login replies -------------------------------------------------------------------------

TEST(LoginReply, AnyNumberFromThePhoneLoggedIntoIsAccepted) {
    struct Case {
        std::string msg;
        std::string from;
        bool accepted;
        bool stopsConnect;
    };
    const Case cases[] = {{"LOGIN: 1", "10.0.0.42", true, true},
                          {"LOGIN: 0", "10.0.0.42", true, true},
                          {"LOGIN: -7", "10.0.0.42", true, true},
                          {"LOGIN: ok", "10.0.0.42", false, true},
                          {"LOGIN:", "10.0.0.42", false, true},
                          // Another host cannot answer for the phone, nor move its address.
                          {"LOGIN: 1", "10.0.0.43", false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.msg + " from " + c.from);
        DialerRig rig;
        rig.Init();
        LogInto(rig, "10.0.0.42");
        rig.Receive(c.msg, c.from);
        EXPECT_EQ(rig.timers.IsRunning(Timer::Connect), !c.stopsConnect);
        EXPECT_EQ(rig.timers.IsRunning(Timer::SearchEnd), !c.accepted);
        EXPECT_EQ(rig->Socket().DeviceAddr(), "10.0.0.42");
        EXPECT_EQ(rig.face().IsMenuEnabled(Menu::AttachPrivate), c.accepted);
        EXPECT_TRUE(rig.socket.sent.empty());
    }
}

// --- An address named at start ------------------------------------------------------------

// The start-up search asks the named address alone; its result is taken as a search's.
TEST(StartAddress, FirstSearchAsksOnlyTheNamedAddressAndConnectsToItsPhone) {
    struct Case {
        const char* name;
        std::vector<std::string> replies; // from 127.0.0.1
        Texts afterSearchEnd;             // sent when the search ends
        bool listShown;
        const char* line0;
    };
    const Case cases[] = {
        {"free phone: logged in",
         {Reply("127.0.0.1", 0, 0)},
         {"127.0.0.1 " + kLogin},
         false,
         "Searching ..."},
        {"silent address", {}, {}, false, "No SIP Phone Found!"},
        {"busy phone: the user chooses", {Reply("127.0.0.1", 1, 0)}, {}, true, "Searching ..."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DialerRig rig;
        rig.startAddress = "127.0.0.1";
        rig.Init();
        rig.Fire(Timer::Connect);
        ASSERT_EQ(rig.socket.sent.size(), 1u);
        EXPECT_FALSE(rig.socket.sent[0].broadcastOption); // nothing went out as a broadcast
        EXPECT_EQ(Wire(rig), Texts{"127.0.0.1 " + kProbe});
        EXPECT_TRUE(rig->Socket().DeviceAddr().empty()); // a probe addresses no device
        EXPECT_FALSE(rig.timers.IsRunning(Timer::KeepAlive));
        EXPECT_EQ(rig.timers.Period(Timer::SearchEnd), 3500u);
        for (const std::string& r : c.replies)
            rig.Receive(r, "127.0.0.1");
        EXPECT_TRUE(Wire(rig).empty()); // nothing is picked before the search ends
        rig.Fire(Timer::SearchEnd);
        EXPECT_EQ(Wire(rig), c.afterSearchEnd);
        EXPECT_EQ(rig.face().IsVisible(Ctl::DeviceList), c.listShown);
        if (!c.listShown) {
            EXPECT_EQ(rig.face().Text(Ctl::DisplayLine0), c.line0);
        }

        // A search the user starts later is a real one again.
        rig->OnCommand(Menu::Enumerate);
        const std::vector<test::SentDatagram> later = rig.socket.sent;
        ASSERT_EQ(later.size(), 1u);
        EXPECT_EQ(later[0].host, "255.255.255.255");
    }
}

TEST(StartAddress, StoredAddressStaysAndAnOverlongNameIsNotUsed) {
    DialerRig rig;
    rig.settings.SetString(kValuePrivateDeviceIp, "10.0.0.3"); // not a private controller
    rig.startAddress = "127.0.0.1";
    rig.Init();
    rig.Fire(Timer::Connect);
    EXPECT_EQ(Wire(rig), Texts{"127.0.0.1 " + kProbe});
    EXPECT_EQ(rig->Socket().DeviceAddr(), "10.0.0.3");

    DialerRig overlong;
    overlong.startAddress = std::string(60, 'a');
    overlong.Init();
    overlong.Fire(Timer::Connect);
    EXPECT_EQ(Wire(overlong), Texts{"255.255.255.255 " + kProbe});
}

TEST(StartAddress, PrivateControllerLogsIntoItsOwnPhone) {
    DialerRig rig;
    rig.settings.SetDword(kValuePrivateController, 1);
    rig.settings.SetString(kValuePrivateDeviceIp, "10.0.0.3");
    rig.startAddress = "127.0.0.1";
    rig.Init();
    rig.Fire(Timer::Connect);
    EXPECT_EQ(Wire(rig), Texts{"10.0.0.3 LOGIN: " + kMac});
}

TEST(LoginReply, OnlyTheFirstReplyOfALoginCounts) {
    DialerRig rig;
    rig.Init();
    LogInto(rig, "10.0.0.42");
    rig.Receive("LOGIN: 1", "10.0.0.42");
    rig->OnCommand(Menu::Release);
    rig.Receive("LOGIN: 1", "10.0.0.42"); // late or repeated: the phone stays released
    EXPECT_EQ(rig->Socket().DeviceAddr(), "");
    rig.Fire(Timer::KeepAlive);
    EXPECT_EQ(Wire(rig), Texts{"10.0.0.42 STOP:"});
}

// --- The private attachment ----------------------------------------------------------------

TEST(PrivateController, AttachStoresTheAddressAndTheNextRunLogsInWithoutSearching) {
    DialerRig rig;
    rig.Init();
    EXPECT_FALSE(rig.face().IsMenuEnabled(Menu::AttachPrivate));
    rig->OnCommand(Menu::AttachPrivate); // grayed: nothing
    EXPECT_FALSE(rig.face().IsMenuEnabled(Menu::ReleasePrivate));
    EXPECT_EQ(rig.settings.Dword(kValuePrivateController), -1); // nothing stored

    LogInto(rig, "192.168.100.200");
    rig.Receive("LOGIN: 1", "192.168.100.200");
    rig->OnCommand(Menu::AttachPrivate);
    EXPECT_EQ(rig.settings.Dword(kValuePrivateController), 1);
    EXPECT_EQ(rig.settings.String(kValuePrivateDeviceIp), "192.168.100.200");
    EXPECT_FALSE(rig.face().IsMenuEnabled(Menu::Enumerate));
    EXPECT_FALSE(rig.face().IsMenuEnabled(Menu::AttachPrivate));
    EXPECT_TRUE(rig.face().IsMenuEnabled(Menu::ReleasePrivate));
    rig->OnClose();
    EXPECT_TRUE(Wire(rig).empty()); // a private controller leaves its phone attached

    DialerRig next;
    next.settings = rig.settings;
    next.Init();
    EXPECT_EQ(next.timers.Period(Timer::Connect), 500u);
    next.Fire(Timer::Connect);
    EXPECT_EQ(Wire(next), Texts{"192.168.100.200 LOGIN: " + kMac});
    EXPECT_FALSE(next.timers.IsRunning(Timer::SearchEnd));
    EXPECT_EQ(next.timers.Period(Timer::Connect), 10000u);
    EXPECT_EQ(next.face().Text(Ctl::DisplayLine0), "Connecting ...");

    next.Fire(Timer::Connect); // no answer yet: again
    EXPECT_EQ(Wire(next), Texts{"192.168.100.200 LOGIN: " + kMac});

    next.Receive("LOGIN: 1", "192.168.100.200");
    EXPECT_FALSE(next.timers.IsRunning(Timer::Connect));
    EXPECT_FALSE(next.face().IsVisible(Ctl::DeviceList));
    EXPECT_TRUE(next.face().IsMenuEnabled(Menu::ReleasePrivate));

    // The grayed commands do nothing.
    next->OnCommand(Menu::Enumerate);
    next->OnCommand(Menu::Release);
    next->OnCommand(Menu::SetIp);
    EXPECT_TRUE(Wire(next).empty());
    EXPECT_NE(next.face().Text(Ctl::DisplayLine1), "Enter IP of the device:");
    EXPECT_NE(next.face().Text(Ctl::F2), "Apply");
}

TEST(PrivateController, ReleaseClearsTheSettingsAndSearchesAgain) {
    DialerRig rig;
    rig.settings.SetDword(kValuePrivateController, 1);
    rig.settings.SetString(kValuePrivateDeviceIp, "10.0.0.3");
    rig.Init();
    rig.Fire(Timer::Connect);
    rig.Receive("LOGIN: 1", "10.0.0.3");
    Wire(rig);

    rig->OnCommand(Menu::ReleasePrivate);
    EXPECT_FALSE(rig.face().IsMenuEnabled(Menu::ReleasePrivate));
    EXPECT_EQ(rig.settings.Dword(kValuePrivateController), 0);
    EXPECT_EQ(rig.settings.String(kValuePrivateDeviceIp), "");
    EXPECT_EQ(rig.face().Text(Ctl::DisplayLine0), "");
    EXPECT_EQ(rig.timers.Period(Timer::Connect), 500u);
    EXPECT_EQ(rig->Socket().DeviceAddr(), "10.0.0.3");
    EXPECT_TRUE(Wire(rig).empty()); // no "STOP:"
    EXPECT_TRUE(rig.face().IsMenuEnabled(Menu::Enumerate));
    EXPECT_TRUE(rig.face().IsMenuEnabled(Menu::AttachPrivate));

    rig.Fire(Timer::Connect);
    EXPECT_EQ(Wire(rig), Texts{"255.255.255.255 " + kProbe});
    EXPECT_EQ(rig.timers.Period(Timer::SearchEnd), 3500u);
}

} // namespace
} // namespace orvane
