// A stranger host on the LAN beside the emulated phones (its own address, 10.77.0.66, and a
// third host at 10.77.0.77 that only listens). Whatever the stranger sends, nothing reaches
// it or the third host, the phone keeps control, and the window keeps answering.
#include "E2eRig.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>

#include <algorithm>

#include <arpa/inet.h>
#include <netinet/ip.h>
#include <netinet/udp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

using namespace orvane;
using namespace orvane::demo;
using namespace orvane::demo::test;

namespace {

constexpr const char* kStranger = "10.77.0.66";
constexpr const char* kThird = "10.77.0.77";

class Stranger : public E2e {
  protected:
    // Control line prefix: the stranger sends to the dialer's port.
    QString From() const { return QStringLiteral("from %1 ").arg(QLatin1String(kStranger)); }
    QString DialerEndpoint() {
        return QStringLiteral("10.77.0.1:%1").arg(d().socket().localPort());
    }
    void StrangerSends(const QString& text) {
        sim.control(From() + QStringLiteral("send-to ") + DialerEndpoint() + QLatin1Char(' ') +
                    text);
    }
    int StrangerSent() {
        return sim.count(QStringLiteral("OUT"), QString(), QLatin1String(kStranger));
    }
    // Datagrams that reached the stranger or the third host.
    int ReachedStranger() {
        return sim.count(QStringLiteral("IN"), QString(), QLatin1String(kStranger));
    }
    int ReachedThird() { return sim.count(QStringLiteral("IN"), QString(), QLatin1String(kThird)); }
    // The phone still drives the face, and a key still goes to the phone.
    void PhoneKeepsControl(const char* line) {
        sim.control(QStringLiteral("send DISP: 0 ") + QLatin1String(line));
        EXPECT_TRUE(Shows(Ctl::DisplayLine0, line, 10000)) << str(d().displaySummary());
        const int keys = PhoneCount("KEY: 25");
        ASSERT_TRUE(d().click(Ctl::DialpadTab));
        EXPECT_TRUE(PhoneGot("KEY: 25", keys + 1));
        EXPECT_EQ(d().dialog().Socket().DeviceAddr(), kFront);
    }
    // Waits until the stranger has sent `n` datagrams and the dialer has had time to read
    // them (a display line from the phone sent afterwards arrives after them).
    void Settle(int n) {
        ASSERT_TRUE(waitUntil([&] { return StrangerSent() >= n; }, 5000)) << StrangerSent();
        static int marker = 0;
        const QString line = QStringLiteral("settled %1").arg(++marker);
        sim.control(QStringLiteral("send DISP: 3 ") + line);
        ASSERT_TRUE(waitUntil([&] { return d().text(Ctl::DisplayLine3) == line; }, 10000));
    }
    void StartWithStranger(const SimPhone& phone) {
        ConnectToOnlyPhone(phone);
        sim.control(QStringLiteral("listen ") + QLatin1String(kThird));
        sim.control(QStringLiteral("listen ") + QLatin1String(kStranger));
        ASSERT_TRUE(sim.waitFor(QStringLiteral("LISTEN"), QLatin1String(kThird), 1, 3000));
    }
};

// Sends one UDP datagram whose IP source is forged, from a raw socket (the namespace's root
// may open one). Returns false when the system refuses.
bool SendForged(const char* from, const char* to, quint16 port, const QByteArray& payload) {
    const int fd = ::socket(AF_INET, SOCK_RAW, IPPROTO_RAW);
    if (fd < 0) return false;
    QByteArray packet(static_cast<int>(sizeof(iphdr) + sizeof(udphdr)) + payload.size(), '\0');
    auto* ip = reinterpret_cast<iphdr*>(packet.data());
    auto* udp = reinterpret_cast<udphdr*>(packet.data() + sizeof(iphdr));
    ip->ihl = 5;
    ip->version = 4;
    ip->ttl = 64;
    ip->protocol = IPPROTO_UDP;
    ip->tot_len = htons(static_cast<uint16_t>(packet.size()));
    ::inet_pton(AF_INET, from, &ip->saddr);
    ::inet_pton(AF_INET, to, &ip->daddr);
    udp->source = htons(8888);
    udp->dest = htons(port);
    udp->len = htons(static_cast<uint16_t>(sizeof(udphdr) + payload.size()));
    udp->check = 0; // no checksum: allowed for UDP over IPv4
    std::memcpy(packet.data() + sizeof(iphdr) + sizeof(udphdr), payload.constData(),
                static_cast<std::size_t>(payload.size()));
    sockaddr_in dest{};
    dest.sin_family = AF_INET;
    dest.sin_port = htons(port);
    ::inet_pton(AF_INET, to, &dest.sin_addr);
    const ssize_t n = ::sendto(fd, packet.constData(), static_cast<std::size_t>(packet.size()), 0,
                               reinterpret_cast<sockaddr*>(&dest), sizeof dest);
    ::close(fd);
    return n == packet.size();
}

// Message boxes on view now.
int OpenMessageBoxes() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && qobject_cast<QMessageBox*>(w) != nullptr) ++n;
    return n;
}

} // namespace

