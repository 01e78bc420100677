// The dialer's speed and memory through its real window on the offscreen platform, each
// figure beside a baseline measured in the same run. Every mode prints its rows as
// "ROW" lines for scripts/bench.sh, which runs this program inside scripts/sealed-net:
// the window's dialog would search with a broadcast if its start-up timers ran, and the
// key round trip needs 127.0.0.1:8888 for its stand-in device.
//
//   window_bench sync | roundtrip | lists | flood | skin | startup | all
//
// The dialog's search never starts here (its timers are stopped before the event loop
// runs, and the start-up children end at their first paint, long before it), and nothing
// here sends to any address but 127.0.0.1; the namespace is there all the same.
#include "BenchSupport.h"
#include "CDialerApp.h"
#include "FaceIds.h"
#include "Protocol.h"
#include "QtPorts.h"
#include "Skin.h"
#include "SkinDrawing.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QUdpSocket>

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

using bench::NowNs;
using bench::Row;
using namespace orvane;

namespace {

constexpr double kUs = 1e3;
constexpr double kMs = 1e6;

// --- Plumbing ----------------------------------------------------------------------------

// Runs the event loop until `done` holds or `timeoutMs` passes; false on timeout. Spins
// rather than sleeps, so the time measured is the dialer's and not the scheduler's.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 2000) {
    const std::int64_t end = NowNs() + static_cast<std::int64_t>(timeoutMs) * 1000000;
    while (!done()) {
        if (NowNs() > end) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    return true;
}

void PumpFor(int ms) {
    const std::int64_t end = NowNs() + static_cast<std::int64_t>(ms) * 1000000;
    while (NowNs() < end)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

// A datagram socket on 127.0.0.1 (port 0: any). -1 when it cannot bind.
int LoopbackSocket(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    const sockaddr_in a = Loopback(port);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::uint16_t PortOf(int fd) {
    sockaddr_in a{};
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    return ntohs(a.sin_port);
}

void SendText(int fd, const std::string& text, std::uint16_t port) {
    const sockaddr_in to = Loopback(port);
    ::sendto(fd, text.data(), text.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

// Waits up to timeoutMs for one datagram and gives its text; false when none came.
bool ReceiveText(int fd, std::string& text, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0) return false;
    char buffer[4096];
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n < 0) return false;
    text.assign(buffer, strnlen(buffer, static_cast<std::size_t>(n)));
    return true;
}

// Monotonic minus real time, to read the kernel's receive stamps on our clock.
std::int64_t RealToMonotonic() {
    timespec mono{}, real{};
    clock_gettime(CLOCK_MONOTONIC, &mono);
    clock_gettime(CLOCK_REALTIME, &real);
    return (static_cast<std::int64_t>(mono.tv_sec) - real.tv_sec) * 1000000000 +
           (mono.tv_nsec - real.tv_nsec);
}

// One datagram (waiting up to a second) with the time the kernel took it in, on the
// monotonic clock. Needs SO_TIMESTAMPNS on the socket.
ssize_t ReceiveStamped(int fd, char* buffer, std::size_t capacity, sockaddr_in& from,
                       std::int64_t& stampNs) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 1000) <= 0) return -1;
    iovec io{buffer, capacity};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timespec))];
    msghdr msg{};
    msg.msg_name = &from;
    msg.msg_namelen = sizeof from;
    msg.msg_iov = &io;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    const ssize_t n = ::recvmsg(fd, &msg, 0);
    if (n < 0) return n;
    buffer[n] = '\0';
    stampNs = 0;
    for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c != nullptr; c = CMSG_NXTHDR(&msg, c)) {
        if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_TIMESTAMPNS) {
            timespec ts{};
            std::memcpy(&ts, CMSG_DATA(c), sizeof ts);
            stampNs =
                static_cast<std::int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec + RealToMonotonic();
        }
    }
    return n;
}

void DrainSocket(int fd) {
    char buffer[4096];
    while (::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT) >= 0) {
    }
}

// Counts paint events of one widget.
class PaintCounter : public QObject {
  public:
    explicit PaintCounter(QWidget* w) { w->installEventFilter(this); }
    int paints = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return QObject::eventFilter(watched, event);
    }
};

