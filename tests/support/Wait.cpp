#include "Wait.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

namespace orvane::demo {

bool waitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() >= timeoutMs) return done();
        QTest::qWait(5);
    }
    return true;
}

void pause(int ms) {
    QTest::qWait(ms);
}

long residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return 0;
}

} // namespace orvane::demo
