// Calls: the hook, dialling, ringing, answering and hanging up.
#include "Phone.h"
#include "PhoneParts.h"

namespace orvane::sim {

namespace proto = orvane::proto;
using namespace phone;

void Phone::SetOffHook(bool on) {
    if (m_offHook == on) return;
    m_offHook = on;
    ToController(on ? proto::Write<proto::InKeyword::HookOn>()
                    : proto::Write<proto::InKeyword::HookOff>());
}

void Phone::GoOffHookToDial(std::string digits) {
    m_call = CallState::Dialing;
    m_dialBuffer = std::move(digits);
    m_dialUntilMs = Now() + kDialTimeoutMs;
    m_screen = Screen::Home;
    SetOffHook(true);
    PaintHome();
}

void Phone::PlaceCall(const std::string& rawNumber) {
    if (m_call == CallState::Ringback || m_call == CallState::Connected ||
        m_call == CallState::Incoming) {
        Note("dial ignored: line busy");
        ShowMessage("Line busy");
        return;
    }
    std::string number;
    for (char c : rawNumber)
        if (c != ' ') number += c;
    bool valid =
        !number.empty() && number.size() <= kMaxDialDigits &&
        std::all_of(number.begin(), number.end(), IsDialChar) &&
        std::any_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!valid) {
        Note("dial refused: invalid number " + EscapeForLog(rawNumber, 40));
        ShowMessage("Invalid number");
        return;
    }
    m_call = CallState::Ringback;
    m_callWasIncoming = false;
    m_callNumber = number;
    m_callName = NameForNumber(number);
    m_lastDialed = number;
    m_dialBuffer.clear();
    m_dtmf.clear();
    m_callWallStart = m_clock.WallTime();
    m_answerAtMs = Now() + m_config.answerAfterMs;
    m_screen = Screen::Home;
    Note("calling " + number);
    SetOffHook(true);
    PaintHome();
}

void Phone::Connect() {
    m_call = CallState::Connected;
    m_connectedMs = Now();
    m_nextTickMs = m_connectedMs + kCallTimerStepMs;
    m_muted = m_held = false;
    Note("connected with " + m_callNumber);
    if (m_screen == Screen::Home) PaintHome();
}

void Phone::Answer() {
    m_callWasIncoming = true;
    m_screen = Screen::Home;
    SetOffHook(true);
    Connect();
}

void Phone::HangUp() {
    CallState was = m_call;
    int seconds =
        was == CallState::Connected ? static_cast<int>((Now() - m_connectedMs) / 1000) : 0;
    if (was == CallState::Ringback || was == CallState::Connected) {
        RecordCall(m_callWasIncoming ? CallKind::Incoming : CallKind::Outgoing, m_callNumber,
                   m_callName, m_callWallStart, seconds);
        Note("call with " + m_callNumber + " ended after " + DurationText(seconds));
    }
    m_call = CallState::Idle;
    m_muted = m_held = false;
    m_dialBuffer.clear();
    m_dtmf.clear();
    m_screen = Screen::Home;
    SetOffHook(false);
    PaintHome();
    if (was == CallState::Ringback || was == CallState::Connected)
        ToController(proto::Write<proto::InKeyword::Disp>(1, "Call ended " +
                                                                 Clock(int64_t{seconds} * 1000)));
}

bool Phone::Ring(const std::string& rawNumber) {
    std::string number = CleanText(rawNumber);
    if (number.empty() || number.find(' ') != std::string::npos) {
        Note("ring refused: bad number");
        return false;
    }
    number = proto::Cut(number, kMaxDialDigits);
    if (m_call != CallState::Idle) {
        RecordCall(CallKind::Missed, number, NameForNumber(number), m_clock.WallTime(), 0);
        ++m_missed;
        Note("call from " + number + " missed: line busy");
        return false;
    }
    if (m_dnd) {
        RecordCall(CallKind::Missed, number, NameForNumber(number), m_clock.WallTime(), 0);
        ++m_missed;
        Note("call from " + number + " missed: do not disturb");
        if (m_screen == Screen::Home) PaintHome();
        return true;
    }
    m_call = CallState::Incoming;
    m_callNumber = number;
    m_callName = NameForNumber(number);
    m_callWallStart = m_clock.WallTime();
    m_ringUntilMs = Now() + m_config.ringTimeoutMs;
    m_screen = Screen::Home;
    Note("incoming call from " + number);
    PaintHome();
    return true;
}

void Phone::MissIncoming(const char* why) {
    RecordCall(CallKind::Missed, m_callNumber, m_callName, m_callWallStart, 0);
    ++m_missed;
    Note("call from " + m_callNumber + " " + why);
    m_call = CallState::Idle;
    m_screen = Screen::Home;
    PaintHome();
}

bool Phone::RemoteHangUp() {
    if (m_call == CallState::Incoming) {
        MissIncoming("missed: caller hung up");
        return true;
    }
    if (m_call == CallState::Ringback || m_call == CallState::Connected) {
        HangUp();
        return true;
    }
    Note("hang-up ignored: no call");
    return false;
}

std::string Phone::NameForNumber(const std::string& number) const {
    for (const auto* book : {&m_contacts, &m_privateContacts})
        for (const ContactRecord& c : *book)
            if (c.number == number) return c.name;
    return "Unknown";
}

void Phone::RecordCall(CallKind kind, const std::string& number, const std::string& name,
                       std::time_t when, int durationSec) {
    CallRecord rec{kind, proto::Cut(number, kCallNumberWidth), name, when, durationSec};
    m_calls.insert(m_calls.begin(), rec);
    if (static_cast<int>(m_calls.size()) > kMaxCalls) m_calls.resize(kMaxCalls);
    m_callCursor = -1;
}

} // namespace orvane::sim
