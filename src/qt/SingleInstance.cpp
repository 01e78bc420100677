#include "SingleInstance.h"

#include "DialLink.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A request is one line: "DIAL <url>" or "SHOW"; the answer "OK".
constexpr int kMaxRequest = 1024;
constexpr int kRequestTimeoutMs = 2000;
// How long a later start waits for the first one to answer.
constexpr int kHandOverTimeoutMs = 5000;

bool fillAddress(const QString& path, sockaddr_un& addr) {
    const QByteArray bytes = QFile::encodeName(path);
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (bytes.size() >= static_cast<qsizetype>(sizeof addr.sun_path)) return false;
    std::memcpy(addr.sun_path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return true;
}

// Sends one request to the dialer listening at `path` and waits for its "OK".
bool sendRequest(const QString& path, const QByteArray& request) {
    sockaddr_un addr{};
    if (!fillAddress(path, addr)) return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    timeval tv{kHandOverTimeoutMs / 1000, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
    if (ok) {
        const QByteArray line = request + '\n';
        ok = ::send(fd, line.constData(), static_cast<std::size_t>(line.size()), MSG_NOSIGNAL) ==
             line.size();
    }
    if (ok) {
        char answer[8] = {};
        const ssize_t n = ::recv(fd, answer, sizeof answer - 1, 0);
        ok = n >= 3 && std::strncmp(answer, "OK\n", 3) == 0;
    }
    ::close(fd);
    return ok;
}

} // namespace

SingleInstance::SingleInstance(QObject* parent) : QObject(parent) {}

SingleInstance::~SingleInstance() {
    if (m_listenFd >= 0) {
        // The socket goes with the lock; a later start must not find it and wait.
        ::unlink(QFile::encodeName(m_socketPath).constData());
        ::close(m_listenFd);
    }
    if (m_lockFd >= 0) ::close(m_lockFd);
}

SingleInstance::Claim SingleInstance::claim(const QString& url, QString* why) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) return claimOnBus(url, why);
    return claimOnSocket(url, why);
}

SingleInstance::Claim SingleInstance::claimOnBus(const QString& url, QString* why) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString service = QString::fromLatin1(kService);
    // A dialer that ends while a later one starts gives its name up: ask again then.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
            bus.interface()->registerService(service, QDBusConnectionInterface::DontQueueService,
                                             QDBusConnectionInterface::DontAllowReplacement);
        if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
            bus.registerObject(QString::fromLatin1(kPath), this,
                               QDBusConnection::ExportScriptableSlots);
            return Claim::First;
        }
        QDBusMessage call = QDBusMessage::createMethodCall(
            service, QString::fromLatin1(kPath), QString::fromLatin1(kInterface),
            url.isEmpty() ? QStringLiteral("Activate") : QStringLiteral("Dial"));
        if (!url.isEmpty()) call << url;
        const QDBusMessage answer = bus.call(call, QDBus::Block, kHandOverTimeoutMs);
        if (answer.type() == QDBusMessage::ReplyMessage) return Claim::HandedOver;
        if (why != nullptr) *why = answer.errorMessage();
    }
    return Claim::Alone;
}

SingleInstance::Claim SingleInstance::claimOnSocket(const QString& url, QString* why) {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || !QDir(runtime).exists()) {
        if (why != nullptr) *why = QStringLiteral("no session bus and no XDG_RUNTIME_DIR");
        return Claim::Alone;
    }
    m_socketPath = runtime + QStringLiteral("/orvane-dialer.socket");
    const QString lockPath = runtime + QStringLiteral("/orvane-dialer.lock");
    const QByteArray request = url.isEmpty() ? QByteArray("SHOW") : "DIAL " + url.toUtf8();

    // The lock is the claim: the kernel drops it with its process, so a dialer that died
    // never keeps a later one from starting, whatever socket it left behind.
    m_lockFd = ::open(QFile::encodeName(lockPath).constData(),
                      O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_lockFd < 0) {
        if (why != nullptr)
            *why = QStringLiteral("cannot open %1: %2")
                       .arg(lockPath, QString::fromLocal8Bit(std::strerror(errno)));
        return Claim::Alone;
    }
    if (::flock(m_lockFd, LOCK_EX | LOCK_NB) != 0) {
        ::close(m_lockFd);
        m_lockFd = -1;
        // The first dialer may hold the lock but not listen yet: a few tries.
        for (int i = 0; i < 20; ++i) {
            if (sendRequest(m_socketPath, request)) return Claim::HandedOver;
            ::usleep(100 * 1000);
        }
        if (why != nullptr)
            *why = QStringLiteral("the running dialer does not answer at %1").arg(m_socketPath);
        return Claim::Alone;
    }

    sockaddr_un addr{};
    if (!fillAddress(m_socketPath, addr)) {
        if (why != nullptr) *why = QStringLiteral("%1 is too long for a socket").arg(m_socketPath);
        return Claim::First; // the lock alone still keeps this session to one dialer
    }
    ::unlink(addr.sun_path); // left by a dialer that died
    m_listenFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_listenFd < 0 ||
        ::bind(m_listenFd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(m_listenFd, 8) != 0) {
        if (why != nullptr)
            *why = QStringLiteral("cannot listen at %1: %2")
                       .arg(m_socketPath, QString::fromLocal8Bit(std::strerror(errno)));
        if (m_listenFd >= 0) ::close(m_listenFd);
        m_listenFd = -1;
        return Claim::First;
    }
    m_listener = new QSocketNotifier(m_listenFd, QSocketNotifier::Read, this);
    connect(m_listener, &QSocketNotifier::activated, this, &SingleInstance::acceptConnection);
    return Claim::First;
}

void SingleInstance::acceptConnection() {
    for (;;) {
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) return;
        readRequest(fd);
    }
}

void SingleInstance::readRequest(int fd) {
    // Each connection reads on its own, so one that sends nothing freezes nothing; it is
    // dropped after a while.
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    auto* timer = new QTimer(notifier);
    auto buffer = std::make_shared<QByteArray>();
    auto done = std::make_shared<bool>(false);
    auto finish = [notifier, fd, done] {
        if (*done) return;
        *done = true;
        notifier->setEnabled(false);
        ::close(fd);
        notifier->deleteLater();
    };
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, notifier, finish);
    timer->start(kRequestTimeoutMs);
    connect(notifier, &QSocketNotifier::activated, this, [this, fd, buffer, finish] {
        char chunk[256];
        for (;;) {
            const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
            if (n > 0) {
                buffer->append(chunk, static_cast<qsizetype>(n));
                if (buffer->size() > kMaxRequest) return finish();
                const qsizetype end = buffer->indexOf('\n');
                if (end >= 0) {
                    ::send(fd, "OK\n", 3, MSG_NOSIGNAL);
                    const QByteArray line = buffer->left(end);
                    finish();
                    takeRequest(line);
                    return;
                }
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
            return finish(); // closed, or failed
        }
    });
}

void SingleInstance::takeRequest(const QByteArray& line) {
    if (line == "SHOW")
        Activate();
    else if (line.startsWith("DIAL "))
        Dial(QString::fromUtf8(line.mid(5)));
}

void SingleInstance::Dial(const QString& url) {
    const orvane::DialLinkResult link = orvane::ParseDialLink(url.toStdString());
    emit activateRequested();
    if (link.ok) emit dialRequested(QString::fromStdString(link.number));
}

void SingleInstance::Activate() {
    emit activateRequested();
}