// Boxes never open in a benchmark: one would wait for a click. Each is reported.
class BenchDialogs : public Dialogs {
  public:
    int boxes = 0;
    MsgAnswer MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons,
                         MsgIcon, bool) override {
        ++boxes;
        std::fprintf(stderr, "window_bench: the dialog asked for a box: %s: %s\n", caption.c_str(),
                     text.c_str());
        return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
    }
    TextInputAnswer RunTextInput(const TextInputRequest&) override {
        ++boxes;
        return {2, {}};
    }
    void ShowAbout(const std::string&) override { ++boxes; }
};

// The dialer as the program builds it, with its real socket, timers and settings store,
// controlling a device at 127.0.0.1.
struct Rig {
    QTemporaryDir runtimeDir;
    BenchDialogs dialogs;
    CDialerApp app{{runtimeDir.path(), &dialogs, {}}};
    CDialerDlg& dialog = app.dialog();
    DialerWindow& window = app.window();
    QtDatagramPort& socket = app.socket();
    QtTimerHost& timers = app.timers();

    Rig() {
        app.init((runtimeDir.path() + QStringLiteral("/no-contacts.txt")).toStdString());
        // No search: the device is addressed directly, as a pick from the list does.
        timers.KillTimer(Timer::Connect);
        timers.KillTimer(Timer::SearchEnd);
        window.callCore([this] {
            dialog.Socket().SetDeviceAddr("127.0.0.1");
            FaceModel& face = dialog.Face();
            for (int id : {Ctl::DisplayLine0, Ctl::DisplayLine1, Ctl::DisplayLine2,
                           Ctl::DisplayLine3, Ctl::End, Ctl::Send, Ctl::VolPlus, Ctl::VolMinus})
                face.Show(id, true);
            dialog.ShowKeypad(true);
        });
        window.show();
        if (!QTest::qWaitForWindowExposed(&window)) std::fprintf(stderr, "window not exposed\n");
        PumpUntil([this] { return dialog.Socket().m_bReadyToSend; });
        PumpFor(50);
    }
    std::uint16_t port() const { return socket.localPort(); }
};

// --- Window in step after one display-line change ----------------------------------------

void BenchSync(Rig& rig) {
    DialerWindow& w = rig.window;
    // The floor: one label of the same font in a window of its own, told its new text.
    QWidget plain;
    plain.resize(w.size());
    auto* label = new QLabel(&plain);
    label->setTextFormat(Qt::PlainText);
    label->setFont(w.fontFor(FontId::B));
    label->setGeometry(w.control(Ctl::DisplayLine1)->geometry());
    plain.show();
    if (!QTest::qWaitForWindowExposed(&plain)) std::fprintf(stderr, "label window not exposed\n");

    std::vector<double> syncs, callCores, plainSets;
    const int n = 3000;
    for (int i = 0; i < n; ++i) {
        const std::string text = "Line one " + std::to_string(i);
        rig.dialog.SetDisplayLine(1, text);
        std::int64_t t0 = NowNs();
        w.sync();
        std::int64_t t1 = NowNs();
        syncs.push_back(static_cast<double>(t1 - t0));

        const QString qtext = QString::fromStdString(text);
        t0 = NowNs();
        label->setText(qtext);
        t1 = NowNs();
        plainSets.push_back(static_cast<double>(t1 - t0));

        // The whole handler call: copy back, the change, bring in step.
        const std::string other = "Other " + std::to_string(i);
        t0 = NowNs();
        w.callCore([&] { rig.dialog.SetDisplayLine(1, other); });
        t1 = NowNs();
        callCores.push_back(static_cast<double>(t1 - t0));
        QCoreApplication::processEvents(); // paints, outside the timing
    }
    const double sync = bench::Median(syncs);
    const double floor = bench::Median(plainSets);
    Row r{"window in step after one display-line change (sync, median)",
          sync / kUs,
          floor / kUs,
          "us",
          "QLabel::setText alone",
          "<= 50 us"};
    r.met = sync / kUs <= 50;
    bench::Print(r);
    Row c{"one incoming display line as a handler call (copy back + change + sync)",
          bench::Median(callCores) / kUs,
          floor / kUs,
          "us",
          "QLabel::setText alone",
          ""};
    c.hasTarget = false;
    bench::Print(c);
}

