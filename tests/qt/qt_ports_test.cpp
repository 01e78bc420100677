// The Qt ports: the datagram socket over 127.0.0.1 only, its errors in the numbers the
// messages show, the delivery of datagrams into the dialog (also while a modal box is
// open), and the timers.
#include "DialerWindow.h"
#include "FaceIds.h"
#include "FakePorts.h"
#include "QtPorts.h"

#include <QLabel>
#include <QNetworkDatagram>
#include <QTest>
#include <QUdpSocket>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <net/if.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace orvane;

namespace {

struct Peer {
    QUdpSocket socket;
    Peer() { EXPECT_TRUE(socket.bind(QHostAddress::LocalHost, 0)); }
    void sendTo(const QtDatagramPort& port, const QByteArray& bytes) {
        ASSERT_EQ(socket.writeDatagram(bytes, QHostAddress::LocalHost, port.localPort()),
                  bytes.size());
    }
};

// Reads one datagram, waiting for it to arrive.
int Receive(QtDatagramPort& port, char* buffer, std::size_t capacity, std::string& from,
            unsigned& fromPort) {
    int n = -1;
    (void)QTest::qWaitFor([&] {
        n = port.ReceiveFrom(buffer, capacity, from, fromPort);
        return n >= 0 || port.LastError() != SockErr::WouldBlock;
    });
    return n;
}

int Receive(QtDatagramPort& port, char* buffer, std::size_t capacity, std::string& from) {
    unsigned fromPort = 0;
    return Receive(port, buffer, capacity, from, fromPort);
}

long OpenDescriptors() {
    namespace fs = std::filesystem;
    return static_cast<long>(std::distance(fs::directory_iterator("/proc/self/fd"), {}));
}

} // namespace

TEST(DatagramPort, ReceivesWholeEmptyAndOversizedDatagrams) {
    QtDatagramPort port;
    ASSERT_TRUE(port.Create());
    ASSERT_NE(port.localPort(), 0);
    Peer peer;
    char buffer[4096];
    std::string from;
    unsigned fromPort = 0;

    EXPECT_EQ(port.ReceiveFrom(buffer, 4000, from, fromPort), -1);
    EXPECT_EQ(port.LastError(), SockErr::WouldBlock);

    peer.sendTo(port, QByteArray(4000, 'a'));
    EXPECT_EQ(Receive(port, buffer, 4000, from, fromPort), 4000);
    EXPECT_EQ(from, "127.0.0.1");
    EXPECT_EQ(fromPort, peer.socket.localPort());

    // Too large: consumed and reported, so the next datagram is read next.
    peer.sendTo(port, QByteArray(4001, 'b'));
    peer.sendTo(port, QByteArray("HOOK: ON", 9));
    EXPECT_EQ(Receive(port, buffer, 4000, from), -1);
    EXPECT_EQ(port.LastError(), SockErr::MessageSize);
    EXPECT_EQ(Receive(port, buffer, 4000, from), 9);
    EXPECT_STREQ(buffer, "HOOK: ON");

    peer.sendTo(port, QByteArray());
    EXPECT_EQ(Receive(port, buffer, 4000, from), 0);

    // The largest datagram UDP carries arrives whole, and is too large for a smaller buffer
    // rather than cut to it.
    std::vector<char> big(65536);
    const QByteArray largest(65507, 'z');
    peer.sendTo(port, largest);
    EXPECT_EQ(Receive(port, big.data(), big.size(), from), largest.size());
    EXPECT_EQ(QByteArray(big.data(), largest.size()), largest);
    peer.sendTo(port, largest);
    EXPECT_EQ(Receive(port, big.data(), 65506, from), -1);
    EXPECT_EQ(port.LastError(), SockErr::MessageSize);
}

TEST(DatagramPort, SendsToAddressesAndNamesAndReportsFailures) {
    QtDatagramPort port;
    ASSERT_TRUE(port.Create());
    Peer peer;
    const std::uint16_t to = peer.socket.localPort();
    EXPECT_TRUE(port.SetBroadcast(false));

    // Every form of the address that reaches the peer on 127.0.0.1.
    int sent = 0;
    for (const char* host : {"127.0.0.1", " 127.0.0.1\t\n", "127.1", "localhost", "LOCALHOST"}) {
        const QByteArray text = "ALIVE: " + QByteArray::number(++sent);
        EXPECT_TRUE(port.SendTo(text.constData(), static_cast<std::size_t>(text.size()), host, to))
            << host << ": " << port.LastError();
        ASSERT_TRUE(QTest::qWaitFor([&] { return peer.socket.hasPendingDatagrams(); }, 2000))
            << host;
        EXPECT_EQ(peer.socket.receiveDatagram().data(), text) << host;
    }

    // Not an IPv4 destination: the address is invalid, as an unresolvable name is (these
    // are refused without asking a name server).
    for (const char* bad : {"", "   ", "::1", "::ffff:127.0.0.1", "[::1]", "fe80::1%lo",
                            "127.0.0.1:8888", "bad host", "127.0.0.1 x", "host!name"}) {
        EXPECT_FALSE(port.SendTo("x", 1, bad, to)) << bad;
        EXPECT_EQ(port.LastError(), SockErr::Invalid) << bad;
    }
    QTest::qWait(50);
    EXPECT_FALSE(peer.socket.hasPendingDatagrams());

    // Larger than any datagram: the system's own error.
    const std::vector<char> tooLarge(70000, 'x');
    EXPECT_FALSE(port.SendTo(tooLarge.data(), tooLarge.size(), "127.0.0.1", to));
    EXPECT_EQ(port.LastError(), SockErr::MessageSize);

    port.Close();
    EXPECT_FALSE(port.SendTo("x", 1, "127.0.0.1", to));
    EXPECT_EQ(port.LastError(), SockErr::NotSocket);
    EXPECT_FALSE(port.SetBroadcast(true));
    EXPECT_EQ(port.LastError(), SockErr::NotSocket);
}

