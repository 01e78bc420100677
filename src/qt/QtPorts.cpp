#include "QtPorts.h"

#include "CAboutDlg.h"
#include "CDialerDlg.h"
#include "CTextInputDlg.h"
#include "DialerWindow.h"
#include "ModelText.h"
#include "Text.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netpacket/packet.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

// Diagnostics of the dialer; silent unless enabled (QT_LOGGING_RULES="orvane.dialer.debug=true").
Q_LOGGING_CATEGORY(lcDialer, "orvane.dialer", QtWarningMsg)

using namespace orvane;

namespace {

constexpr std::size_t kMaxQueued = 4096;
constexpr std::size_t kMaxQueuedBytes = 8u << 20;
// A UDP payload never exceeds this, so one read always takes a datagram whole.
constexpr std::size_t kMaxDatagram = 65536;
constexpr std::size_t kMaxReadsPerNotice = 2 * kMaxQueued;
// A phone sends a long call log as one burst of some forty 4 KB datagrams; the system's
// default buffer holds about 25 of them, so a dialer busy for a moment would lose rows.
// The system caps the request at its own maximum.
constexpr int kReceiveBufferBytes = 4 << 20;

// Dotted IPv4 text as it stands; anything else is looked up as a host name (blocking).
// The address comes back in network byte order.
bool resolveIPv4(const std::string& host, in_addr& address) {
    const std::string name(orvane::text::Trim(host));
    if (name.empty()) return false;
    if (::inet_pton(AF_INET, name.c_str(), &address) == 1) return true;
    // IPv6 text is refused: a host name never holds a colon, and the lookup would take an
    // IPv4-mapped address ("::ffff:a.b.c.d") as the IPv4 one.
    if (name.find(':') != std::string::npos) return false;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0) return false;
    bool ok = false;
    for (const addrinfo* ai = found; ai != nullptr; ai = ai->ai_next) {
        if (ai->ai_family == AF_INET && ai->ai_addr != nullptr &&
            ai->ai_addrlen >= sizeof(sockaddr_in)) {
            address = reinterpret_cast<const sockaddr_in*>(ai->ai_addr)->sin_addr;
            ok = true;
            break;
        }
    }
    ::freeaddrinfo(found);
    return ok;
}

} // namespace

// ---------------------------------------------------------------------------------------
// QtDatagramPort

QtDatagramPort::QtDatagramPort(QObject* parent) : QObject(parent) {}

QtDatagramPort::~QtDatagramPort() {
    Close();
}

int QtDatagramPort::mapErrno(int error) {
    switch (error) {
    case EAGAIN: return SockErr::WouldBlock;
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK: return SockErr::WouldBlock;
#endif
    case EMSGSIZE: return SockErr::MessageSize;
    case ENETUNREACH: return SockErr::NetUnreachable;
    case ENETRESET: return SockErr::NetReset;
    case EHOSTUNREACH: return SockErr::HostUnreachable;
    case ECONNREFUSED:
    case ECONNRESET: return SockErr::ConnReset;
    case EACCES:
    case EPERM: return SockErr::Access;
    case EBADF:
    case ENOTSOCK: return SockErr::NotSocket;
    case EADDRINUSE: return 10048;    // address in use
    case EADDRNOTAVAIL: return 10049; // address not available
    case EDESTADDRREQ: return 10039;  // destination address required
    case EMFILE:
    case ENFILE: return 10024; // too many open files
    case ENOBUFS:
    case ENOMEM: return 10055; // no buffer space
    case EOPNOTSUPP:
    case EAFNOSUPPORT:
    case EPROTONOSUPPORT: return 10045; // not supported
    case ENETDOWN: return 10050;
    default: return SockErr::Invalid;
    }
}

void QtDatagramPort::attach(DialerWindow* window) {
    m_window = window;
    if (m_writablePending) QTimer::singleShot(0, this, &QtDatagramPort::reportWritable);
    if (!m_inbox.empty()) scheduleDrain();
}