TEST_F(Stranger, HijackWithALoginReplyFailsAndNothingLeaksToTheStranger) {
    QFile file(contactsFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("1 555 Ann Lee;3 01715550199 Dr Private Secret;");
    file.close();
    StartWithStranger(Phone(kFront, "Front Desk"));
    StrangerSends(QStringLiteral("LOGIN: 1"));
    StrangerSends(QStringLiteral("UPDATE_PCLIST:"));
    StrangerSends(QStringLiteral("INPUT: 1 Password?;OK;Cancel;"));
    StrangerSends(QStringLiteral("LINUX_END:"));
    Settle(4);
    // The user goes on: keys and the line key reach the phone.
    ASSERT_TRUE(d().click(Ctl::Key5));
    EXPECT_TRUE(PhoneGot("KEY: 5"));
    ASSERT_TRUE(d().click(Ctl::Send));
    EXPECT_TRUE(PhoneGot("KEY: 19"));
    PhoneKeepsControl("Still the phone");
    EXPECT_EQ(ReachedStranger(), 0) << str(sim.logText());
    EXPECT_EQ(boxes.seen().size(), 0u);
}

TEST_F(Stranger, ForgedFacesListsPromptsAndBoxesShowNothing) {
    // Before any login: the dialer is still searching.
    StartPhones({Phone(kFront, "Front Desk")});
    StartDialer();
    sim.control(QStringLiteral("listen ") + QLatin1String(kStranger));
    ASSERT_TRUE(sim.waitFor(QStringLiteral("LISTEN"), QLatin1String(kStranger), 1, 3000));
    const char* const forged[] = {"DISP: 0 FORGED", "PBOOK: -1 1 0900666 Premium Line;",
                                  "INPUT: 1 Your password?;OK;Cancel;",
                                  "LINUX_END:", "TEXT_KEY: 1 FORGED"};
    for (const char* f : forged)
        StrangerSends(QLatin1String(f));
    ASSERT_TRUE(sim.waitFor("OUT", "LOGIN: 1", 1, 8000)) << str(sim.logText());
    ASSERT_TRUE(Shows(Ctl::DisplayLine0, "Front Desk"));
    // After the login.
    for (const char* f : forged)
        StrangerSends(QLatin1String(f));
    Settle(10);
    EXPECT_NE(d().text(Ctl::DisplayLine0), QStringLiteral("FORGED"));
    EXPECT_NE(d().text(Ctl::F1), QStringLiteral("FORGED"));
    EXPECT_EQ(d().rowOf(Ctl::PhonebookList, 2, QStringLiteral("Premium Line")), -1);
    EXPECT_EQ(boxes.seen().size(), 0u);
    EXPECT_EQ(ReachedStranger(), 0);
    PhoneKeepsControl("Front Desk again");
}

TEST_F(Stranger, AFakeListRowCannotBeDialled) {
    StartWithStranger(Phone(kFront, "Front Desk"));
    ASSERT_TRUE(d().click(Ctl::ContactsTab));
    ASSERT_TRUE(waitUntil([&] { return d().rows(Ctl::PhonebookList) > 0; }, 5000));
    StrangerSends(QStringLiteral("PBOOK: 0 1 0900666 Premium Line;"));
    Settle(1);
    EXPECT_EQ(d().rowOf(Ctl::PhonebookList, 2, QStringLiteral("Premium Line")), -1);
    const QString number = d().cell(Ctl::PhonebookList, 0, 2);
    ASSERT_TRUE(d().clickRow(Ctl::PhonebookList, 0));
    EXPECT_TRUE(PhoneGot("SELECT: 0"));
    ASSERT_TRUE(d().click(Ctl::Send));
    ASSERT_TRUE(PhoneGot(QStringLiteral("DIAL: ") + number)) << str(sim.logText());
    EXPECT_EQ(sim.received().filter(QStringLiteral("0900666")).size(), 0);
    EXPECT_EQ(ReachedStranger(), 0);
}

TEST_F(Stranger, DiscoveryPoisoningAndHostNameRepliesLeaveTheListToRealPhones) {
    SimPhone front = Phone(kFront, "Front Desk");
    SimPhone lobby = Phone(kLobby, "Lobby");
    StartPhones({front, lobby});
    StartDialer();
    sim.control(QStringLiteral("listen ") + QLatin1String(kStranger));
    // During the search the stranger streams replies naming itself, other hosts and names.
    const quint16 port = d().socket().localPort();
    ASSERT_TRUE(waitUntil([&] { return d().text(Ctl::DisplayLine0) == "Searching ..."; }, 5000));
    const QString to = QStringLiteral("10.77.0.1:%1").arg(port);
    sim.control(From() + QStringLiteral("flood count=2000 rate=5000 to=") + to +
                QStringLiteral(" ORVN: T1 10.77.0.66 FAKE 0 1 Sales Office"));
    sim.control(From() + QStringLiteral("flood count=500 rate=5000 to=") + to +
                QStringLiteral(" ORVN: T1 10.77.0.77 FAKE 0 0 Third"));
    sim.control(From() + QStringLiteral("send-to ") + to +
                QStringLiteral(" ORVN: T1 phone.example FAKE 0 0 Named"));
    WaitForDeviceList(3);
    const QStringList names = d().column(Ctl::DeviceList, 4);
    EXPECT_TRUE(names.contains(QStringLiteral("Front Desk"))) << str(names.join(','));
    EXPECT_TRUE(names.contains(QStringLiteral("Lobby")));
    EXPECT_TRUE(names.contains(QStringLiteral("Sales Office"))); // itself, once
    EXPECT_FALSE(names.contains(QStringLiteral("Third")));
    EXPECT_FALSE(names.contains(QStringLiteral("Named")));
    // Nothing went to the host a reply named, and the real phone is picked as usual.
    EXPECT_EQ(ReachedThird(), 0);
    ASSERT_TRUE(
        d().clickRow(Ctl::DeviceList, d().rowOf(Ctl::DeviceList, 4, QStringLiteral("Lobby"))));
    EXPECT_TRUE(PhoneGot("LOGIN: ", 1, 5000, kLobby));
    EXPECT_TRUE(Shows(Ctl::DisplayLine0, "Lobby"));
    EXPECT_EQ(boxes.count(ModalWatch::Kind::MessageBox), 0);
}

TEST_F(Stranger, BoxFloodsFromTheStrangerOpenNothing) {
    StartWithStranger(Phone(kFront, "Front Desk"));
    StrangerSends(QStringLiteral("LINUX: x"));
    sim.control(From() + QStringLiteral("flood count=3000 rate=300 seconds=12 to=") +
                DialerEndpoint() + QStringLiteral(" LINUX_END:"));
    sim.control(From() + QStringLiteral("flood count=40 rate=4 seconds=12 to=") + DialerEndpoint() +
                QStringLiteral(" INPUT: 1 Secret?;OK;Cancel;"));
    // While the floods run, the phone's lines still show (a window asleep behind 65 stacked
    // prompts took seconds per line).
    for (int i = 0; i < 5; ++i) {
        const QString line = QStringLiteral("Tick %1").arg(i);
        sim.control(QStringLiteral("send DISP: 1 ") + line);
        EXPECT_TRUE(Shows(Ctl::DisplayLine1, line, 3000)) << i;
        pause(200);
    }
    sim.control(QStringLiteral("stop"));
    EXPECT_EQ(boxes.seen().size(), 0u);
    EXPECT_EQ(ReachedStranger(), 0);
    PhoneKeepsControl("After the floods");
}

TEST_F(Stranger, APhonesOwnBoxFloodKeepsOneBoxAndTheWindowAwake) {
    StartWithStranger(Phone(kFront, "Front Desk"));
    sim.control(QStringLiteral("send LINUX: first"));
    sim.control(QStringLiteral("flood count=600 rate=300 LINUX_END:"));
    // Never more than one box at a time, and the phone's lines still show meanwhile.
    int most = 0;
    for (int i = 0; i < 10; ++i) {
        const QString line = QStringLiteral("Tick %1").arg(i);
        sim.control(QStringLiteral("send DISP: 1 ") + line);
        EXPECT_TRUE(waitUntil(
            [&] {
                most = std::max(most, OpenMessageBoxes());
                return d().text(Ctl::DisplayLine1) == line;
            },
            3000))
            << i;
    }
    ASSERT_TRUE(waitUntil([&] { return sim.count("NOTE", "run done") == 1; }, 10000));
    EXPECT_LE(most, 1);
    // The watch closes each box it sees; a waiting answer reopens one box, never a stack.
    EXPECT_GE(boxes.count(ModalWatch::Kind::MessageBox), 1);
    EXPECT_TRUE(waitUntil([&] { return OpenMessageBoxes() == 0; }, 5000));
    PhoneKeepsControl("After the box flood");
}

TEST_F(Stranger, ForgedLoginFromAThirdHostReflectsNothing) {
    StartWithStranger(Phone(kFront, "Front Desk"));
    const quint16 port = d().socket().localPort();
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(SendForged(kThird, "10.77.0.1", port, QByteArray("LOGIN: 0", 9)));
        ASSERT_TRUE(SendForged(kThird, "10.77.0.1", port, QByteArray("UPDATE_PCLIST:", 15)));
    }
    // A forged datagram with the phone's own source is taken for the phone: the limit.
    pause(500);
    PhoneKeepsControl("No reflection");
    pause(300);
    EXPECT_EQ(ReachedThird(), 0) << str(sim.logText());
    EXPECT_EQ(ReachedStranger(), 0);
}

