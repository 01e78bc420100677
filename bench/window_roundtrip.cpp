// Key 5 clicked to line 1 showing the device's answer, beside a raw UDP round trip and a minimal Qt
// window doing the same.
#include "WindowRig.h"

#include "FaceIds.h"
#include "Protocol.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QUdpSocket>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace orvane;

namespace bench {

void BenchRoundTrip(Rig& rig) {
    const int device = LoopbackSocket(proto::kDevicePort);
    if (device < 0) {
        std::fprintf(stderr,
                     "window_bench: 127.0.0.1:%u is taken (%s); run inside "
                     "scripts/sealed-net\n",
                     proto::kDevicePort, std::strerror(errno));
        std::exit(3);
    }
    const int on = 1;
    ::setsockopt(device, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
    const int rawA = LoopbackSocket(0);
    const int rawB = LoopbackSocket(0);
    const std::uint16_t portA = PortOf(rawA), portB = PortOf(rawB);

    DialerWindow& w = rig.window;
    QWidget* key5 = w.control(Ctl::Key5);
    auto* line1 = qobject_cast<QLabel*>(w.control(Ctl::DisplayLine1));
    PaintCounter painted(line1);
    const QPoint keyCentre = key5->mapTo(&w, key5->rect().center());
    const QString five = QStringLiteral("5");

    // A second floor: the same round trip through a minimal Qt window (a push button that
    // sends with QUdpSocket, a label that shows what comes back).
    QDialog minimal;
    auto* button = new QPushButton(QStringLiteral("5"), &minimal);
    button->setGeometry(10, 10, 60, 40);
    auto* label = new QLabel(&minimal);
    label->setGeometry(10, 60, 200, 20);
    QUdpSocket qtSocket;
    qtSocket.bind(QHostAddress::LocalHost, 0);
    const int minimalPeer = LoopbackSocket(0);
    const quint16 minimalPeerPort = PortOf(minimalPeer);
    QObject::connect(button, &QPushButton::clicked, [&] {
        qtSocket.writeDatagram("KEY: 5", 6, QHostAddress::LocalHost, minimalPeerPort);
    });
    QObject::connect(&qtSocket, &QUdpSocket::readyRead, [&] {
        char text[256];
        while (qtSocket.hasPendingDatagrams()) {
            const qint64 n = qtSocket.readDatagram(text, sizeof text);
            if (n > 8) label->setText(QString::fromLatin1(text + 8, static_cast<int>(n - 8)));
        }
    });
    minimal.show();
    if (!QTest::qWaitForWindowExposed(&minimal)) std::fprintf(stderr, "dialog not exposed\n");
    const QPoint buttonCentre = button->geometry().center();

    std::vector<double> trips, tripsPainted, raws, minimals;
    std::vector<double> toWire, clickReturns, replyToShown; // where the time goes
    int lost = 0;
    const int n = 1500;
    char buffer0[256];
    for (int i = 0; i < n; ++i) {
        // Raw: the same two messages between two sockets of this process.
        std::int64_t t0 = NowNs();
        SendText(rawA, "KEY: 5", portB);
        std::string got;
        ReceiveText(rawB, got, 1000);
        SendText(rawB, "DISP: 1 5", portA);
        ReceiveText(rawA, got, 1000);
        std::int64_t t1 = NowNs();
        raws.push_back(static_cast<double>(t1 - t0));

        // The minimal Qt window, clicked the same way.
        label->clear();
        QCoreApplication::processEvents();
        t0 = NowNs();
        QTest::mouseClick(minimal.windowHandle(), Qt::LeftButton, Qt::NoModifier, buttonCentre);
        sockaddr_in minimalFrom{};
        std::int64_t unused = 0;
        if (ReceiveStamped(minimalPeer, buffer0, sizeof buffer0 - 1, minimalFrom, unused) > 0) {
            ::sendto(minimalPeer, "DISP: 1 5", 9, 0,
                     reinterpret_cast<const sockaddr*>(&minimalFrom), sizeof minimalFrom);
            if (PumpUntil([&] { return label->text() == five; }, 1000))
                minimals.push_back(static_cast<double>(NowNs() - t0));
        }

        // The dialer: a click on key 5, the device's answer, line 1 shows it.
        w.callCore([&] { rig.dialog.SetDisplayLine(1, std::string()); });
        QCoreApplication::processEvents();
        DrainSocket(device);
        const int paintsBefore = painted.paints;
        t0 = NowNs();
        // Through the window system's route, as a real click arrives.
        QTest::mouseClick(w.windowHandle(), Qt::LeftButton, Qt::NoModifier, keyCentre);
        const std::int64_t clicked = NowNs();
        sockaddr_in from{};
        char buffer[256];
        std::int64_t keyOnWire = 0;
        const ssize_t len = ReceiveStamped(device, buffer, sizeof buffer - 1, from, keyOnWire);
        if (len <= 0 || std::strncmp(buffer, "KEY: 5", 7) != 0) {
            ++lost;
            continue;
        }
        static const char reply[] = "DISP: 1 5";
        const std::int64_t replied = NowNs();
        ::sendto(device, reply, sizeof reply - 1, 0, reinterpret_cast<const sockaddr*>(&from),
                 sizeof from);
        if (!PumpUntil([&] { return line1->text() == five; }, 1000)) {
            ++lost;
            continue;
        }
        t1 = NowNs();
        PumpUntil([&] { return painted.paints > paintsBefore; }, 1000);
        const std::int64_t t2 = NowNs();
        trips.push_back(static_cast<double>(t1 - t0));
        tripsPainted.push_back(static_cast<double>(t2 - t0));
        toWire.push_back(static_cast<double>(keyOnWire - t0));
        clickReturns.push_back(static_cast<double>(clicked - t0));
        replyToShown.push_back(static_cast<double>(t1 - replied));
    }
    ::close(device);
    ::close(minimalPeer);
    ::close(rawA);
    ::close(rawB);

    const double trip = bench::Median(trips) / kUs;
    const double raw = bench::Median(raws) / kUs;
    Row r{"key to display round trip (click key 5 .. line 1 shows \"5\", median)",
          trip,
          raw,
          "us",
          "raw UDP round trip",
          "<= 100 us and <= 4x"};
    r.met = trip <= 100 && trip <= 4 * raw;
    bench::Print(r);
    Row q{"  the same through a minimal Qt window (QPushButton, QUdpSocket, QLabel)",
          bench::Median(minimals) / kUs,
          raw,
          "us",
          "raw UDP round trip",
          ""};
    q.hasTarget = false;
    bench::Print(q);
    Row p{"  the dialer's round trip until line 1 has been painted",
          bench::Median(tripsPainted) / kUs,
          raw,
          "us",
          "raw UDP round trip",
          ""};
    p.hasTarget = false;
    bench::Print(p);
    std::sort(trips.begin(), trips.end());
    if (!trips.empty())
        bench::Note("key round trip: " + std::to_string(trips.size()) + " trips, 90th percentile " +
                    bench::Fixed(trips[trips.size() * 9 / 10] / kUs) + " us, " +
                    std::to_string(lost) + " lost");
    bench::Note("key round trip, medians: click to \"KEY: 5\" on the wire " +
                bench::Fixed(bench::Median(toWire) / kUs) + " us; click handled (with its paint) " +
                bench::Fixed(bench::Median(clickReturns) / kUs) + " us; reply sent to line 1 " +
                "showing it " + bench::Fixed(bench::Median(replyToShown) / kUs) + " us");
}

} // namespace bench
