#include "QtPorts.h"

#include "CAboutDlg.h"
#include "CTextInputDlg.h"
#include "DialerWindow.h"
#include "ModelText.h"
#include "app/CDialerDlg.h"

#include <QGuiApplication>
#include <QHostAddress>
#include <QHostInfo>
#include <QMessageBox>
#include <QNetworkInterface>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QUdpSocket>

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>

// Diagnostics of the dialer; silent unless enabled (QT_LOGGING_RULES="orvane.dialer.debug=true").
Q_LOGGING_CATEGORY(lcDialer, "orvane.dialer", QtWarningMsg)

using namespace orvane;

namespace {

constexpr std::size_t kMaxQueued = 4096;
constexpr std::size_t kMaxQueuedBytes = 8u << 20;

int mapSocketError(QAbstractSocket::SocketError error) {
    switch (error) {
    case QAbstractSocket::TemporaryError: return SockErr::WouldBlock;
    case QAbstractSocket::ConnectionRefusedError:
    case QAbstractSocket::RemoteHostClosedError:
    case QAbstractSocket::NetworkError: return SockErr::ConnReset;
    case QAbstractSocket::DatagramTooLargeError: return SockErr::MessageSize;
    case QAbstractSocket::HostNotFoundError: return SockErr::Invalid;
    case QAbstractSocket::SocketAccessError: return SockErr::Access;
    case QAbstractSocket::AddressInUseError: return 10048;               // address in use
    case QAbstractSocket::SocketAddressNotAvailableError: return 10049;  // address not available
    case QAbstractSocket::SocketResourceError: return 10055;             // no buffer space
    case QAbstractSocket::UnsupportedSocketOperationError: return 10045; // not supported
    default: return SockErr::Invalid;
    }
}

// Dotted IPv4 text as it stands; anything else is looked up as a host name.
bool resolveIPv4(const std::string& host, QHostAddress& address) {
    const QString text = QString::fromStdString(host).trimmed();
    if (text.isEmpty()) return false;
    QHostAddress literal;
    if (literal.setAddress(text)) {
        if (literal.protocol() != QAbstractSocket::IPv4Protocol) return false;
        address = literal;
        return true;
    }
    const QHostInfo info = QHostInfo::fromName(text);
    for (const QHostAddress& candidate : info.addresses()) {
        if (candidate.protocol() == QAbstractSocket::IPv4Protocol) {
            address = candidate;
            return true;
        }
    }
    return false;
}

} // namespace

// ---------------------------------------------------------------------------------------
// QtDatagramPort

QtDatagramPort::QtDatagramPort(QObject* parent) : QObject(parent) {}

QtDatagramPort::~QtDatagramPort() = default;

