// Finding phones, taking control of one and letting it go, with real phones and the real
// window: discovery in both reply forms, the automatic connect, the device list with
// take-over and password, Set IP, Release, the private controller across a restart, the
// keep-alive, and closing the window.
#include "E2eRig.h"

#include <QImage>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

using namespace orvane;
using namespace orvane::demo;
using namespace orvane::demo::test;

class Link : public E2e {};

namespace {

const QString kSearching = QStringLiteral("Searching ...");

// A host at a typed address that hears what the dialer sends it and answers nothing: a
// probe there stays unanswered. It shares port 8888 with the phones' broadcast socket.
class SilentHost {
  public:
    explicit SilentHost(const char* address) {
        m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
        const int one = 1;
        ::setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_port = htons(8888);
        ::inet_pton(AF_INET, address, &at.sin_addr);
        m_bound = m_fd >= 0 && ::bind(m_fd, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0;
    }
    ~SilentHost() {
        if (m_fd >= 0) ::close(m_fd);
    }
    SilentHost(const SilentHost&) = delete;
    SilentHost& operator=(const SilentHost&) = delete;

    bool bound() const { return m_bound; }
    // The texts heard so far (each up to its NUL).
    const QStringList& heard() {
        char buffer[4096];
        ssize_t n = 0;
        while ((n = ::recv(m_fd, buffer, sizeof buffer, 0)) > 0)
            m_heard << QString::fromLatin1(buffer, static_cast<int>(::strnlen(buffer, n)));
        return m_heard;
    }
    bool waitFor(const QString& text, int ms = 3000) {
        return waitUntil([&] { return heard().contains(text); }, ms);
    }

  private:
    int m_fd = -1;
    bool m_bound = false;
    QStringList m_heard;
};

} // namespace

TEST_F(Link, DiscoveryFillsTheDeviceListFromBothReplyFormsAndAnOldPhoneIsStartedWithInit) {
    SimPhone front = Phone(kFront, "Front Desk");
    SimPhone lobby = Phone(kLobby, "Lobby phone"); // the older model: short reply, INIT:
    lobby.oldModel = true;
    lobby.type = QStringLiteral("T0");
    SimPhone sales = Phone(kSales, "Sales Office");
    sales.busy = true;
    StartPhones({front, lobby, sales});
    StartDialer();
    EXPECT_TRUE(Shows(Ctl::DisplayLine0, kSearching, 3000));
    for (const char* phone : {kFront, kLobby, kSales})
        EXPECT_TRUE(sim.waitFor("BCAST", QStringLiteral("ORVN: %1\\n").arg(mac), 1, 3000,
                                QString::fromLatin1(phone)));
    WaitForDeviceList(3);

    // Each row: number, type, address, identifier, name, in order of arrival.
    struct Row {
        const char* type;
        const char* ip;
        const char* id;
        const char* name;
        bool busy;
    } expected[] = {{"T1", kFront, "A00A4D000B", "Front Desk", false},
                    {"T0", kLobby, "A00A4D000C", "Lobby phone", false},
                    {"T1", kSales, "A00A4D000D", "Sales Office", true}};
    QImage freeMark, busyMark;
    for (const Row& r : expected) {
        const int row = d().rowOf(Ctl::DeviceList, 2, QString::fromLatin1(r.ip));
        ASSERT_GE(row, 0) << r.ip;
        EXPECT_EQ(str(d().cell(Ctl::DeviceList, row, 0)), std::to_string(row + 1));
        EXPECT_EQ(str(d().cell(Ctl::DeviceList, row, 1)), r.type);
        EXPECT_EQ(str(d().cell(Ctl::DeviceList, row, 3)), r.id);
        EXPECT_EQ(str(d().cell(Ctl::DeviceList, row, 4)), r.name);
        const QImage mark = d().rowImage(Ctl::DeviceList, row);
        EXPECT_FALSE(mark.isNull()) << r.name;
        (r.busy ? busyMark : freeMark) = mark;
    }
    EXPECT_TRUE(freeMark != busyMark) << "busy and free phones look alike";
    // The phones' replies as they went out: the older model leaves out the password flag.
    EXPECT_TRUE(PhoneSent("ORVN: T0 10.77.0.12 A00A4D000C 0 Lobby phone"));
    EXPECT_TRUE(PhoneSent("ORVN: T1 10.77.0.13 A00A4D000D 1 0 Sales Office"));

    // "Name" first: the same rows in the same order, the names moved to the front.
    const QStringList names = d().column(Ctl::DeviceList, 4);
    ASSERT_TRUE(d().menu(Menu::NameFirst));
    EXPECT_TRUE(d().menuChecked(Menu::NameFirst));
    EXPECT_EQ(d().column(Ctl::DeviceList, 1), names);
    EXPECT_EQ(d().rows(Ctl::DeviceList), 3);
    ASSERT_TRUE(d().menu(Menu::NameFirst));
    EXPECT_EQ(d().column(Ctl::DeviceList, 4), names);

    // The older phone is taken with "INIT:" and shows its screen at once.
    ASSERT_TRUE(d().clickRow(Ctl::DeviceList, d().rowOf(Ctl::DeviceList, 4, "Lobby phone")));
    ASSERT_TRUE(PhoneGot("INIT:", 1, 3000, kLobby));
    EXPECT_EQ(PhoneCount("LOGIN:"), 0);
    EXPECT_TRUE(Shows(Ctl::DisplayLine0, "Lobby phone"));
    EXPECT_FALSE(d().visible(Ctl::DeviceList));
    EXPECT_TRUE(d().visible(Ctl::Key5));
}

TEST_F(Link, TheOnlyFreePhoneIsConnectedAtOnceAndItsScreenIsMirrored) {
    StartPhones({Phone(kFront, "Front Desk")});
    StartDialer();
    ASSERT_TRUE(PhoneGot(QStringLiteral("LOGIN: %1 ").arg(mac), 1, 8000));
    // An empty password still leaves its blank.
    EXPECT_TRUE(sim.received().contains(QStringLiteral("LOGIN: %1 ").arg(mac)));
    EXPECT_TRUE(PhoneSent("LOGIN: 1"));
    // The phone's idle screen, not the search text, is on the face.
    EXPECT_TRUE(Shows(Ctl::DisplayLine0, "Front Desk")) << str(d().displaySummary());
    EXPECT_TRUE(waitUntil([&] { return !d().text(Ctl::DisplayLine1).isEmpty(); }, 2000));
    EXPECT_TRUE(Shows(Ctl::F2, "DND"));
    EXPECT_TRUE(Shows(Ctl::F3, "Menu"));
    EXPECT_FALSE(d().visible(Ctl::F1));
    EXPECT_FALSE(d().visible(Ctl::DeviceList));
    EXPECT_TRUE(d().menuEnabled(Menu::AttachPrivate));
    EXPECT_FALSE(d().menuEnabled(Menu::ReleasePrivate));

    // Closing the window releases the phone.
    EXPECT_TRUE(d().close());
    EXPECT_TRUE(PhoneGot("STOP:", 1, 3000));
    EXPECT_FALSE(d().window().isVisible());
}

TEST_F(Link, ABusyPhoneIsTakenOnlyAfterYesAndSwitchingPhonesReleasesTheFirst) {
    SimPhone lobby = Phone(kLobby, "Lobby");
    lobby.busy = true;
    StartPhones({Phone(kFront, "Front Desk"), lobby});
    StartDialer();
    WaitForDeviceList(2);
    const int busyRow = d().rowOf(Ctl::DeviceList, 4, "Lobby");

    boxes.answerNext(ModalWatch::no());
    ASSERT_TRUE(d().clickRow(Ctl::DeviceList, busyRow));
    ASSERT_TRUE(waitUntil([&] { return boxes.count(ModalWatch::Kind::MessageBox) == 1; }, 3000));
    EXPECT_EQ(str(boxes.seen()[0].caption), "Device is busy");
    EXPECT_EQ(str(boxes.seen()[0].text),
              "This device is already controlled by another controller.\r\n"
              "Do you want to take control ?");
    pause(300);
    EXPECT_EQ(PhoneCount("LOGIN:"), 0);
    EXPECT_TRUE(d().visible(Ctl::DeviceList));

    boxes.answerNext(ModalWatch::yes());
    ASSERT_TRUE(d().clickRow(Ctl::DeviceList, busyRow));
    ASSERT_TRUE(PhoneGot(QStringLiteral("LOGIN: %1 ").arg(mac), 1, 3000, kLobby));
    EXPECT_TRUE(Shows(Ctl::DisplayLine0, "Lobby")) << str(d().displaySummary());
    EXPECT_EQ(boxes.count(ModalWatch::Kind::MessageBox), 2);

    // A new search finds the phone free for this controller; picking the other one lets
    // the first go before logging in there.
    ASSERT_TRUE(d().menu(Menu::Enumerate));
    WaitForDeviceList(2);
    const int lobbyRow = d().rowOf(Ctl::DeviceList, 4, "Lobby");
    EXPECT_FALSE(d().rowImage(Ctl::DeviceList, lobbyRow).isNull());
    EXPECT_TRUE(d().rowImage(Ctl::DeviceList, lobbyRow) ==
                d().rowImage(Ctl::DeviceList, 1 - lobbyRow))
        << "the phone this dialer controls is not busy for it";
    ASSERT_TRUE(d().clickRow(Ctl::DeviceList, 1 - lobbyRow));
    ASSERT_TRUE(PhoneGot("STOP:", 1, 3000, kLobby));
    ASSERT_TRUE(PhoneGot("LOGIN:", 1, 3000, kFront));
    EXPECT_TRUE(Shows(Ctl::DisplayLine0, "Front Desk"));
    EXPECT_EQ(boxes.count(ModalWatch::Kind::MessageBox), 2);
}

TEST_F(Link, APasswordIsAskedMaskedSentOnceAndAskedAgainForTheNextLogin) {
    SimPhone sales = Phone(kSales, "Sales Office");
    sales.password = QStringLiteral("4711");
    StartPhones({Phone(kFront, "Front Desk"), sales});
    StartDialer();
    WaitForDeviceList(2);
    auto pickSales = [&] {
        ASSERT_TRUE(d().clickRow(Ctl::DeviceList, d().rowOf(Ctl::DeviceList, 4, "Sales Office")));
        ASSERT_TRUE(Shows(Ctl::DisplayLine1, "Enter Password:"));
        EXPECT_TRUE(d().visible(Ctl::EntryEdit));
        EXPECT_TRUE(d().masked(Ctl::EntryEdit));
        EXPECT_TRUE(d().text(Ctl::EntryEdit).isEmpty());
        EXPECT_TRUE(Shows(Ctl::F2, "Apply"));
        EXPECT_FALSE(d().visible(Ctl::F1));
        EXPECT_FALSE(d().visible(Ctl::F3));
    };
    pickSales();

    // An empty "Apply" asks again and sends nothing.
    ASSERT_TRUE(d().click(Ctl::F2));
    EXPECT_TRUE(Shows(Ctl::DisplayLine1, "Enter Password:"));
    EXPECT_TRUE(d().masked(Ctl::EntryEdit));
    pause(200);
    EXPECT_EQ(PhoneCount("LOGIN:", kSales), 0);

    // A wrong password reaches the phone, which says so.
    ASSERT_TRUE(d().type(Ctl::EntryEdit, QStringLiteral("0000")));
    ASSERT_TRUE(d().click(Ctl::F2));
    ASSERT_TRUE(PhoneGot(QStringLiteral("LOGIN: %1 0000").arg(mac), 1, 3000, kSales));
    EXPECT_TRUE(Shows(Ctl::DisplayLine0, "Wrong password"));
    EXPECT_FALSE(d().visible(Ctl::EntryEdit));

    // The password is forgotten after each login: the next pick asks again.
    ASSERT_TRUE(d().menu(Menu::Enumerate));
    WaitForDeviceList(2);
    pickSales();
    ASSERT_TRUE(d().type(Ctl::EntryEdit, QStringLiteral("4711")));
    ASSERT_TRUE(d().click(Ctl::F2));
    ASSERT_TRUE(PhoneGot(QStringLiteral("LOGIN: %1 4711").arg(mac), 1, 3000, kSales));
    EXPECT_TRUE(PhoneSent("LOGIN: 1"));
    EXPECT_TRUE(Shows(Ctl::DisplayLine0, "Sales Office")) << str(d().displaySummary());
    EXPECT_EQ(PhoneCount("LOGIN:", kSales), 2);
    EXPECT_EQ(PhoneCount("LOGIN:", kFront), 0);
}

TEST_F(Link, SetIpProbesOnlyTheTypedAddressAndLogsIntoTheAnswer) {
    StartPhones({Phone(kFront, "Front Desk"), Phone(kLobby, "Lobby")});
    StartDialer();
    WaitForDeviceList(2);
    const int broadcasts = sim.count("BCAST", "ORVN:");

    ASSERT_TRUE(d().menu(Menu::SetIp));
    EXPECT_TRUE(Shows(Ctl::DisplayLine1, "Enter IP of the device:"));
    EXPECT_FALSE(d().visible(Ctl::DisplayLine0));
    EXPECT_TRUE(Shows(Ctl::F2, "Apply"));
    ASSERT_TRUE(d().type(Ctl::EntryEdit, QString::fromLatin1(kLobby)));
    ASSERT_TRUE(d().click(Ctl::F2));

    // Straight to the typed address, not broadcast: the other phone hears nothing.
    ASSERT_TRUE(PhoneGot(QStringLiteral("ORVN: %1\\n").arg(mac), 1, 3000, kLobby));
    EXPECT_EQ(sim.count("BCAST", "ORVN:"), broadcasts);
    EXPECT_EQ(PhoneCount("ORVN:", kFront), 0);
    // Its answer is picked at once.
    ASSERT_TRUE(PhoneGot("LOGIN:", 1, 3000, kLobby));
    EXPECT_TRUE(Shows(Ctl::DisplayLine0, "Lobby")) << str(d().displaySummary());
    EXPECT_EQ(PhoneCount("LOGIN:", kFront), 0);
}

TEST_F(Link, ReleaseSendsStopAndAfterItNothingReachesThePhone) {
    ConnectToOnlyPhone(Phone(kFront, "Front Desk"));
    ASSERT_TRUE(d().click(Ctl::Key5));
    ASSERT_TRUE(PhoneGot("KEY: 5"));

    ASSERT_TRUE(d().menu(Menu::Release));
    ASSERT_TRUE(PhoneGot("STOP:"));
    EXPECT_FALSE(d().menuEnabled(Menu::AttachPrivate));
    EXPECT_FALSE(d().menuEnabled(Menu::ReleasePrivate));
    const int before = static_cast<int>(sim.received().size());
    d().click(Ctl::Key7);
    d().click(Ctl::Send);
    pause(500);
    EXPECT_EQ(static_cast<int>(sim.received().size()), before) << str(sim.logText());
    // Closing now has nobody to release.
    EXPECT_TRUE(d().close());
    pause(200);
    EXPECT_EQ(PhoneCount("STOP:"), 1);
}

TEST_F(Link, APrivateControllerLogsStraightBackInAfterARestartInTheSameLoginSession) {
    ConnectToOnlyPhone(Phone(kFront, "Front Desk"));
    ASSERT_TRUE(d().menu(Menu::AttachPrivate));
    EXPECT_FALSE(d().menuEnabled(Menu::Enumerate));
    EXPECT_FALSE(d().menuEnabled(Menu::SetIp));
    EXPECT_FALSE(d().menuEnabled(Menu::Release));
    EXPECT_TRUE(d().menuEnabled(Menu::ReleasePrivate));
    // A private controller leaves without releasing its phone.
    EXPECT_TRUE(d().close());
    pause(300);
    EXPECT_EQ(PhoneCount("STOP:"), 0);
    dialer.reset();

    const int broadcasts = sim.count("BCAST", "ORVN:");
    const int logins = PhoneCount("LOGIN:");
    StartDialer();
    // "LOGIN: <identity>" alone, to the stored address, without a search.
    ASSERT_TRUE(PhoneGot("LOGIN:", logins + 1, 3000));
    EXPECT_TRUE(sim.received().contains(QStringLiteral("LOGIN: %1").arg(mac)));
    EXPECT_TRUE(Shows(Ctl::DisplayLine0, "Front Desk")) << str(d().displaySummary());
    pause(4000); // past the end of a search
    EXPECT_EQ(sim.count("BCAST", "ORVN:"), broadcasts);
    EXPECT_EQ(PhoneCount("LOGIN:"), logins + 1) << "the login is repeated only until answered";
    EXPECT_FALSE(d().visible(Ctl::DeviceList));
    EXPECT_FALSE(d().menuEnabled(Menu::Enumerate));
    ASSERT_TRUE(d().click(Ctl::Key3));
    EXPECT_TRUE(PhoneGot("KEY: 3"));

    // Letting go of the phone: a search follows, and the next close releases it.
    ASSERT_TRUE(d().menu(Menu::ReleasePrivate));
    EXPECT_TRUE(sim.waitFor("BCAST", "ORVN:", broadcasts + 1, 3000));
    EXPECT_TRUE(d().menuEnabled(Menu::Enumerate));
    EXPECT_TRUE(d().close());
    EXPECT_TRUE(PhoneGot("STOP:"));
}

TEST_F(Link, KeepAliveGoesOutWhileTheControllerIsSilentAndStopsAfterRelease) {
    // The period shortened through the test hook; the program's own is a minute.
    ConnectToOnlyPhone(Phone(kFront, "Front Desk"), 300);
    ASSERT_TRUE(PhoneGot("ALIVE:", 3, 3000));
    // Any other command restarts the period.
    ASSERT_TRUE(d().click(Ctl::Key1));
    ASSERT_TRUE(PhoneGot("KEY: 1"));
    ASSERT_TRUE(PhoneGot("ALIVE:", 4, 3000));
    EXPECT_TRUE(sim.received().filter(QStringLiteral("ALIVE:")).size() >= 4);

    ASSERT_TRUE(d().menu(Menu::Release));
    ASSERT_TRUE(PhoneGot("STOP:"));
    pause(200);
    const int alive = PhoneCount("ALIVE:");
    pause(1000);
    EXPECT_EQ(PhoneCount("ALIVE:"), alive) << "ALIVE: after Release";
}

TEST_F(Link, EnterAfterAnAddressIsAppliedSendsTheConsoleLineToTheProbedAddress) {
    ConnectToOnlyPhone(Phone(kFront, "Front Desk"));
    SilentHost probed(kSales);
    ASSERT_TRUE(probed.bound());
    ASSERT_TRUE(d().menu(Menu::SetIp));
    ASSERT_TRUE(Shows(Ctl::F2, "Apply"));
    ASSERT_TRUE(d().type(Ctl::EntryEdit, QString::fromLatin1(kSales)));
    ASSERT_TRUE(d().click(Ctl::F2));
    ASSERT_TRUE(PhoneGot("STOP:", 1, 3000, kFront));
    ASSERT_TRUE(probed.waitFor(QStringLiteral("ORVN: %1\n").arg(mac)));

    // The probe waits for an answer; meanwhile a console line is typed and Enter pressed.
    ASSERT_TRUE(d().shortcut(QKeySequence(Qt::ALT | Qt::Key_L)));
    ASSERT_TRUE(waitUntil([&] { return d().visible(Ctl::EntryEdit); }, 2000));
    ASSERT_TRUE(d().type(Ctl::EntryEdit, QStringLiteral("ls /")));
    d().pressEnter(Ctl::EntryEdit);
    EXPECT_TRUE(probed.waitFor(QStringLiteral("LINUX: ls /")));
    pause(300);
    EXPECT_FALSE(probed.heard().contains(QStringLiteral("STOP:"))) << str(probed.heard().join('|'));
    EXPECT_EQ(boxes.count(ModalWatch::Kind::MessageBox), 0);
    EXPECT_EQ(d().dialog().Socket().DeviceAddr(), kSales);
    EXPECT_EQ(str(d().text(Ctl::EntryEdit)), "ls /");
    EXPECT_EQ(PhoneCount("STOP:", kFront), 1);
}

TEST_F(Link, ASearchDuringAPasswordPromptTakesThePromptAndItsApplyAway) {
    SimPhone sales = Phone(kSales, "Sales Office");
    sales.password = QStringLiteral("4711");
    StartPhones({Phone(kFront, "Front Desk"), sales});
    StartDialer();
    WaitForDeviceList(2);
    ASSERT_TRUE(d().clickRow(Ctl::DeviceList, d().rowOf(Ctl::DeviceList, 4, "Sales Office")));
    ASSERT_TRUE(Shows(Ctl::F2, "Apply"));
    ASSERT_TRUE(Shows(Ctl::DisplayLine1, "Enter Password:"));
    ASSERT_TRUE(d().type(Ctl::EntryEdit, QStringLiteral("47")));

    ASSERT_TRUE(d().menu(Menu::Enumerate));
    EXPECT_TRUE(Shows(Ctl::DisplayLine0, kSearching, 2000)) << str(d().displaySummary());
    EXPECT_FALSE(d().visible(Ctl::F2)) << str(d().text(Ctl::F2));
    EXPECT_NE(str(d().text(Ctl::DisplayLine1)), "Enter Password:");
    EXPECT_FALSE(d().visible(Ctl::EntryEdit));
    EXPECT_FALSE(d().click(Ctl::F2));
    pause(300);
    EXPECT_EQ(PhoneCount("KEY:"), 0) << str(sim.logText());

    // The search ends with the list, and the phone asks for its password again.
    WaitForDeviceList(2);
    ASSERT_TRUE(d().clickRow(Ctl::DeviceList, d().rowOf(Ctl::DeviceList, 4, "Sales Office")));
    ASSERT_TRUE(Shows(Ctl::F2, "Apply"));
    EXPECT_TRUE(d().text(Ctl::EntryEdit).isEmpty()) << "the typed half stayed";
    ASSERT_TRUE(d().type(Ctl::EntryEdit, QStringLiteral("4711")));
    ASSERT_TRUE(d().click(Ctl::F2));
    ASSERT_TRUE(PhoneGot(QStringLiteral("LOGIN: %1 4711").arg(mac), 1, 3000, kSales));
    EXPECT_TRUE(Shows(Ctl::DisplayLine0, "Sales Office")) << str(d().displaySummary());
}

TEST_F(Link, TheSearchAndItsResultChangeOnlyTheTextOfLine0) {
    ConnectToOnlyPhone(Phone(kFront, "Front Desk"));
    sim.control("send DISP: 2 Conference room");
    ASSERT_TRUE(Shows(Ctl::DisplayLine2, "Conference room"));
    ASSERT_FALSE(d().visible(Ctl::DisplayLine0));

    ASSERT_TRUE(d().menu(Menu::Enumerate));
    ASSERT_TRUE(waitUntil([&] { return d().text(Ctl::DisplayLine0) == kSearching; }, 2000));
    EXPECT_FALSE(d().visible(Ctl::DisplayLine0));
    EXPECT_TRUE(Shows(Ctl::DisplayLine2, "Conference room"));
    EXPECT_TRUE(d().visible(Ctl::DisplayLine3));

    // Attached while the search runs, it ends saying the private phone was not found:
    // 25 characters, in line 0's own large font.
    ASSERT_TRUE(d().menu(Menu::AttachPrivate));
    ASSERT_TRUE(waitUntil(
        [&] { return d().text(Ctl::DisplayLine0) == QLatin1String("Private Device Not Found!"); },
        5000));
    EXPECT_FALSE(d().visible(Ctl::DisplayLine0));
    EXPECT_TRUE(d().visible(Ctl::DisplayLine2));
    EXPECT_FALSE(d().visible(Ctl::DeviceList));
    // (The window writes a text too wide for its line smaller; the line's font stays A.)
    EXPECT_EQ(d().dialog().Face().Get(Ctl::DisplayLine0).font, FontId::A);

    // The phone's own line 0 takes its place again.
    sim.control("send DISP: 0 Front Desk");
    EXPECT_TRUE(Shows(Ctl::DisplayLine0, "Front Desk"));
    EXPECT_FALSE(d().visible(Ctl::DisplayLine2));
}

TEST_F(Link, ApplyingAnEmptyAddressReleasesThePhoneAndTheNextAnswerIsPicked) {
    ConnectToOnlyPhone(Phone(kFront, "Front Desk"));
    ASSERT_TRUE(d().menu(Menu::SetIp));
    ASSERT_TRUE(Shows(Ctl::F2, "Apply"));
    ASSERT_TRUE(d().click(Ctl::F2));
    ASSERT_TRUE(PhoneGot("STOP:", 1, 3000));
    EXPECT_FALSE(d().visible(Ctl::EntryEdit));
    EXPECT_FALSE(d().menuEnabled(Menu::AttachPrivate));

    // Keys reach nobody now, and nothing complains.
    const int before = static_cast<int>(sim.received().size());
    EXPECT_TRUE(d().click(Ctl::Key5));
    EXPECT_TRUE(d().click(Ctl::Send));
    pause(500);
    EXPECT_EQ(static_cast<int>(sim.received().size()), before) << str(sim.logText());
    EXPECT_EQ(boxes.seen().size(), 0u);

    // The probe has nowhere to go, so the next answer of a search is taken at once.
    ASSERT_TRUE(d().menu(Menu::Enumerate));
    ASSERT_TRUE(PhoneGot(QStringLiteral("LOGIN: %1 ").arg(mac), 2, 3000));
    EXPECT_TRUE(Shows(Ctl::DisplayLine0, "Front Desk")) << str(d().displaySummary());
    ASSERT_TRUE(d().click(Ctl::Key5));
    EXPECT_TRUE(PhoneGot("KEY: 5"));
}
