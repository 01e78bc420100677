// orvane-dialer: reads its options, builds the application (CDialerApp: the ports, the one
// dialog CDialerDlg and its window) and runs the window modally; the program ends when the
// window closes.
#include "CDialerApp.h"
#include "CallNotifier.h"
#include "CommandLine.h"
#include "FaceIds.h"
#include "SingleInstance.h"
#include "Skin.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <unistd.h>

namespace {

// Takes the window's picture after its first paint plus a delay.
class ScreenshotTaker : public QObject {
  public:
    ScreenshotTaker(DialerWindow& window, QString file, int delayMs)
        : m_window(window), m_file(std::move(file)), m_delayMs(delayMs) {
        m_window.installEventFilter(this);
    }
    void takeNow() {
        if (m_taken) return;
        m_taken = true;
        if (!m_window.grab().save(m_file))
            std::fprintf(stderr, "orvane-dialer: cannot write %s\n", qPrintable(m_file));
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &m_window && event->type() == QEvent::Paint && !m_armed) {
            m_armed = true;
            QTimer::singleShot(m_delayMs, this, [this] { takeNow(); });
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    DialerWindow& m_window;
    QString m_file;
    int m_delayMs = 0;
    bool m_armed = false;
    bool m_taken = false;
};

// Where the recent numbers live: the user's data folder, as the desktop names it.
std::string recentNumbersPath() {
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty() || QDir::isRelativePath(data)) {
        const QString home = qEnvironmentVariable("HOME");
        if (home.isEmpty()) return std::string(); // kept for this run only
        data = home + QStringLiteral("/.local/share");
    }
    return QFile::encodeName(data + QStringLiteral("/orvane-sip-dialer/recent-numbers"))
        .toStdString();
}

} // namespace

int main(int argc, char* argv[]) {
    // --help and --version answer before Qt starts, so they work without a display too.
    QStringList raw;
    for (int i = 1; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    const CommandLine early = parseCommandLine(raw);
    if (early.action == CommandLine::Action::Help) {
        std::fputs(qPrintable(commandLineHelp()), stdout);
        return 0;
    }
    if (early.action == CommandLine::Action::Version) {
        std::fputs(qPrintable(commandLineVersion()), stdout);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orvane-dialer"));
    // No application display name: on X11 Qt would append it to every window's title, the
    // boxes' captions included.
    QApplication::setWindowIcon(orvane::skin::Icon(orvane::Ico::App));
    DialerWindow::prepareApplication();

    // Qt has taken its own options (-platform, -style, ...) out by now.
    const CommandLine line = parseCommandLine(QApplication::arguments().mid(1));
    if (line.action == CommandLine::Action::Error) {
        std::fprintf(stderr, "orvane-dialer: %s (see orvane-dialer --help)\n",
                     qPrintable(line.error));
        // A link clicked in a browser has no terminal to read the reason on.
        if (!line.options.dialLink.isEmpty() && !isatty(STDERR_FILENO))
            notifyDesktop(QStringLiteral("Cannot dial this link"), line.error);
        return 2;
    }
    const DialerOptions& options = line.options;

    // One dialer per login session. A run that closes itself (a demonstration, a test)
    // stays apart from it.
    SingleInstance instance;
    if (options.screenshot.isEmpty() && options.quitAfterMs < 0) {
        QString why;
        switch (instance.claim(options.dialLink, &why)) {
        case SingleInstance::Claim::HandedOver:
            if (!options.connectAddress.isEmpty())
                std::fprintf(stderr,
                             "orvane-dialer: a dialer runs in this session already; it was "
                             "brought to the front (--connect %s is not used)\n",
                             qPrintable(options.connectAddress));
            return 0;
        case SingleInstance::Claim::Alone:
            qCDebug(lcDialer, "runs without the one-dialer claim: %s", qPrintable(why));
            break;
        case SingleInstance::Claim::First: break;
        }
    }

    // The settings live in the per-login runtime directory, which goes at log-out; the
    // recent numbers in the user's data folder, which stays.
    CDialerApp dialer({qEnvironmentVariable("XDG_RUNTIME_DIR"), nullptr, recentNumbersPath()});
    orvane::CDialerDlg& dialog = dialer.dialog();
    DialerWindow& window = dialer.window();
    DialerSession& session = dialer.session();
    QObject::connect(&instance, &SingleInstance::dialRequested, &session, &DialerSession::dial);
    QObject::connect(&instance, &SingleInstance::activateRequested, &session,
                     &DialerSession::activate);

    std::unique_ptr<ScreenshotTaker> screenshot;
    if (!options.screenshot.isEmpty())
        screenshot = std::make_unique<ScreenshotTaker>(window, options.screenshot,
                                                       options.screenshotDelayMs);
    if (options.quitAfterMs >= 0) {
        QTimer::singleShot(options.quitAfterMs, &app, [&] {
            if (screenshot) screenshot->takeNow();
            // Closed as the user closes it; then no box may hold the program open.
            dialer.qtDialogs().setQuitting(true);
            window.close();
            QCoreApplication::exit(0);
        });
    }

    if (!options.connectAddress.isEmpty())
        dialog.SetStartAddress(options.connectAddress.toStdString());
    dialer.init(options.privateContacts.toStdString());
    if (!options.connectAddress.isEmpty() && dialog.isPrivateController())
        std::fprintf(stderr,
                     "orvane-dialer: attached as private controller to %s; --connect %s is "
                     "not used (Devices > Release Private attached Device ends it)\n",
                     dialog.Socket().DeviceAddr().c_str(), qPrintable(options.connectAddress));
    // A link given at start waits for the phone the start takes.
    if (!options.dialNumber.isEmpty()) session.dial(options.dialNumber);
    dialer.exec();
    return 0;
}
