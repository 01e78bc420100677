#include "CDropTrace.h"

namespace orvane {

namespace {

// "4 more datagrams", "1 datagram".
std::string Datagrams(long n, const char* more = "") {
    return std::to_string(n) + more + (n == 1 ? " datagram" : " datagrams");
}

} // namespace

CDropTrace::CDropTrace(Platform& platform, TimerHost& timers, int timerId)
    : m_platform(platform), m_timers(timers), m_timerId(timerId) {}

void CDropTrace::Line(const std::string& text) {
    m_platform.StdErr("orvane-dialer: " + text + "\n");
}

void CDropTrace::Dropped(std::string_view sender) {
    if (!m_bTimerRunning) {
        m_timers.SetTimer(m_timerId, kPeriodMs);
        m_bTimerRunning = true;
    }
    Sender* known = nullptr;
    for (Sender& s : m_senders)
        if (s.addr == sender) known = &s;
    if (known == nullptr) {
        if (m_senders.size() >= kMaxSenders) {
            ++m_nOthers;
            return;
        }
        m_senders.push_back(Sender{std::string(sender), 0, false});
        known = &m_senders.back();
    }
    if (!known->announced && m_nLines < kMaxLinesPerMinute) {
        known->announced = true;
        ++m_nLines;
        Line("ignored a datagram from " + known->addr +
             ", which is not the phone in use or sent what was not asked; further ones are "
             "counted");
        return;
    }
    ++known->pending;
}

void CDropTrace::OnMinute() {
    m_nLines = 0;
    bool wrote = false;
    for (Sender& s : m_senders) {
        if (s.pending == 0) continue;
        if (m_nLines < kMaxLinesPerMinute) {
            Line("ignored " + Datagrams(s.pending, s.announced ? " more" : "") + " from " + s.addr +
                 " in the last minute");
            s.announced = true;
            ++m_nLines;
            wrote = true;
        } else {
            m_nOthers += s.pending;
        }
        s.pending = 0;
    }
    if (m_nOthers > 0) {
        Line("ignored " + Datagrams(m_nOthers) + " from other senders in the last minute");
        m_nOthers = 0;
        wrote = true;
    }
    m_nLines = 0;
    // A quiet minute ends the reports until the next drop.
    if (!wrote) {
        m_timers.KillTimer(m_timerId);
        m_bTimerRunning = false;
    }
}

} // namespace orvane