TEST_F(Stranger, AHugeConsoleAnswerIsCutAndTheWindowStaysAwake) {
    StartWithStranger(Phone(kFront, "Front Desk"));
    sim.control(QStringLiteral("send LINUX_START:"));
    // 100 fragments of 3990 bytes: about 400 KB, six times what the box shows.
    sim.control(QStringLiteral("flood count=100 rate=500 LINUX: ") +
                QString(3990, QLatin1Char('x')));
    ASSERT_TRUE(waitUntil([&] { return sim.count("NOTE", "run done") == 1; }, 10000));
    Settle(0);
    QElapsedTimer t;
    t.start();
    sim.control(QStringLiteral("send LINUX_END:"));
    ASSERT_TRUE(waitUntil([&] { return boxes.count(ModalWatch::Kind::MessageBox) == 1; }, 10000));
    // The box shows the first lines; the whole (cut) answer scrolls under its details.
    const QString text = boxes.seen().back().detail;
    EXPECT_EQ(boxes.seen().back().caption, QStringLiteral("Linux Response"));
    EXPECT_LE(boxes.seen().back().text.size(), 3010);
    EXPECT_LE(text.size(), 65536 + 60);
    EXPECT_TRUE(text.endsWith(QStringLiteral("[The rest of the output was cut: more than 64 KB.]")))
        << str(text.right(80));
    PhoneKeepsControl("After the long answer");
    std::printf("console: box of %lld characters shown and closed, next line after %lld ms\n",
                static_cast<long long>(text.size()), static_cast<long long>(t.elapsed()));
    EXPECT_LT(t.elapsed(), 10000);
}
