// The datagram trace of a run, from the emulated phones' log: how many datagrams of each
// keyword went each way.
#pragma once

#include "PhoneSim.h"

#include <QString>

#include <map>
#include <vector>

namespace orvane::demo {

// The keyword a datagram's text starts with ("DISP:", "HOOK: ON", "PBOOK: 2 upload"), or
// "(other)" for a text that starts with none.
QString KeywordOf(const QString& text, bool fromDialer);

struct TraceCounts {
    std::map<QString, int> toPhones; // by keyword, dialer -> phones
    std::map<QString, int> toDialer; // by keyword, phones -> dialer
    int broadcasts = 0;              // of toPhones, sent to the broadcast address
    int totalToPhones() const;
    int totalToDialer() const;
};

// Counts the datagrams of a log. A broadcast that several phones of one process logged
// counts once.
TraceCounts CountTrace(const std::vector<LogEntry>& entries);

// The counts as a small table, one keyword a line.
QString FormatTrace(const TraceCounts& counts);

} // namespace orvane::demo