// --- Key to display round trip -----------------------------------------------------------

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

// --- Bulk lists over a real socket -------------------------------------------------------

std::vector<proto::CallItem> SampleCalls() {
    static const char* names[] = {"Anna^Berger", "Front^Desk",     "Lee^Chan", "",
                                  "M.^Okafor",   "Dr^Jonas^Weber", "Reception"};
    std::vector<proto::CallItem> calls(proto::kCallLogCapacity - 1);
    for (std::size_t k = 0; k < calls.size(); ++k) {
        proto::CallItem& c = calls[k];
        c.callType = static_cast<int>(k % 3);
        c.number = "0301555" + std::to_string(1000 + k);
        c.name = names[k % 7];
        c.date = "2024-05-" + std::to_string(10 + k % 20) + "^Mon";
        c.time = std::to_string(8 + k % 12) + ":" + std::to_string(10 + k % 50);
        c.duration = "0:" + std::to_string(10 + k % 50);
    }
    return calls;
}

std::vector<proto::Contact> SampleContacts() {
    std::vector<proto::Contact> contacts(proto::kPhonebookCapacity - 1);
    for (std::size_t k = 0; k < contacts.size(); ++k)
        contacts[k] = {"+49301555" + std::to_string(1000 + k),
                       "Contact " + std::to_string(k) + " of the office"};
    return contacts;
}

// The largest datagram size (in steps of 100) that still splits the calls into at least
// `count` datagrams.
std::size_t SplitFor(const std::vector<proto::CallItem>& calls, std::size_t count) {
    for (std::size_t max = proto::kMaxReceiveLength; max > 200; max -= 100)
        if (proto::Write<proto::InKeyword::Calls>(0, calls, max).size() >= count) return max;
    return 200;
}

struct ListCase {
    const char* name;
    int listId;
    int rows;
    std::vector<std::string> datagrams;
    std::string clear; // empties the list (untimed)
    std::function<std::size_t(std::string_view)> parse;
    double targetMs;
};

void BenchList(Rig& rig, const ListCase& lc) {
    auto* tree = qobject_cast<QTreeView*>(rig.window.control(lc.listId));
    QAbstractItemModel* model = tree->model();
    PaintCounter painted(tree->viewport());
    const int sender = LoopbackSocket(0);
    const std::uint16_t port = rig.port();

    std::vector<double> shown, parsed, allRows;
    int incomplete = 0;
    const int n = 25;
    for (int rep = 0; rep < n; ++rep) {
        // Parse-only floor: reading the same datagrams, nothing else.
        std::int64_t t0 = NowNs();
        std::size_t items = 0;
        for (const std::string& d : lc.datagrams)
            items += lc.parse(d);
        std::int64_t t1 = NowNs();
        if (items != static_cast<std::size_t>(lc.rows)) std::fprintf(stderr, "parse lost items\n");
        parsed.push_back(static_cast<double>(t1 - t0));

        SendText(sender, lc.clear, port);
        PumpUntil([&] { return model->rowCount() == 0; });
        PumpFor(5);

        // The device sends the datagrams back to back, as it does, from its own thread.
        std::atomic<bool> go{false};
        std::int64_t start = 0;
        std::thread device([&] {
            while (!go.load(std::memory_order_acquire)) {
            }
            for (const std::string& d : lc.datagrams)
                SendText(sender, d, port);
        });
        start = NowNs();
        go.store(true, std::memory_order_release);
        const bool whole = PumpUntil([&] { return model->rowCount() == lc.rows; }, 3000);
        const std::int64_t rowsIn = NowNs();
        int paintsAtWhole = painted.paints;
        // Shown: the view has painted once after its last row arrived.
        if (whole) PumpUntil([&] { return painted.paints > paintsAtWhole; }, 1000);
        const std::int64_t end = NowNs();
        device.join();
        if (!whole) {
            ++incomplete;
            continue;
        }
        shown.push_back(static_cast<double>(end - start));
        allRows.push_back(static_cast<double>(rowsIn - start));
    }
    ::close(sender);

    const double figure = bench::Median(shown) / kMs;
    const double floor = bench::Median(parsed) / kMs;
    char target[32];
    std::snprintf(target, sizeof target, "<= %.0f ms", lc.targetMs);
    Row r{std::string(lc.name) + " in " + std::to_string(lc.datagrams.size()) +
              " datagrams, first send .. shown whole",
          figure,
          floor,
          "ms",
          "parse-only",
          target};
    r.met = !shown.empty() && figure <= lc.targetMs && incomplete == 0;
    bench::Print(r);
    bench::Note(std::string(lc.name) + ": every row in the view after " +
                bench::Fixed(bench::Median(allRows) / kMs) + " ms, painted after " +
                bench::Fixed(figure) + " ms (medians of " + std::to_string(shown.size()) + ")");
    if (incomplete > 0)
        bench::Note(std::string(lc.name) + ": " + std::to_string(incomplete) + " of " +
                    std::to_string(n) + " runs never showed the whole list (datagrams lost)");
}

