// A flood of datagrams: whether the window's timers stay on time, its memory stays put and it still
// shows a line afterwards, beside a bare QUdpSocket reader.
#include "WindowRig.h"

#include "FaceIds.h"
#include "Protocol.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <QUdpSocket>
#include <atomic>
#include <fstream>
#include <sstream>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace orvane;

namespace bench {

namespace {

// A 10 ms timer of the window's thread, re-armed at every expiry: how late it fires, and
// the memory the process holds meanwhile.
class LatenessProbe : public QObject {
  public:
    LatenessProbe() {
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const std::int64_t now = NowNs();
            const double late = static_cast<double>(now - m_due) / kMs;
            if (late > maxLateMs) maxLateMs = late;
            const long rss = bench::StatusKb("VmRSS");
            if (rss > maxRssKb) maxRssKb = rss;
            ++fires;
            arm();
        });
    }
    void arm() {
        m_due = NowNs() + 10 * 1000000;
        m_timer.start(10);
    }
    void stop() { m_timer.stop(); }
    double maxLateMs = 0;
    long maxRssKb = 0;
    int fires = 0;

  private:
    QTimer m_timer;
    std::int64_t m_due = 0;
};

long UdpReceiveBufferErrors() {
    std::ifstream in("/proc/net/snmp");
    std::string header, values;
    while (std::getline(in, header) && std::getline(in, values)) {
        if (header.compare(0, 4, "Udp:") != 0) continue;
        std::istringstream h(header), v(values);
        std::string name, value;
        while (h >> name && v >> value)
            if (name == "RcvbufErrors") return std::stol(value);
    }
    return -1;
}

struct FloodResult {
    double maxLateMs = 0;
    double growthMb = 0;
    long sent = 0;
    long dropped = 0;
    double seconds = 0;
};

// Sends `messages` in turn to 127.0.0.1:port at 100,000 a second for 3 s (at most 300,000
// datagrams) while the event loop runs with the lateness probe.
FloodResult Flood(std::uint16_t port, const std::vector<std::string>& messages) {
    constexpr long kRate = 100000;
    constexpr long kTotal = 300000;
    const int fd = LoopbackSocket(0);
    const sockaddr_in to = Loopback(port);
    PumpFor(100);
    const long rssBefore = bench::StatusKb("VmRSS");
    const long dropsBefore = UdpReceiveBufferErrors();

    LatenessProbe probe;
    probe.maxRssKb = rssBefore;
    std::atomic<bool> done{false};
    std::atomic<long> sent{0};
    std::int64_t began = NowNs();
    std::thread sender([&] {
        long k = 0;
        while (k < kTotal) {
            const long due = (NowNs() - began) * kRate / 1000000000;
            if (k >= due) {
                std::this_thread::sleep_for(std::chrono::microseconds(200));
                continue;
            }
            // Catch up in bursts of at most 64.
            for (long stop = std::min({due, k + 64, kTotal}); k < stop; ++k) {
                const std::string& m = messages[static_cast<std::size_t>(k) % messages.size()];
                ::sendto(fd, m.data(), m.size(), 0, reinterpret_cast<const sockaddr*>(&to),
                         sizeof to);
            }
            sent.store(k, std::memory_order_relaxed);
        }
        done.store(true);
    });
    probe.arm();
    // Run until the flood is over and the loop has had 200 ms to catch up.
    std::int64_t quietSince = 0;
    while (true) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (done.load()) {
            if (quietSince == 0) quietSince = NowNs();
            if (NowNs() - quietSince > 200 * 1000000LL && probe.fires > 0) break;
        }
    }
    const double seconds = static_cast<double>(NowNs() - began) / 1e9;
    sender.join();
    probe.stop();
    ::close(fd);
    const long rssAfter = bench::StatusKb("VmRSS");
    FloodResult r;
    r.maxLateMs = probe.maxLateMs;
    r.growthMb = static_cast<double>(std::max(probe.maxRssKb, rssAfter) - rssBefore) / 1024;
    r.sent = sent.load();
    r.dropped = UdpReceiveBufferErrors() - dropsBefore;
    r.seconds = seconds;
    return r;
}

} // namespace

