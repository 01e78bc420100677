// CDialerApp: the application object. It builds the one dialog and runs its window
// modally; the program ends when the window closes.
#include "DialerWindow.h"
#include "QtPorts.h"
#include "Skin.h"
#include "app/CDialerDlg.h"
#include "app/FileSettingsBackend.h"
#include "face/FaceIds.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTimer>
#include <cstdio>

namespace {

// Demo and test options only; the program itself takes none.
struct Options {
    QString screenshot;
    int screenshotDelayMs = 4500;
    int quitAfterMs = -1;
    QString privateContacts = QStringLiteral("PrivateContacts.txt");
};

bool parseOptions(const QApplication& app, Options& options) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Orvane's SIP Dialer"));
    parser.addHelpOption();
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Save a picture of the window to FILE once it has shown and the "
                       "screenshot delay has passed."),
        QStringLiteral("FILE"));
    const QCommandLineOption delay(QStringLiteral("screenshot-delay"),
                                   QStringLiteral("Delay of --screenshot after the window "
                                                  "first shows (default 4500)."),
                                   QStringLiteral("MS"));
    const QCommandLineOption quitAfter(QStringLiteral("quit-after"),
                                       QStringLiteral("Close the program after MS milliseconds."),
                                       QStringLiteral("MS"));
    const QCommandLineOption contacts(
        QStringLiteral("private-contacts"),
        QStringLiteral("The private contact file (default PrivateContacts.txt)."),
        QStringLiteral("PATH"));
    parser.addOptions({screenshot, delay, quitAfter, contacts});
    parser.process(app);

    auto number = [&](const QCommandLineOption& option, int& out) {
        if (!parser.isSet(option)) return true;
        bool ok = false;
        const int value = parser.value(option).toInt(&ok);
        if (!ok || value < 0) {
            std::fprintf(stderr, "orvane-dialer: --%s needs a number of milliseconds\n",
                         qPrintable(option.names().first()));
            return false;
        }
        out = value;
        return true;
    };
    if (!number(delay, options.screenshotDelayMs) || !number(quitAfter, options.quitAfterMs))
        return false;
    if (parser.isSet(screenshot)) options.screenshot = parser.value(screenshot);
    if (parser.isSet(contacts)) options.privateContacts = parser.value(contacts);
    return true;
}

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

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orvane-dialer"));
    // No application display name: on X11 Qt would append it to every window's title, the
    // boxes' captions included.
    QApplication::setWindowIcon(orvane::skin::Icon(orvane::Ico::App));
    DialerWindow::prepareApplication();

    Options options;
    if (!parseOptions(app, options)) return 2;

    QtDatagramPort socket;
    QtTimerHost timers;
    QtDialogs dialogs;
    // The settings live in the per-login runtime directory, which goes at log-out.
    orvane::FileSettingsBackend settings(qEnvironmentVariable("XDG_RUNTIME_DIR").toStdString());
    QtPlatform platform;

    orvane::CDialerDlg dialog({socket, timers, dialogs, settings, platform});
    DialerWindow window(dialog);
    socket.attach(&window);
    timers.attach(&window);
    dialogs.attach(&window);

    std::unique_ptr<ScreenshotTaker> screenshot;
    if (!options.screenshot.isEmpty())
        screenshot = std::make_unique<ScreenshotTaker>(window, options.screenshot,
                                                       options.screenshotDelayMs);
    if (options.quitAfterMs >= 0) {
        QTimer::singleShot(options.quitAfterMs, &app, [&] {
            if (screenshot) screenshot->takeNow();
            // Closed as the user closes it; then no box may hold the program open.
            dialogs.setQuitting(true);
            window.close();
            QCoreApplication::exit(0);
        });
    }

    window.initDialog(options.privateContacts.toStdString());
    if (!dialog.IsEnded()) window.exec();

    socket.attach(nullptr);
    timers.attach(nullptr);
    dialogs.attach(nullptr);
    return 0;
}
