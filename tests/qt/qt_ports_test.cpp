// The Qt ports: the datagram socket over 127.0.0.1 only, its errors in the numbers the
// messages show, the delivery of datagrams into the dialog (also while a modal box is
// open), and the timers.
#include "DialerWindow.h"
#include "FakePorts.h"
#include "QtPorts.h"
#include "face/FaceIds.h"

#include <QLabel>
#include <QNetworkDatagram>
#include <QTest>
#include <QUdpSocket>
#include <gtest/gtest.h>

#include <cerrno>

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
int Receive(QtDatagramPort& port, char* buffer, std::size_t capacity, std::string& from) {
    unsigned fromPort = 0;
    int n = -1;
    (void)QTest::qWaitFor([&] {
        n = port.ReceiveFrom(buffer, capacity, from, fromPort);
        return n >= 0 || port.LastError() != SockErr::WouldBlock;
    });
    return n;
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
    EXPECT_EQ(Receive(port, buffer, 4000, from), 4000);
    EXPECT_EQ(from, "127.0.0.1");

    // Too large: consumed and reported, so the next datagram is read next.
    peer.sendTo(port, QByteArray(4001, 'b'));
    peer.sendTo(port, QByteArray("HOOK: ON", 9));
    EXPECT_EQ(Receive(port, buffer, 4000, from), -1);
    EXPECT_EQ(port.LastError(), SockErr::MessageSize);
    EXPECT_EQ(Receive(port, buffer, 4000, from), 9);
    EXPECT_STREQ(buffer, "HOOK: ON");

    peer.sendTo(port, QByteArray());
    EXPECT_EQ(Receive(port, buffer, 4000, from), 0);
}

TEST(DatagramPort, SendsToAddressesAndNamesAndReportsFailures) {
    QtDatagramPort port;
    ASSERT_TRUE(port.Create());
    Peer peer;
    const QByteArray text("ALIVE:", 7);
    const std::uint16_t to = peer.socket.localPort();

    EXPECT_TRUE(port.SetBroadcast(false));
    EXPECT_TRUE(port.SendTo(text.constData(), 7, "127.0.0.1", to));
    EXPECT_TRUE(port.SendTo(text.constData(), 7, "localhost", to));
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return peer.socket.hasPendingDatagrams(); }));
        EXPECT_EQ(peer.socket.receiveDatagram().data(), text);
    }

    // Not an IPv4 destination: the address is invalid, as an unresolvable name is.
    for (const char* bad : {"", "::1"}) {
        EXPECT_FALSE(port.SendTo(text.constData(), 7, bad, to)) << bad;
        EXPECT_EQ(port.LastError(), SockErr::Invalid) << bad;
    }

    port.Close();
    EXPECT_FALSE(port.SendTo(text.constData(), 7, "127.0.0.1", to));
    EXPECT_EQ(port.LastError(), SockErr::NotSocket);
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