void BenchFlood(Rig& rig) {
    // Traffic a device could send: display lines, soft keys, icons, and a keyword nobody
    // knows. Every one of them changes the face or is read and dropped.
    std::vector<std::string> messages;
    for (int i = 0; i < 97; ++i) {
        const std::string n = std::to_string(i);
        messages.push_back("DISP: 1 Flood line " + n);
        messages.push_back("DISP: 2 Second line " + n);
        messages.push_back("TEXT_KEY: 1 Key" + n);
        messages.push_back("ICON: " + std::to_string(i % 30) + " " + std::to_string(i % 2));
        messages.push_back("NOISE: " + n);
    }
    std::vector<double> lateDialer, lateBase, growDialer, growBase, afterDialer, afterBase;
    int deaf = 0;
    const int probe = LoopbackSocket(0);
    // After the flood one more datagram must still get through: how long it takes, or -1.
    auto after = [&](std::uint16_t port, const std::function<bool()>& seen,
                     const std::string& text) {
        const std::int64_t t0 = NowNs();
        SendText(probe, text, port);
        if (!PumpUntil(seen, 1000)) return -1.0;
        return static_cast<double>(NowNs() - t0) / kMs;
    };
    for (int rep = 0; rep < 3; ++rep) {
        {
            // The floor: a bare Qt socket in the same loop that reads and drops.
            QUdpSocket plain;
            plain.bind(QHostAddress::LocalHost, 0);
            QByteArray buffer(4096, Qt::Uninitialized);
            QByteArray last;
            QObject::connect(&plain, &QUdpSocket::readyRead, [&] {
                while (plain.hasPendingDatagrams()) {
                    const qint64 n = plain.readDatagram(buffer.data(), buffer.size());
                    if (n > 0) last = QByteArray(buffer.data(), static_cast<int>(n));
                }
            });
            const FloodResult b = Flood(plain.localPort(), messages);
            lateBase.push_back(b.maxLateMs);
            growBase.push_back(b.growthMb);
            afterBase.push_back(after(
                plain.localPort(), [&] { return last == "DISP: 1 After"; }, "DISP: 1 After"));
        }
        const FloodResult d = Flood(rig.port(), messages);
        lateDialer.push_back(d.maxLateMs);
        growDialer.push_back(d.growthMb);
        const std::string line = "After flood " + std::to_string(rep);
        const double shown = after(
            rig.port(), [&] { return rig.dialog.Face().Text(Ctl::DisplayLine1) == line; },
            "DISP: 1 " + line);
        if (shown < 0) ++deaf;
        afterDialer.push_back(shown < 0 ? 1000 : shown);
        bench::Note("flood run " + std::to_string(rep + 1) + ": " + std::to_string(d.sent) +
                    " datagrams in " + bench::Fixed(d.seconds) + " s, " +
                    std::to_string(d.dropped) + " dropped by the kernel (buffer full); timer " +
                    bench::Fixed(d.maxLateMs) + " ms late at most; memory +" +
                    bench::Fixed(d.growthMb) + " MB; a display line sent afterwards " +
                    (shown < 0 ? std::string("never shown")
                               : "shown after " + bench::Fixed(shown) + " ms"));
    }
    ::close(probe);
    const double late = bench::Median(lateDialer);
    const double grow = bench::Median(growDialer);
    Row l{"flood 100,000 datagrams/s for 3 s: largest lateness of a 10 ms timer",
          late,
          bench::Median(lateBase),
          "ms",
          "bare QUdpSocket reader",
          "<= 50 ms"};
    l.met = late <= 50;
    bench::Print(l);
    Row g{"flood: memory growth",   grow,     bench::Median(growBase), "MB",
          "bare QUdpSocket reader", "<= 5 MB"};
    g.met = grow <= 5;
    bench::Print(g);
    Row a{"flood: then one display line, sent .. shown (1000 = never)",
          bench::Median(afterDialer),
          bench::Median(afterBase),
          "ms",
          "bare QUdpSocket reader",
          "shown"};
    a.met = deaf == 0;
    bench::Print(a);
    if (deaf > 0)
        bench::Note("flood: after " + std::to_string(deaf) +
                    " of 3 floods the window never showed another datagram: its socket had "
                    "stopped reporting");
    if (rig.dialogs.boxes > 0)
        bench::Note("flood: the dialog asked for " + std::to_string(rig.dialogs.boxes) + " boxes");
}

} // namespace bench
