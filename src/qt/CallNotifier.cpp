#include "CallNotifier.h"

#include "CDialerDlg.h"
#include "DialerWindow.h"
#include "ModelText.h"
#include "Protocol.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QTimer>
#include <QVariantMap>
#include <QWindow>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
// The phone sends the picture before the lines that name the caller: the notice waits
// for them.
constexpr int kSettleMs = 250;

} // namespace

bool notifyDesktop(const QString& summary, const QString& body) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    QDBusMessage notify =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("orvane-dialer"));
    notify << QStringLiteral("Orvane's SIP Dialer") << uint(0) << QStringLiteral("orvane-dialer")
           << summary << body << QStringList() << hints << -1;
    return bus.call(notify, QDBus::Block, 1000).type() == QDBusMessage::ReplyMessage;
}

CallNotifier::CallNotifier(DialerWindow& window, QObject* parent)
    : QObject(parent), m_window(window) {
    m_settle = new QTimer(this);
    m_settle->setSingleShot(true);
    m_settle->setInterval(kSettleMs);
    connect(m_settle, &QTimer::timeout, this, [this] {
        if (m_ringing && !m_dismissed && !m_window.isActiveWindow()) show(*m_ringing);
    });
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                    SLOT(onActionInvoked(uint, QString)));
        bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                    SLOT(onClosed(uint, uint)));
    }
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this] { update(); });
}

CallNotifier::~CallNotifier() {
    withdraw();
}

void CallNotifier::update() {
    orvane::CDialerDlg& dialog = m_window.dialog();
    const std::optional<orvane::IncomingCall> call =
        orvane::RingingCall(dialog.Face(), dialog.IsControlling());
    if (!call) {
        m_ringing.reset();
        m_dismissed = false;
        m_settle->stop();
        withdraw();
        return;
    }
    m_ringing = call;
    if (m_window.isActiveWindow()) {
        // The user looks at the face already.
        m_settle->stop();
        withdraw();
        return;
    }
    if (m_dismissed) return;
    if (!m_shown || *m_shown != *call) m_settle->start();
}

void CallNotifier::show(const orvane::IncomingCall& call) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    const QString name = modeltext::toQt(call.name);
    const QString number = modeltext::toQt(call.number);
    QString body;
    if (!name.isEmpty() && !number.isEmpty() && name != number)
        body = name + QLatin1Char('\n') + number;
    else
        body = !number.isEmpty() ? number : name;
    if (body.isEmpty()) body = QStringLiteral("Unknown caller");
    QDBusMessage notify =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("category"), QStringLiteral("call.incoming"));
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("orvane-dialer"));
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue<uchar>(2));
    hints.insert(QStringLiteral("resident"), true);
    notify << QStringLiteral("Orvane's SIP Dialer") << m_id << QStringLiteral("orvane-dialer")
           << QStringLiteral("Incoming call") << body
           << QStringList{QStringLiteral("answer"), QStringLiteral("Answer"),
                          QStringLiteral("reject"), QStringLiteral("Reject")}
           << hints << 0; // shown until withdrawn
    m_shown = call;
    m_pending = true;
    // Asynchronous: a slow or missing notification service never holds the window up.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(notify), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        m_pending = false;
        const QDBusPendingReply<uint> reply = *w;
        if (reply.isError()) {
            // No service (or a broken one): this call goes without a notice, and the
            // service is not asked again at every change of the face.
            m_shown.reset();
            if (m_ringing) m_dismissed = true;
            return;
        }
        m_id = reply.value();
        // The call ended while the notice was on its way.
        if (!m_ringing || m_dismissed) withdraw();
    });
}

void CallNotifier::withdraw() {
    m_shown.reset();
    if (m_id == 0) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        QDBusMessage close = QDBusMessage::createMethodCall(kService, kPath, kInterface,
                                                            QStringLiteral("CloseNotification"));
        close << m_id;
        bus.call(close, QDBus::NoBlock);
    }
    m_id = 0;
}

void CallNotifier::onActionInvoked(uint id, const QString& action) {
    if (id == 0 || id != m_id) return; // another program's notice
    if (action == QLatin1String("answer"))
        pressKey(true);
    else if (action == QLatin1String("reject"))
        pressKey(false);
    else if (action == QLatin1String("default")) {
        m_window.showNormal();
        m_window.raise();
        m_window.activateWindow();
    }
}

void CallNotifier::onClosed(uint id, uint /*reason*/) {
    if (id == 0 || id != m_id) return;
    m_id = 0;
    m_shown.reset();
    if (m_ringing) m_dismissed = true;
}

void CallNotifier::pressKey(bool answer) {
    orvane::CDialerDlg& dialog = m_window.dialog();
    if (!m_ringing || !dialog.IsControlling()) return;
    m_window.callCore([&dialog, answer] {
        const orvane::CallKeys keys = orvane::IncomingCallKeys(dialog.Face());
        dialog.SendCommand(orvane::proto::Write<orvane::proto::OutKeyword::Key>(
            answer ? keys.answer : keys.reject));
    });
}
