// What the window benchmarks share: the dialer built as the program builds it around a
// device at 127.0.0.1, the event-loop pumps, the loopback sockets and the child processes
// the start-up and skin benchmarks time. Each benchmark mode lives in a file of its own
// (window_*.cpp); window_bench.cpp picks them by name.
#pragma once

#include "BenchSupport.h"
#include "CDialerApp.h"
#include "QtPorts.h"

#include <QObject>
#include <QTemporaryDir>

#include <cstdint>
#include <functional>
#include <netinet/in.h>
#include <string>
#include <sys/types.h>
#include <vector>

class QEvent;
class QWidget;

namespace bench {

constexpr double kUs = 1e3;
constexpr double kMs = 1e6;

// --- Plumbing ----------------------------------------------------------------------------

// Runs the event loop until `done` holds or `timeoutMs` passes; false on timeout. Spins
// rather than sleeps, so the time measured is the dialer's and not the scheduler's.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 2000);
void PumpFor(int ms);

sockaddr_in Loopback(std::uint16_t port);
// A datagram socket on 127.0.0.1 (port 0: any). -1 when it cannot bind.
int LoopbackSocket(std::uint16_t port);
std::uint16_t PortOf(int fd);
void SendText(int fd, const std::string& text, std::uint16_t port);
// Waits up to timeoutMs for one datagram and gives its text; false when none came.
bool ReceiveText(int fd, std::string& text, int timeoutMs);
// One datagram (waiting up to a second) with the time the kernel took it in, on the
// monotonic clock. Needs SO_TIMESTAMPNS on the socket.
ssize_t ReceiveStamped(int fd, char* buffer, std::size_t capacity, sockaddr_in& from,
                       std::int64_t& stampNs);
void DrainSocket(int fd);

// Counts paint events of one widget.
class PaintCounter : public QObject {
  public:
    explicit PaintCounter(QWidget* w);
    int paints = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// Boxes never open in a benchmark: one would wait for a click. Each is reported.
class BenchDialogs : public orvane::Dialogs {
  public:
    int boxes = 0;
    orvane::MsgAnswer MessageBox(const std::string& text, const std::string& caption,
                                 orvane::MsgButtons buttons, orvane::MsgIcon, bool) override;
    orvane::TextInputAnswer RunTextInput(const orvane::TextInputRequest&) override;
    void ShowAbout(const std::string&) override { ++boxes; }
};

// The dialer as the program builds it, with its real socket, timers and settings store,
// controlling a device at 127.0.0.1.
struct Rig {
    QTemporaryDir runtimeDir;
    BenchDialogs dialogs;
    CDialerApp app{{runtimeDir.path(), &dialogs, {}}};
    orvane::CDialerDlg& dialog = app.dialog();
    DialerWindow& window = app.window();
    QtDatagramPort& socket = app.socket();
    QtTimerHost& timers = app.timers();

    Rig();
    std::uint16_t port() const { return socket.localPort(); }
};

// --- Child processes ---------------------------------------------------------------------

// The folder this program was started from.
std::string SelfDir();

struct ChildRun {
    std::int64_t spawnedNs = 0;
    std::string output;
    long maxRssKb = 0; // from the kernel at the child's end
    int status = -1;
};

ChildRun RunChild(const std::vector<std::string>& argv, const std::vector<std::string>& env);
// The environment for the children: this one's, with the offscreen platform.
std::vector<std::string> ChildEnv(const std::string& runtimeDir);

// --- The modes -----------------------------------------------------------------------------

// Window in step after one display-line change (window_sync.cpp).
void BenchSync(Rig& rig);
// Key to display round trip (window_roundtrip.cpp).
void BenchRoundTrip(Rig& rig);
// Bulk lists over a real socket (window_lists.cpp).
void BenchLists(Rig& rig);
// A flood of datagrams (window_flood.cpp).
void BenchFlood(Rig& rig);
// Making and drawing the skin (window_skin.cpp); SkinChild is the program it starts.
void BenchSkin();
int SkinChild(int argc, char** argv);
// Start-up to the first painted face (window_startup.cpp).
void BenchStartup();

} // namespace bench
