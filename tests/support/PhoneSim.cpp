#include "PhoneSim.h"

#include "Wait.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/wait.h>

namespace orvane::demo {

namespace {

QString escaped(QString value) {
    value.replace(QLatin1String("\\"), QLatin1String("\\\\"));
    value.replace(QLatin1String(","), QLatin1String("\\,"));
    return value;
}

} // namespace

QString SimPhone::option() const {
    QStringList parts{QStringLiteral("addr=") + address};
    if (!name.isEmpty()) parts << QStringLiteral("name=") + escaped(name);
    if (busy) parts << QStringLiteral("busy=1");
    if (!password.isEmpty()) parts << QStringLiteral("password=") + escaped(password);
    parts << QStringLiteral("contacts=%1").arg(contacts) << QStringLiteral("calls=%1").arg(calls);
    if (oldModel) parts << QStringLiteral("model=old");
    if (answerMs >= 0) parts << QStringLiteral("answer-ms=%1").arg(answerMs);
    if (!type.isEmpty()) parts << QStringLiteral("type=") + escaped(type);
    if (!id.isEmpty()) parts << QStringLiteral("id=") + escaped(id);
    return parts.join(QLatin1Char(','));
}

LogEntry ParseLogLine(const QString& line) {
    LogEntry e;
    const QStringList head = line.split(QLatin1Char(' '));
    if (head.size() < 3) return e;
    e.time = head[0];
    e.phone = head[1];
    e.kind = head[2];
    // TIME PHONE KIND REST; the datagram kinds put the peer first in REST.
    qsizetype restAt = e.time.size() + 1 + e.phone.size() + 1 + e.kind.size() + 1;
    QString rest = restAt <= line.size() ? line.mid(restAt) : QString();
    if (e.kind == QLatin1String("IN") || e.kind == QLatin1String("BCAST") ||
        e.kind == QLatin1String("OUT")) {
        const qsizetype blank = rest.indexOf(QLatin1Char(' '));
        e.peer = blank < 0 ? rest : rest.left(blank);
        e.text = blank < 0 ? QString() : rest.mid(blank + 1);
    } else {
        e.text = rest;
    }
    return e;
}

QByteArray LogEntry::bytes() const {
    const QByteArray in = text.toLatin1();
    QByteArray out;
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] != '\\' || i + 1 >= in.size()) {
            out += in[i];
            continue;
        }
        const char c = in[++i];
        switch (c) {
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case '0': out += '\0'; break;
        case 'x':
            if (i + 2 < in.size()) {
                out += static_cast<char>(in.mid(i + 1, 2).toInt(nullptr, 16));
                i += 2;
            }
            break;
        default: out += c; break;
        }
    }
    return out;
}

PhoneSim::PhoneSim() = default;

PhoneSim::~PhoneSim() {
    stop(2000);
}

QString PhoneSim::program() {
    const QString fromEnv = qEnvironmentVariable("ORVANE_PHONESIM");
    if (!fromEnv.isEmpty()) return fromEnv;
    // Beside this program (an installed tour), or in the build tree next to it.
    const QString here = QCoreApplication::applicationDirPath();
    for (const QString& candidate :
         {here + QStringLiteral("/orvane-phonesim"),
          here + QStringLiteral("/../phonesim/orvane-phonesim"),
          here + QStringLiteral("/../../src/phonesim/orvane-phonesim")}) {
        if (QFileInfo(candidate).isExecutable()) return QDir::cleanPath(candidate);
    }
    return QStringLiteral(ORVANE_PHONESIM_EXE);
}

bool PhoneSim::start(const std::vector<SimPhone>& phones, const QString& logPath,
                     const QStringList& extraArgs, int timeoutMs) {
    if (running()) {
        m_error = QStringLiteral("already running");
        return false;
    }
    m_readOffset = 0;
    m_partial.clear();
    m_entries.clear();

    std::vector<std::string> args;
    for (const SimPhone& phone : phones) {
        args.emplace_back("--phone");
        args.push_back(phone.option().toStdString());
    }
    for (const QString& arg : extraArgs)
        args.push_back(arg.toStdString());
    if (!m_process.Start(program().toStdString(), args, true, logPath.toStdString())) {
        m_error = QString::fromStdString(m_process.Error());
        return false;
    }
    m_logPath = QString::fromStdString(m_process.LogPath());
    const bool ready = waitUntil(
        [this] {
            if (!m_process.Running()) return true;
            for (const LogEntry& e : entries())
                if (e.kind == QLatin1String("READY")) return true;
            return false;
        },
        timeoutMs);
    if (!m_process.Running() || !ready) {
        const int status = m_process.ExitStatus();
        m_error = QStringLiteral("the phones did not come up (exit code %1); log:\n%2")
                      .arg(status >= 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1)
                      .arg(logText());
        stop(500);
        return false;
    }
    return true;
}

bool PhoneSim::running() {
    return m_process.Running();
}

bool PhoneSim::stop(int timeoutMs) {
    return m_process.Stop(timeoutMs);
}

void PhoneSim::control(const QString& line) {
    if (!running()) return;
    m_process.Control(line.toLatin1().toStdString());
}

const std::vector<LogEntry>& PhoneSim::entries() {
    QFile file(m_logPath);
    if (!file.open(QIODevice::ReadOnly)) return m_entries;
    if (file.size() < m_readOffset) { // a new log
        m_readOffset = 0;
        m_partial.clear();
        m_entries.clear();
    }
    file.seek(m_readOffset);
    const QByteArray more = file.readAll();
    m_readOffset += more.size();
    m_partial += more;
    // Only whole lines: the phone may be writing the last one.
    qsizetype start = 0;
    for (qsizetype nl = m_partial.indexOf('\n'); nl >= 0; nl = m_partial.indexOf('\n', start)) {
        const QString line = QString::fromLatin1(m_partial.constData() + start, nl - start);
        LogEntry e = ParseLogLine(line);
        if (!e.kind.isEmpty()) m_entries.push_back(std::move(e));
        start = nl + 1;
    }
    m_partial.remove(0, start);
    return m_entries;
}

QStringList PhoneSim::received(const QString& phone) {
    QStringList texts;
    for (const LogEntry& e : entries())
        if (e.fromDialer() && (phone.isEmpty() || e.phone == phone)) texts << e.text;
    return texts;
}

QStringList PhoneSim::sent(const QString& phone) {
    QStringList texts;
    for (const LogEntry& e : entries())
        if (e.toDialer() && (phone.isEmpty() || e.phone == phone)) texts << e.text;
    return texts;
}

int PhoneSim::count(const QString& kind, const QString& prefix, const QString& phone) {
    int n = 0;
    for (const LogEntry& e : entries())
        if (e.kind == kind && (phone.isEmpty() || e.phone == phone) && e.text.startsWith(prefix))
            ++n;
    return n;
}

bool PhoneSim::waitFor(const QString& kind, const QString& prefix, int times, int timeoutMs,
                       const QString& phone) {
    return waitUntil([&] { return count(kind, prefix, phone) >= times; }, timeoutMs);
}

bool PhoneSim::waitForText(const QString& needle, int timeoutMs) {
    return waitUntil(
        [&] {
            for (const LogEntry& e : entries())
                if (e.text.contains(needle)) return true;
            return false;
        },
        timeoutMs);
}

QString PhoneSim::logText() {
    QFile file(m_logPath);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromLatin1(file.readAll());
}

} // namespace orvane::demo