bool QtDatagramPort::Create() {
    if (m_fd >= 0) Close();
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        m_lastError = mapErrno(errno);
        return false;
    }
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_addr.s_addr = htonl(INADDR_ANY);
    any.sin_port = 0;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&any), sizeof any) != 0) {
        m_lastError = mapErrno(errno);
        ::close(fd);
        return false;
    }
    // Best effort: a smaller buffer only makes loss under a burst likelier.
    const int receiveBuffer = kReceiveBufferBytes;
    (void)::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    m_fd = fd;
    m_notifier = new QSocketNotifier(static_cast<qintptr>(fd), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QtDatagramPort::onReadyRead);
    // A datagram socket can be written as soon as it exists; the dialog hears it once the
    // event loop runs.
    m_writablePending = true;
    QTimer::singleShot(0, this, &QtDatagramPort::reportWritable);
    return true;
}

void QtDatagramPort::reportWritable() {
    if (!m_writablePending || m_window.isNull() || m_fd < 0) return;
    m_writablePending = false;
    DialerWindow* window = m_window.data();
    window->callCore([window] { window->dialog().Socket().OnSend(0); });
}

bool QtDatagramPort::SetBroadcast(bool on) {
    if (m_fd < 0) {
        m_lastError = SockErr::NotSocket;
        return false;
    }
    const int value = on ? 1 : 0;
    if (::setsockopt(m_fd, SOL_SOCKET, SO_BROADCAST, &value, sizeof value) != 0) {
        m_lastError = mapErrno(errno);
        return false;
    }
    return true;
}

