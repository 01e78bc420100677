// A short, bounded trace on standard error of the datagrams the dialer drops because
// they do not come from the phone it talks to, so a user can see that something on the
// network is trying. The first dropped datagram of each sender gets a line at once; later
// ones are counted and reported once a minute. Lines and remembered senders are bounded,
// so a flood from many (forged) addresses cannot flood the terminal or the memory.
#pragma once

#include "ports.h"

#include <string>
#include <string_view>
#include <vector>

namespace orvane {

class CDropTrace {
  public:
    CDropTrace(Platform& platform, TimerHost& timers, int timerId);

    // One datagram from `sender` was dropped.
    void Dropped(std::string_view sender);
    // The minute timer expired: report the counts since the last report.
    void OnMinute();

    static constexpr std::size_t kMaxSenders = 64; // senders remembered by address
    static constexpr int kMaxLinesPerMinute = 8;   // sender lines; the rest are summed
    static constexpr unsigned kPeriodMs = 60000;

  private:
    struct Sender {
        std::string addr;
        long pending = 0; // dropped since its last line
        bool announced = false;
    };
    void Line(const std::string& text);

    Platform& m_platform;
    TimerHost& m_timers;
    int m_timerId;
    bool m_bTimerRunning = false;
    int m_nLines = 0; // sender lines written in this minute
    long m_nOthers = 0;
    std::vector<Sender> m_senders;
};

} // namespace orvane
