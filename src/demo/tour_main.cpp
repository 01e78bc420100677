// orvane-tour: the dialer shown off with three emulated phones, inside scripts/sealed-net.
//
//   orvane-tour [--out DIR]
//       the scripted tour on whatever platform Qt has (offscreen for run-dialer.sh): a
//       picture after every step in DIR (default out/tour), the datagram trace, exit 0
//       only when every step showed what it should;
//   orvane-tour --run-with-phones [--log FILE] PROGRAM [ARG...]
//       starts the tour's phones, runs PROGRAM (the dialer, for a user) and stops the
//       phones when it ends; exits with PROGRAM's status.
#include "DialerWindow.h"
#include "PhoneSim.h"
#include "SealedNet.h"
#include "Tour.h"

#include <QApplication>
#include <QCoreApplication>
#include <QProcess>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// The offscreen platform's notes about what it cannot do are no news in a tour's output.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("This plugin does not support")) ||
        message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

int usage() {
    std::fputs("usage: orvane-tour [--out DIR]\n"
               "       orvane-tour --run-with-phones [--log FILE] PROGRAM [ARG...]\n",
               stderr);
    return 2;
}

int runWithPhones(int argc, char** argv, int first) {
    QCoreApplication app(argc, argv);
    QString log = QStringLiteral("out/phones.log");
    if (first + 1 < argc && std::strcmp(argv[first], "--log") == 0) {
        log = QString::fromLocal8Bit(argv[first + 1]);
        first += 2;
    }
    if (first >= argc) return usage();
    orvane::demo::PhoneSim phones;
    if (!phones.start(orvane::demo::DemoPhones(), log)) {
        std::fprintf(stderr, "orvane-tour: %s\n", qPrintable(phones.error()));
        return 1;
    }
    std::fprintf(stdout,
                 "orvane-tour: phones Front Desk (10.77.0.11), Lobby (10.77.0.12, busy) and "
                 "Sales Office (10.77.0.13, password %s) are up; their log: %s\n",
                 qPrintable(orvane::demo::DemoPassword()), qPrintable(log));
    std::fflush(stdout);
    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.setInputChannelMode(QProcess::ForwardedInputChannel);
    QStringList args;
    for (int i = first + 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    program.start(QString::fromLocal8Bit(argv[first]), args);
    if (!program.waitForStarted(10000)) {
        std::fprintf(stderr, "orvane-tour: cannot start %s: %s\n", argv[first],
                     qPrintable(program.errorString()));
        return 1;
    }
    program.waitForFinished(-1);
    phones.stop();
    return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (!orvane::demo::InsideSealedNet()) {
        std::fputs("orvane-tour: the dialer broadcasts, so this runs only inside the sealed "
                   "network namespace: scripts/sealed-net orvane-tour ...\n",
                   stderr);
        return 2;
    }
    QString out = QStringLiteral("out/tour");
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--run-with-phones") == 0) return runWithPhones(argc, argv, i + 1);
        if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc) {
            out = QString::fromLocal8Bit(argv[++i]);
        } else {
            return usage();
        }
    }
    qInstallMessageHandler(quietHandler);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orvane-tour"));
    DialerWindow::prepareApplication();
    return orvane::demo::RunTour(out);
}