TEST(DatagramPort, CloseDropsWhatIsQueuedAndGivesTheDescriptorBack) {
    Peer peer;
    QTest::qWait(10); // whatever Qt opens for itself on first use is open from here on
    const long before = OpenDescriptors();
    {
        QtDatagramPort port;
        ASSERT_TRUE(port.Create());
        EXPECT_EQ(OpenDescriptors(), before + 1);
        peer.sendTo(port, QByteArray("DISP: 0 Old"));
        char buffer[64];
        std::string from;
        unsigned fromPort = 0;
        // Taken off the socket into the queue, then dropped with the socket.
        QTest::qWait(50);
        port.Close();
        EXPECT_EQ(port.localPort(), 0);
        EXPECT_EQ(port.ReceiveFrom(buffer, sizeof buffer, from, fromPort), -1);
        EXPECT_EQ(port.LastError(), SockErr::NotSocket);
        EXPECT_EQ(OpenDescriptors(), before);

        // Opened again: a new socket that hears only what is sent to it from now on.
        ASSERT_TRUE(port.Create());
        ASSERT_TRUE(port.Create()); // a second Create replaces the socket, never leaks it
        EXPECT_EQ(OpenDescriptors(), before + 1);
        EXPECT_EQ(port.ReceiveFrom(buffer, sizeof buffer, from, fromPort), -1);
        EXPECT_EQ(port.LastError(), SockErr::WouldBlock);
        peer.sendTo(port, QByteArray("DISP: 0 New"));
        ASSERT_EQ(Receive(port, buffer, sizeof buffer, from), 11);
        EXPECT_EQ(QByteArray(buffer, 11), QByteArray("DISP: 0 New"));
    }
    // The destructor closes the socket it still holds.
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST(DatagramPort, SystemErrorsReadAsWindowsSocketsNumbers) {
    const struct {
        int error;
        int expected;
    } cases[] = {
        {EAGAIN, SockErr::WouldBlock},
        {EMSGSIZE, SockErr::MessageSize},
        {ENETUNREACH, SockErr::NetUnreachable},
        {EHOSTUNREACH, SockErr::HostUnreachable},
        {ECONNREFUSED, SockErr::ConnReset},
        {EACCES, SockErr::Access},
        {EBADF, SockErr::NotSocket},
        {EADDRINUSE, 10048},
        {EMFILE, 10024},
        {ENOBUFS, 10055},
        {EINVAL, SockErr::Invalid},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QtDatagramPort::mapErrno(c.error), c.expected) << c.error;
}

namespace {

// The real socket port under a real window; everything else faked.
struct LiveRig {
    QtDatagramPort socket;
    test::FakeTimerHost timers;
    test::FakeDialogs dialogs;
    test::FakeSettings settings;
    test::FakePlatform platform;
    std::unique_ptr<CDialerDlg> dlg;
    std::unique_ptr<DialerWindow> window;
    Peer peer;

    LiveRig() {
        dlg = std::make_unique<CDialerDlg>(
            CDialerDlg::Ports{socket, timers, dialogs, settings, platform});
        window = std::make_unique<DialerWindow>(*dlg);
        socket.attach(window.get());
        window->initDialog("/nonexistent/PrivateContacts.txt");
        // The peer plays the phone in use: the dialer handles only what that phone sends.
        dlg->Socket().SetDeviceAddr("127.0.0.1");
        window->show();
    }
    ~LiveRig() { socket.attach(nullptr); }
    QString line0() const {
        return qobject_cast<QLabel*>(window->control(Ctl::DisplayLine0))->text();
    }
};

} // namespace

TEST(DatagramPort, DeliversDatagramsToTheDialogAlsoInsideAModalBox) {
    LiveRig r;
    // The socket reports itself writable once the event loop runs.
    ASSERT_TRUE(QTest::qWaitFor([&] { return r.dlg->Socket().m_bReadyToSend; }));

    r.peer.sendTo(r.socket, QByteArray("DISP: 0 Hello"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return r.line0() == QStringLiteral("Hello"); }));

    // The device's prompt opens a modal box; a message that arrives meanwhile is handled
    // inside it.
    bool seenInside = false;
    r.dialogs.duringModal = [&] {
        r.peer.sendTo(r.socket, QByteArray("DISP: 0 Inside"));
        seenInside = QTest::qWaitFor([&] { return r.line0() == QStringLiteral("Inside"); }, 3000);
    };
    r.peer.sendTo(r.socket, QByteArray("INPUT: 1 Code;OK;Cancel;x"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !r.dialogs.prompts.empty(); }));
    EXPECT_TRUE(seenInside);
}