bool QtDatagramPort::SendTo(const void* data, std::size_t length, const std::string& host,
                            std::uint16_t port) {
    if (m_fd < 0) {
        m_lastError = SockErr::NotSocket;
        return false;
    }
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    if (!resolveIPv4(host, to.sin_addr)) {
        m_lastError = SockErr::Invalid;
        return false;
    }
    const ssize_t sent =
        ::sendto(m_fd, data, length, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    if (sent < 0) {
        m_lastError = mapErrno(errno);
        return false;
    }
    return true;
}

int QtDatagramPort::ReceiveFrom(void* buffer, std::size_t capacity, std::string& senderAddr,
                                unsigned& senderPort) {
    ++m_reads;
    if (m_fd < 0) {
        m_lastError = SockErr::NotSocket;
        return -1;
    }
    // Only the socket's own notification reads the socket (onReadyRead); this hands out
    // what it took, in arrival order.
    if (m_inbox.empty()) {
        m_lastError = SockErr::WouldBlock;
        return -1;
    }
    Incoming in = std::move(m_inbox.front());
    m_inbox.pop_front();
    m_inboxBytes -= static_cast<std::size_t>(in.bytes.size());
    if (in.error != 0) {
        m_lastError = in.error;
        return -1;
    }
    senderAddr = in.from;
    senderPort = in.port;
    // Too large for the buffer: reported, never cut silently.
    if (static_cast<std::size_t>(in.bytes.size()) > capacity) {
        m_lastError = SockErr::MessageSize;
        return -1;
    }
    std::memcpy(buffer, in.bytes.constData(), static_cast<std::size_t>(in.bytes.size()));
    return static_cast<int>(in.bytes.size());
}

void QtDatagramPort::Close() {
    if (m_fd < 0) return;
    // Switched off before the descriptor goes, and deleted later: Close may run inside a
    // handler that the notifier's own notification started.
    if (m_notifier != nullptr) {
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
        m_notifier = nullptr;
    }
    ::close(m_fd);
    m_fd = -1;
    m_inbox.clear();
    m_inboxBytes = 0;
}

std::uint16_t QtDatagramPort::localPort() const {
    if (m_fd < 0) return 0;
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (::getsockname(m_fd, reinterpret_cast<sockaddr*>(&local), &length) != 0) return 0;
    return ntohs(local.sin_port);
}

void QtDatagramPort::onReadyRead() {
    // What the socket holds is read at once, so a flood is dropped here at the inbox's
    // bound rather than left to fill the system's buffer; but never more than a bound of
    // reads per notice, so a flood that outpaces the reads cannot keep the event loop (the
    // timers, the painting) waiting. The notifier reports again while anything is left.
    char buffer[kMaxDatagram];
    for (std::size_t reads = 0; m_fd >= 0 && reads < kMaxReadsPerNotice; ++reads) {
        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        const ssize_t read = ::recvfrom(m_fd, buffer, sizeof buffer, 0,
                                        reinterpret_cast<sockaddr*>(&from), &fromLength);
        Incoming in;
        if (read < 0) {
            const int error = errno;
            if (error == EAGAIN || error == EWOULDBLOCK || error == EINTR) break;
            in.error = mapErrno(error);
        } else {
            in.bytes = QByteArray(buffer, static_cast<qsizetype>(read));
            char text[INET_ADDRSTRLEN] = {};
            if (::inet_ntop(AF_INET, &from.sin_addr, text, sizeof text) != nullptr) in.from = text;
            in.port = ntohs(from.sin_port);
        }
        // A flood while the dialog is busy is dropped beyond a bound, as a full system
        // buffer would drop it.
        if (m_inbox.size() >= kMaxQueued ||
            m_inboxBytes + static_cast<std::size_t>(in.bytes.size()) > kMaxQueuedBytes) {
            if (in.error != 0) break;
            continue;
        }
        m_inboxBytes += static_cast<std::size_t>(in.bytes.size());
        const bool failed = in.error != 0;
        m_inbox.push_back(std::move(in));
        if (failed) break; // never spin on a socket that keeps failing
    }
    if (!m_inbox.empty()) scheduleDrain();
}

void QtDatagramPort::scheduleDrain() {
    if (m_drainQueued) return;
    m_drainQueued = true;
    QMetaObject::invokeMethod(this, &QtDatagramPort::drain, Qt::QueuedConnection);
}

void QtDatagramPort::drain() {
    m_drainQueued = false;
    while (m_fd >= 0 && !m_window.isNull() && !m_inbox.empty()) {
        const unsigned before = m_reads;
        DialerWindow* window = m_window.data();
        window->callCore([window] { window->dialog().Socket().OnReceive(0); });
        // The dialog has stopped reading (its socket is closed, or it has ended).
        if (m_reads == before) break;
    }
}

// ---------------------------------------------------------------------------------------
// QtTimerHost

QtTimerHost::QtTimerHost(QObject* parent) : QObject(parent) {}

void QtTimerHost::attach(DialerWindow* window) {
    m_window = window;
}

void QtTimerHost::SetTimer(int id, unsigned periodMs) {
    QTimer*& timer = m_timers[id];
    if (timer == nullptr) {
        timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, id] {
            if (m_window.isNull()) return;
            DialerWindow* window = m_window.data();
            window->callCore([window, id] { window->dialog().OnTimer(id); });
        });
    }
    // A window timer repeats until it is killed; setting it again restarts the period.
    timer->start(static_cast<int>(std::min<unsigned>(periodMs, 0x7fffffffu)));
}

void QtTimerHost::KillTimer(int id) {
    auto it = m_timers.find(id);
    if (it != m_timers.end()) it->second->stop();
}

bool QtTimerHost::isRunning(int id) const {
    auto it = m_timers.find(id);
    return it != m_timers.end() && it->second->isActive();
}

// ---------------------------------------------------------------------------------------
// QtDialogs

void QtDialogs::attach(DialerWindow* window) {
    m_window = window;
}

QWidget* QtDialogs::owner() const {
    return m_window.data();
}

