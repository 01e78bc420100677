// The dialer started as the program starts it (CDialerApp, as src/qt/main.cpp does, with
// the one-dialer claim), ending after its first paint: the start-up benchmark's measured
// side. Its dialog's search timer never fires before the first paint; scripts/bench.sh
// runs it inside scripts/sealed-net anyway.
#include "CDialerApp.h"
#include "FaceIds.h"
#include "FirstPaint.h"
#include "SingleInstance.h"
#include "Skin.h"

#include <QApplication>
#include <cstdio>
#include <sys/resource.h>

namespace {
long MinorFaults() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// With BENCH_PHASES set, where the start-up time, memory and page faults go (to standard
// error): name, monotonic nanoseconds, peak kB, minor faults so far.
void Phase(const char* name) {
    static const bool on = qEnvironmentVariableIsSet("BENCH_PHASES");
    if (on)
        std::fprintf(stderr, "phase %s %lld %ld %ld\n", name,
                     static_cast<long long>(bench::NowNs()), bench::StatusKb("VmHWM"),
                     MinorFaults());
}
} // namespace

int main(int argc, char* argv[]) {
    Phase("main");
    QApplication app(argc, argv);
    Phase("application");
    QApplication::setApplicationName(QStringLiteral("orvane-dialer"));
    QApplication::setApplicationDisplayName(QString::fromUtf8(orvane::kWindowTitle));
    QApplication::setWindowIcon(orvane::skin::Icon(orvane::Ico::App));
    DialerWindow::prepareApplication();
    Phase("icon");

    // One dialer per session: the claim, as the program makes it.
    SingleInstance instance;
    instance.claim(QString());
    Phase("session");

    CDialerApp dialer({qEnvironmentVariable("XDG_RUNTIME_DIR"), nullptr,
                       (qEnvironmentVariable("XDG_RUNTIME_DIR") +
                        QStringLiteral("/bench-recent-numbers"))
                           .toStdString()});
    Phase("window");
    FirstPaintReport report(dialer.window());

    dialer.init("PrivateContacts.txt");
    Phase("init");
    dialer.exec();
    return 1; // the report ends the program; getting here means it never painted
}