TEST(DatagramPort, DeliversEveryDatagramOfABurst) {
    LiveRig r;
    ASSERT_TRUE(QTest::qWaitFor([&] { return r.dlg->Socket().m_bReadyToSend; }));
    for (int i = 1; i <= 12; ++i)
        r.peer.sendTo(r.socket, QByteArray("DISP: 0 Burst ") + QByteArray::number(i));
    EXPECT_TRUE(QTest::qWaitFor([&] { return r.line0() == QStringLiteral("Burst 12"); }, 3000))
        << r.line0().toStdString();
}

TEST(DatagramPort, AListBurstSentWhileTheWindowIsBusyArrivesWhole) {
    // A full call log comes as some forty datagrams of 4 KB, sent back to back; the
    // window may be busy meanwhile, so the system's buffer must hold them all.
    QtDatagramPort port;
    ASSERT_TRUE(port.Create());
    Peer peer;
    constexpr int kDatagrams = 48;
    for (int i = 0; i < kDatagrams; ++i)
        peer.sendTo(port, QByteArray(4000, static_cast<char>('a' + i % 26)));
    QTest::qWait(0); // nothing read yet: the socket's notice comes from the event loop
    int received = 0;
    std::vector<char> buffer(65536);
    std::string from;
    while (Receive(port, buffer.data(), buffer.size(), from) == 4000)
        ++received;
    EXPECT_EQ(received, kDatagrams);
}

TEST(DatagramPort, KeepsDeliveringRoundAfterRound) {
    // Each answer comes while the dialer is busy with the timer that sent the request;
    // the socket must go on reporting datagrams after every round.
    LiveRig r;
    ASSERT_TRUE(QTest::qWaitFor([&] { return r.dlg->Socket().m_bReadyToSend; }));
    for (int round = 1; round <= 5; ++round) {
        const QByteArray text = "DISP: 0 Round " + QByteArray::number(round);
        r.window->callCore([&] {
            r.peer.sendTo(r.socket, text);
            QTest::qSleep(20); // the datagram is there before the handler returns
        });
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return r.line0() == QStringLiteral("Round %1").arg(round); }, 2000))
            << "round " << round << ": " << r.line0().toStdString();
        QTest::qWait(50);
    }
}

TEST(TimerHost, ExpiriesReachTheDialogUntilKilled) {
    // Real timers over a fake socket: the start-up search goes nowhere.
    test::FakeDatagramPort socket;
    QtTimerHost timers;
    test::FakeDialogs dialogs;
    test::FakeSettings settings;
    test::FakePlatform platform;
    CDialerDlg dlg(CDialerDlg::Ports{socket, timers, dialogs, settings, platform});
    DialerWindow window(dlg);
    timers.attach(&window);
    window.initDialog("/nonexistent/PrivateContacts.txt");
    dlg.Socket().OnSend(0);
    EXPECT_TRUE(timers.isRunning(4));
    EXPECT_TRUE(timers.isRunning(5));

    // Timer 4's expiry starts the search and stops itself.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !socket.sent.empty(); }, 3000));
    EXPECT_EQ(socket.sent.front().host, "255.255.255.255");
    EXPECT_FALSE(timers.isRunning(4));
    timers.attach(nullptr);
}

TEST(Platform, FirstAdapterIsTheFirstWithAHardwareAddressNeverLoopback) {
    // Only the sealed namespace has a known set of interfaces: loopback, then sn0
    // (10.77.0.1) and its peer sn1 with no address.
    if (if_nametoindex("sn0") == 0) GTEST_SKIP() << "runs inside scripts/sealed-net";
    // sn0's hardware address as the system's interface query gives it (/sys shows the
    // machine's interfaces, not the namespace's).
    ifreq request{};
    std::snprintf(request.ifr_name, sizeof request.ifr_name, "sn0");
    const int probe = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(probe, 0);
    const int queried = ::ioctl(probe, SIOCGIFHWADDR, &request);
    ::close(probe);
    ASSERT_EQ(queried, 0);
    const QByteArray expectedMac(request.ifr_hwaddr.sa_data, 6);

    QtPlatform platform;
    const auto adapter = platform.FirstAdapter();
    ASSERT_TRUE(adapter.has_value());
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(adapter->mac), 6).toHex(':'),
              expectedMac.toHex(':'));
    EXPECT_EQ(adapter->ipAddress, "10.77.0.1");
}