void BenchLists(Rig& rig) {
    const auto calls = SampleCalls();
    const std::size_t split = SplitFor(calls, 75);
    ListCase callLog{"2999-item call log",
                     Ctl::CallLogList,
                     static_cast<int>(calls.size()),
                     proto::Write<proto::InKeyword::Calls>(0, calls, split),
                     "CALLS: 0",
                     [](std::string_view d) {
                         return proto::Read<proto::InKeyword::Calls>(d).value().items.size();
                     },
                     30};
    ListCase phonebook{"999-contact phonebook",
                       Ctl::PhonebookList,
                       proto::kPhonebookCapacity - 1,
                       proto::Write<proto::InKeyword::Pbook>(0, SampleContacts(), split),
                       "PBOOK: 0",
                       [](std::string_view d) {
                           return proto::Read<proto::InKeyword::Pbook>(d).value().items.size();
                       },
                       10};
    BenchList(rig, callLog);
    BenchList(rig, phonebook);
    std::size_t bytes = 0;
    for (const auto& d : callLog.datagrams)
        bytes += d.size();
    bench::Note("lists: datagrams of at most " + std::to_string(split) + " bytes; call log " +
                std::to_string(bytes) + " bytes in " + std::to_string(callLog.datagrams.size()) +
                ", phonebook in " + std::to_string(phonebook.datagrams.size()));
}

// --- Flood ---------------------------------------------------------------------------------

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

// --- Child processes: skin painting and start-up -----------------------------------------

std::string SelfDir() {
    char path[4096];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    path[n] = '\0';
    return QFileInfo(QString::fromLocal8Bit(path)).absolutePath().toStdString();
}

struct ChildRun {
    std::int64_t spawnedNs = 0;
    std::string output;
    long maxRssKb = 0; // from the kernel at the child's end
    int status = -1;
};

ChildRun RunChild(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
    ChildRun run;
    int pipeFd[2];
    if (::pipe2(pipeFd, O_CLOEXEC) != 0) return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFd[1], 1);
    std::vector<char*> args, envp;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    for (const std::string& e : env)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    pid_t pid = 0;
    run.spawnedNs = NowNs();
    const int rc = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFd[1]);
    if (rc != 0) {
        ::close(pipeFd[0]);
        std::fprintf(stderr, "window_bench: cannot start %s: %s\n", args[0], std::strerror(rc));
        return run;
    }
    char buffer[1024];
    ssize_t n = 0;
    while ((n = ::read(pipeFd[0], buffer, sizeof buffer)) > 0)
        run.output.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeFd[0]);
    rusage usage{};
    ::wait4(pid, &run.status, 0, &usage);
    run.maxRssKb = usage.ru_maxrss;
    return run;
}

// The environment for the children: this one's, with the offscreen platform.
std::vector<std::string> ChildEnv(const std::string& runtimeDir) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string s(*e);
        if (s.compare(0, 16, "QT_QPA_PLATFORM=") == 0 || s.compare(0, 16, "XDG_RUNTIME_DIR=") == 0)
            continue;
        env.push_back(s);
    }
    env.push_back("QT_QPA_PLATFORM=offscreen");
    env.push_back("XDG_RUNTIME_DIR=" + runtimeDir);
    return env;
}

