// orvane-dialer: reads its options, builds the one dialog (CDialerApp) and runs its window
// modally; the program ends when the window closes.
#include "CDialerApp.h"
#include "CommandLine.h"
#include "FaceIds.h"
#include "Skin.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTimer>
#include <cstdio>

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

} // namespace

int main(int argc, char* argv[]) {
    // --help and --version answer before Qt starts, so they work without a display too.
    QStringList raw;
    for (int i = 1; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    const CommandLine early = ParseCommandLine(raw);
    if (early.action == CommandLine::Action::Help) {
        std::fputs(qPrintable(CommandLineHelp()), stdout);
        return 0;
    }
    if (early.action == CommandLine::Action::Version) {
        std::fputs(qPrintable(CommandLineVersion()), stdout);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orvane-dialer"));
    // No application display name: on X11 Qt would append it to every window's title, the
    // boxes' captions included.
    QApplication::setWindowIcon(orvane::skin::Icon(orvane::Ico::App));
    DialerWindow::prepareApplication();

    // Qt has taken its own options (-platform, -style, ...) out by now.
    const CommandLine line = ParseCommandLine(QApplication::arguments().mid(1));
    if (line.action == CommandLine::Action::Error) {
        std::fprintf(stderr, "orvane-dialer: %s (see orvane-dialer --help)\n",
                     qPrintable(line.error));
        return 2;
    }
    const DialerOptions& options = line.options;

    // The settings live in the per-login runtime directory, which goes at log-out.
    CDialerApp dialer({qEnvironmentVariable("XDG_RUNTIME_DIR"), nullptr});
    orvane::CDialerDlg& dialog = dialer.dialog();
    DialerWindow& window = dialer.window();

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
    if (!options.connectAddress.isEmpty() && dialog.m_nPrivateController != 0)
        std::fprintf(stderr,
                     "orvane-dialer: attached as private controller to %s; --connect %s is "
                     "not used (Devices > Release Private attached Device ends it)\n",
                     dialog.Socket().DeviceAddr().c_str(), qPrintable(options.connectAddress));
    dialer.exec();
    return 0;
}