MsgAnswer QtDialogs::MessageBox(const std::string& text, const std::string& caption,
                                MsgButtons buttons, MsgIcon icon, bool ownedByDialog) {
    if (m_quitting) return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
    if (!m_window.isNull()) m_window->sync();
    QMessageBox::Icon qIcon = QMessageBox::NoIcon;
    switch (icon) {
    case MsgIcon::Information: qIcon = QMessageBox::Information; break;
    case MsgIcon::Warning: qIcon = QMessageBox::Warning; break;
    case MsgIcon::Error: qIcon = QMessageBox::Critical; break;
    case MsgIcon::None: break;
    }
    const QMessageBox::StandardButtons qButtons =
        buttons == MsgButtons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok;
    // A long text (a console answer runs to 64 KB) would make a box taller than any screen
    // that takes seconds to lay out: the box shows the first lines, and the whole text
    // scrolls under "Show Details...".
    constexpr int kMaxBoxLines = 20;
    constexpr qsizetype kMaxBoxChars = 3000;
    const QString full = modeltext::toQt(text);
    QString shown = full;
    bool cut = false;
    qsizetype end = -1; // the end of the last line the box shows
    int lines = 0;
    for (qsizetype next;
         lines < kMaxBoxLines && (next = full.indexOf(QLatin1Char('\n'), end + 1)) >= 0; ++lines)
        end = next;
    if (lines == kMaxBoxLines && end < full.size() - 1) {
        shown = full.left(end);
        cut = true;
    }
    if (shown.size() > kMaxBoxChars) {
        shown = shown.left(kMaxBoxChars);
        cut = true;
    }
    if (cut) shown += QStringLiteral("\n...");
    QMessageBox box(qIcon, modeltext::toQt(caption), shown, qButtons,
                    ownedByDialog ? owner() : nullptr);
    box.setTextFormat(Qt::PlainText);
    if (cut) box.setDetailedText(full);
    const int answer = box.exec();
    if (buttons == MsgButtons::YesNo)
        return answer == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
    return MsgAnswer::Ok;
}

TextInputAnswer QtDialogs::RunTextInput(const TextInputRequest& request) {
    if (m_quitting) return {2, modeltext::toModel(CTextInputDlg::initialText(request))};
    if (!m_window.isNull()) m_window->sync();
    CTextInputDlg prompt(request, owner());
    prompt.exec();
    return prompt.answer();
}

void QtDialogs::ShowAbout(const std::string& versionLine) {
    if (m_quitting) return;
    if (!m_window.isNull()) m_window->sync();
    CAboutDlg about(modeltext::toQt(versionLine), owner());
    about.exec();
}

// ---------------------------------------------------------------------------------------
// QtPlatform

void QtPlatform::Sleep(unsigned ms) {
    QThread::msleep(ms);
}

std::optional<Platform::Adapter> QtPlatform::FirstAdapter() {
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) return std::nullopt;
    // The link entries name each interface with its index, flags and hardware address.
    std::vector<const ifaddrs*> links;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr != nullptr && entry->ifa_addr->sa_family == AF_PACKET)
            links.push_back(entry);
    }
    const auto index = [](const ifaddrs* link) {
        return reinterpret_cast<const sockaddr_ll*>(link->ifa_addr)->sll_ifindex;
    };
    std::stable_sort(links.begin(), links.end(),
                     [&](const ifaddrs* a, const ifaddrs* b) { return index(a) < index(b); });

    std::optional<Adapter> found;
    for (const ifaddrs* link : links) {
        if ((link->ifa_flags & IFF_LOOPBACK) != 0) continue;
        const auto* hw = reinterpret_cast<const sockaddr_ll*>(link->ifa_addr);
        if (hw->sll_halen != 6) continue;
        Adapter adapter;
        std::memcpy(adapter.mac, hw->sll_addr, 6);
        // The interface's first IPv4 address; an alias carries its label, "name:label".
        const std::string name = link->ifa_name;
        for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
            if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
            const std::string owner = entry->ifa_name;
            if (owner != name && owner.compare(0, name.size() + 1, name + ':') != 0) continue;
            char text[INET_ADDRSTRLEN] = {};
            const auto* v4 = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
            if (::inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text) != nullptr) {
                adapter.ipAddress = text;
                break;
            }
        }
        found = adapter;
        break;
    }
    ::freeifaddrs(list);
    return found;
}

int QtPlatform::PrimaryScreenWidth() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->geometry().width() : 0;
}

void QtPlatform::StdOut(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void QtPlatform::StdErr(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

void QtPlatform::DebugOut(const std::string& text) {
    QString line = modeltext::toQt(text);
    while (line.endsWith(QLatin1Char('\n')))
        line.chop(1);
    qCDebug(lcDialer).noquote() << line;
}