// Child: every skin picture made once, cold, as the window makes them (compiled in), and
// every picture drawn by the skin's drawing code as the build does, after the fonts have
// been loaded (any program with a window loads them; that is start-up, not the skin).
// Then the floor: the same pictures' pixmaps made and filled, nothing drawn.
int SkinChild(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    {
        QImage warm(64, 16, QImage::Format_ARGB32_Premultiplied);
        QPainter p(&warm);
        p.setFont(QFont(QStringLiteral("Arial"), 12, QFont::Bold));
        p.drawText(QPointF(1, 12), QStringLiteral("Menu"));
    }
    const std::vector<int> bitmaps = skin::BitmapIds();
    const std::vector<int> icons = skin::IconIds();
    std::int64_t t0 = NowNs();
    std::size_t pictures = 0;
    for (int id : bitmaps) {
        skin::Bitmap(id);
        ++pictures;
    }
    for (int id : icons) {
        const QIcon icon = skin::Icon(id);
        for (const QSize& size : icon.availableSizes()) {
            icon.pixmap(size);
            ++pictures;
        }
    }
    std::int64_t t1 = NowNs();
    const double madeNs = static_cast<double>(t1 - t0);

    t0 = NowNs();
    for (int id : skin::drawing::BitmapIds())
        skin::drawing::DrawBitmap(id);
    for (int id : skin::drawing::IconIds())
        for (int size : skin::drawing::IconSizes(id))
            skin::drawing::DrawIcon(id, size);
    t1 = NowNs();
    const double drawnNs = static_cast<double>(t1 - t0);

    std::vector<QSize> sizes;
    for (int id : bitmaps)
        sizes.push_back(skin::Bitmap(id).size());
    for (int id : icons)
        for (const QSize& s : skin::Icon(id).availableSizes())
            sizes.push_back(s);
    t0 = NowNs();
    for (const QSize& s : sizes) {
        QImage image(s, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.end();
        QPixmap pixmap = QPixmap::fromImage(image);
        (void)pixmap;
    }
    t1 = NowNs();
    std::printf("SKIN %.0f %.0f %.0f %zu\n", madeNs, drawnNs, static_cast<double>(t1 - t0),
                pictures);
    return 0;
}

void BenchSkin() {
    const std::string self = SelfDir() + "/window_bench";
    QTemporaryDir dir;
    const auto env = ChildEnv(dir.path().toStdString());
    std::vector<double> made, drawn, floor;
    std::size_t pictures = 0;
    for (int i = 0; i < 12; ++i) {
        const ChildRun run = RunChild({self, "skin-child"}, env);
        double m = 0, d = 0, f = 0;
        if (std::sscanf(run.output.c_str(), "SKIN %lf %lf %lf %zu", &m, &d, &f, &pictures) != 4) {
            std::fprintf(stderr, "window_bench: skin child said: %s\n", run.output.c_str());
            continue;
        }
        if (i == 0) continue; // the first start warms the page cache
        made.push_back(m);
        drawn.push_back(d);
        floor.push_back(f);
    }
    const double figure = bench::Median(made) / kMs;
    Row r{"making the whole skin at start (" + std::to_string(pictures) +
              " pictures, compiled in, cold)",
          figure,
          bench::Median(floor) / kMs,
          "ms",
          "same pixmaps filled, nothing drawn",
          "<= 20 ms"};
    r.met = !made.empty() && figure <= 20;
    bench::Print(r);
    Row d{"  drawing the whole skin, as the build does once",
          bench::Median(drawn) / kMs,
          bench::Median(floor) / kMs,
          "ms",
          "same pixmaps filled, nothing drawn",
          ""};
    d.hasTarget = false;
    bench::Print(d);
}

// Start-up: the dialer's window built as the program builds it, and a minimal dialog,
// each started the same way; both report after their first paint.
void BenchStartup() {
    const std::string dir = SelfDir();
    QTemporaryDir runtime;
    const auto env = ChildEnv(runtime.path().toStdString());
    struct Side {
        std::string program;
        std::vector<double> startMs, peakMb, kernelPeakMb, beforeMainMs;
    } sides[3] = {{dir + "/startup_dialer", {}, {}, {}, {}},
                  {dir + "/startup_baseline", {}, {}, {}, {}},
                  {dir + "/startup_plainface", {}, {}, {}, {}}};
    const int n = 15;
    for (int i = 0; i <= n; ++i) {
        for (Side& side : sides) {
            const ChildRun run = RunChild({side.program}, env);
            long long readyNs = 0, mainNs = 0;
            long hwm = 0;
            // The dialer prints its address line first.
            const std::size_t at = run.output.find("READY ");
            if (at == std::string::npos ||
                std::sscanf(run.output.c_str() + at, "READY %lld %ld %lld", &readyNs, &hwm,
                            &mainNs) != 3) {
                std::fprintf(stderr, "window_bench: %s said: %s\n", side.program.c_str(),
                             run.output.c_str());
                continue;
            }
            if (i == 0) continue; // warms the page cache
            side.startMs.push_back(static_cast<double>(readyNs - run.spawnedNs) / kMs);
            side.peakMb.push_back(static_cast<double>(hwm) / 1024);
            side.kernelPeakMb.push_back(static_cast<double>(run.maxRssKb) / 1024);
            side.beforeMainMs.push_back(static_cast<double>(mainNs - run.spawnedNs) / kMs);
        }
    }
    const double start = bench::Median(sides[0].startMs);
    const double startBase = bench::Median(sides[1].startMs);
    Row s{"start-up to the first painted face (median of " + std::to_string(n) + ")",
          start,
          startBase,
          "ms",
          "minimal QDialog",
          "<= 1.3x"};
    s.met = startBase > 0 && start <= 1.3 * startBase;
    bench::Print(s);
    const double peak = bench::Median(sides[0].peakMb);
    const double peakBase = bench::Median(sides[1].peakMb);
    Row m{"peak memory at the first painted face (VmHWM)",
          peak,
          peakBase,
          "MB",
          "minimal QDialog",
          "<= 1.3x"};
    m.met = peakBase > 0 && peak <= 1.3 * peakBase;
    bench::Print(m);
    Row f{"  start-up of the same face as plain Qt widgets (no pictures, no logic)",
          bench::Median(sides[2].startMs),
          startBase,
          "ms",
          "minimal QDialog",
          ""};
    f.hasTarget = false;
    bench::Print(f);
    Row fm{"  peak memory of the same face as plain Qt widgets",
           bench::Median(sides[2].peakMb),
           peakBase,
           "MB",
           "minimal QDialog",
           ""};
    fm.hasTarget = false;
    bench::Print(fm);
    bench::Note("start-up, medians: loading and linking before main " +
                bench::Fixed(bench::Median(sides[0].beforeMainMs)) + " ms against " +
                bench::Fixed(bench::Median(sides[1].beforeMainMs)) + " ms");
    bench::Note("start-up: peak memory by the kernel's count at exit " +
                bench::Fixed(bench::Median(sides[0].kernelPeakMb)) + " MB against " +
                bench::Fixed(bench::Median(sides[1].kernelPeakMb)) + " MB");
}

int Usage() {
    std::fprintf(stderr, "usage: window_bench sync|roundtrip|lists|flood|skin|startup|all\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string mode = argv[1];
    if (mode == "skin-child") return SkinChild(argc, argv);
    if (mode == "skin") {
        BenchSkin();
        return 0;
    }
    if (mode == "startup") {
        BenchStartup();
        return 0;
    }
    const bool all = mode == "all";
    if (!all && mode != "sync" && mode != "roundtrip" && mode != "lists" && mode != "flood")
        return Usage();

    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Rig rig;
    if (all || mode == "sync") BenchSync(rig);
    if (all || mode == "roundtrip") BenchRoundTrip(rig);
    if (all || mode == "lists") BenchLists(rig);
    if (all || mode == "flood") BenchFlood(rig);
    if (all) {
        BenchSkin();
        BenchStartup();
    }
    if (rig.dialogs.boxes > 0) {
        std::fprintf(stderr, "window_bench: %d boxes were asked for\n", rig.dialogs.boxes);
        return 1;
    }
    return 0;
}