int QtDatagramPort::mapErrno(int error) {
    switch (error) {
    case EAGAIN: return SockErr::WouldBlock;
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
    case EADDRNOTAVAIL: return 10049; // address not available
    case EDESTADDRREQ: return 10039;  // destination address required
    case ENOBUFS:
    case ENOMEM: return 10055; // no buffer space
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
    auto* socket = new QUdpSocket(this);
    if (!socket->bind(QHostAddress::AnyIPv4, 0)) {
        m_lastError = mapSocketError(socket->error());
        delete socket;
        return false;
    }
    m_socket = socket;
    connect(m_socket, &QUdpSocket::readyRead, this, &QtDatagramPort::onReadyRead);
    // A datagram socket can be written as soon as it exists; the dialog hears it once the
    // event loop runs.
    m_writablePending = true;
    QTimer::singleShot(0, this, &QtDatagramPort::reportWritable);
    return true;
}

void QtDatagramPort::reportWritable() {
    if (!m_writablePending || m_window.isNull() || m_socket == nullptr) return;
    m_writablePending = false;
    DialerWindow* window = m_window.data();
    window->callCore([window] { window->dialog().Socket().OnSend(0); });
}

bool QtDatagramPort::SetBroadcast(bool on) {
    if (m_socket == nullptr || m_socket->socketDescriptor() < 0) {
        m_lastError = SockErr::NotSocket;
        return false;
    }
    // QAbstractSocket has no option for it; the system's socket has.
    const int value = on ? 1 : 0;
    if (::setsockopt(static_cast<int>(m_socket->socketDescriptor()), SOL_SOCKET, SO_BROADCAST,
                     &value, sizeof value) != 0) {
        m_lastError = mapErrno(errno);
        return false;
    }
    return true;
}

bool QtDatagramPort::SendTo(const void* data, std::size_t length, const std::string& host,
                            std::uint16_t port) {
    if (m_socket == nullptr || m_socket->socketDescriptor() < 0) {
        m_lastError = SockErr::NotSocket;
        return false;
    }
    QHostAddress address;
    if (!resolveIPv4(host, address)) {
        m_lastError = SockErr::Invalid;
        return false;
    }
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(address.toIPv4Address());
    // Sent on the system's socket so its error reads exactly as the system gave it.
    const ssize_t sent = ::sendto(static_cast<int>(m_socket->socketDescriptor()), data, length, 0,
                                  reinterpret_cast<const sockaddr*>(&to), sizeof to);
    if (sent < 0) {
        m_lastError = mapErrno(errno);
        return false;
    }
    return true;
}

int QtDatagramPort::ReceiveFrom(void* buffer, std::size_t capacity, std::string& senderAddr,
                                unsigned& senderPort) {
    ++m_reads;
    if (m_socket == nullptr) {
        m_lastError = SockErr::NotSocket;
        return -1;
    }
    // Only the socket's own report reads it (onReadyRead): Qt turns the report off when a
    // report finds nothing to read and only a read turns it on again, so a read from here
    // between the system's notice and the report would leave the socket silent for good.
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
    if (m_socket == nullptr) return;
    m_socket->close();
    m_socket->deleteLater();
    m_socket = nullptr;
    m_inbox.clear();
    m_inboxBytes = 0;
}

std::uint16_t QtDatagramPort::localPort() const {
    return m_socket != nullptr ? m_socket->localPort() : 0;
}

void QtDatagramPort::onReadyRead() {
    // Everything the socket holds is read at once: the socket reports new datagrams only
    // after a read, also while a modal box's loop runs inside an earlier handler.
    while (m_socket != nullptr && m_socket->hasPendingDatagrams()) {
        const qint64 size = std::max<qint64>(m_socket->pendingDatagramSize(), 0);
        Incoming in;
        in.bytes.resize(size);
        QHostAddress from;
        quint16 fromPort = 0;
        const qint64 read = m_socket->readDatagram(in.bytes.data(), size, &from, &fromPort);
        if (read < 0) {
            if (m_socket->error() == QAbstractSocket::TemporaryError) break;
            in.bytes.clear();
            in.error = mapSocketError(m_socket->error());
        } else {
            in.bytes.resize(read);
            bool isV4 = false;
            const quint32 v4 = from.toIPv4Address(&isV4);
            in.from = (isV4 ? QHostAddress(v4) : from).toString().toStdString();
            in.port = fromPort;
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
    while (m_socket != nullptr && !m_window.isNull() && !m_inbox.empty()) {
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
    QMessageBox box(qIcon, modeltext::toQt(caption), modeltext::toQt(text), qButtons,
                    ownedByDialog ? owner() : nullptr);
    box.setTextFormat(Qt::PlainText);
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
    for (const QNetworkInterface& nif : QNetworkInterface::allInterfaces()) {
        if (nif.flags().testFlag(QNetworkInterface::IsLoopBack)) continue;
        const QStringList bytes = nif.hardwareAddress().split(QLatin1Char(':'));
        if (bytes.size() != 6) continue;
        Adapter adapter;
        bool ok = true;
        for (int i = 0; i < 6 && ok; ++i)
            adapter.mac[i] = static_cast<std::uint8_t>(bytes[i].toUInt(&ok, 16));
        if (!ok) continue;
        for (const QNetworkAddressEntry& entry : nif.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol) {
                adapter.ipAddress = entry.ip().toString().toStdString();
                break;
            }
        }
        return adapter;
    }
    return std::nullopt;
}

int QtPlatform::PrimaryScreenWidth() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->geometry().width() : 0;
}

void QtPlatform::StdOut(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void QtPlatform::DebugOut(const std::string& text) {
    QString line = modeltext::toQt(text);
    while (line.endsWith(QLatin1Char('\n')))
        line.chop(1);
    qCDebug(lcDialer).noquote() << line;
}
