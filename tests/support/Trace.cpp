#include "Trace.h"

#include "Protocol.h"

#include <QSet>

namespace orvane::demo {

QString KeywordOf(const QString& text, bool fromDialer) {
    const std::string bytes = text.toStdString();
    const char* keyword = fromDialer ? proto::CommandName(proto::RecognizeOutgoing(bytes))
                                     : proto::KeywordText(proto::RecognizeIncoming(bytes));
    return *keyword != '\0' ? QString::fromLatin1(keyword) : QStringLiteral("(other)");
}

int TraceCounts::totalToPhones() const {
    int n = 0;
    for (const auto& [keyword, count] : toPhones)
        n += count;
    return n;
}

int TraceCounts::totalToDialer() const {
    int n = 0;
    for (const auto& [keyword, count] : toDialer)
        n += count;
    return n;
}

TraceCounts CountTrace(const std::vector<LogEntry>& entries) {
    TraceCounts counts;
    // One broadcast is logged by every phone of the process, one line after the other.
    QString lastBroadcast;
    QSet<QString> phonesOfLast;
    for (const LogEntry& e : entries) {
        if (e.kind == QLatin1String("BCAST")) {
            const QString key = e.peer + QLatin1Char(' ') + e.text;
            if (key == lastBroadcast && !phonesOfLast.contains(e.phone)) {
                phonesOfLast.insert(e.phone);
                continue;
            }
            lastBroadcast = key;
            phonesOfLast = {e.phone};
            ++counts.broadcasts;
            ++counts.toPhones[KeywordOf(e.text, true)];
            continue;
        }
        if (e.kind == QLatin1String("IN")) {
            ++counts.toPhones[KeywordOf(e.text, true)];
        } else if (e.kind == QLatin1String("OUT")) {
            ++counts.toDialer[KeywordOf(e.text, false)];
        } else {
            continue;
        }
        lastBroadcast.clear();
    }
    return counts;
}

QString FormatTrace(const TraceCounts& counts) {
    std::map<QString, std::pair<int, int>> rows;
    for (const auto& [keyword, count] : counts.toPhones)
        rows[keyword].first = count;
    for (const auto& [keyword, count] : counts.toDialer)
        rows[keyword].second = count;
    QString out = QStringLiteral("  %1 %2 %3\n")
                      .arg(QStringLiteral("keyword"), -18)
                      .arg(QStringLiteral("dialer->phone"), 14)
                      .arg(QStringLiteral("phone->dialer"), 14);
    for (const auto& [keyword, pair] : rows)
        out += QStringLiteral("  %1 %2 %3\n")
                   .arg(keyword, -18)
                   .arg(pair.first, 14)
                   .arg(pair.second, 14);
    out += QStringLiteral("  %1 %2 %3\n")
               .arg(QStringLiteral("total"), -18)
               .arg(counts.totalToPhones(), 14)
               .arg(counts.totalToDialer(), 14);
    out += QStringLiteral("  (%1 of the dialer's datagrams went to the broadcast address)\n")
               .arg(counts.broadcasts);
    return out;
}

} // namespace orvane::demo
