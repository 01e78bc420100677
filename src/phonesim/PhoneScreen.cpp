// The screen: display lines, soft keys, icons, the volume bar and messages.
#include "Phone.h"
#include "PhoneParts.h"

namespace orvane::sim {

namespace proto = orvane::proto;
using namespace phone;

const std::vector<ContactRecord>& Phone::Book() const {
    return m_usePrivate ? m_privateContacts : m_contacts;
}

void Phone::PaintScreen() {
    switch (m_screen) {
    case Screen::Home: PaintHome(); break;
    case Screen::Phonebook: SendPhonebook(); break;
    case Screen::CallLog: SendCallLog(); break;
    case Screen::Menu: SendMenu(); break;
    case Screen::Editor: ToController(m_editorNew ? "ADD:" : "MOD:"); break;
    case Screen::Volume: SendVolume(); break;
    case Screen::Info:
        m_screen = Screen::Menu;
        SendMenu();
        break;
    }
}

bool Phone::ShowsIdleClock() const {
    return m_controller && m_screen == Screen::Home && m_call == CallState::Idle && m_missed == 0;
}

std::string Phone::IdleLine() const {
    if (m_missed > 0)
        return std::to_string(m_missed) + (m_missed == 1 ? " missed call" : " missed calls");
    std::time_t t = m_clock.WallTime();
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%a %d %b %H:%M", &tm);
    return buf;
}

void Phone::PaintHome() {
    if (!m_controller) return;
    ToController(proto::Write<proto::InKeyword::ShowDialpad>());
    switch (m_call) {
    case CallState::Idle:
        ToController(proto::Write<proto::InKeyword::Clr>(proto::Clear::SmallIcons));
        ToController(proto::Write<proto::InKeyword::Icon>(proto::IconCode::Registered, 0));
        ToController(proto::Write<proto::InKeyword::Icon>(proto::IconCode::HdOn, 0));
        if (m_dnd) ToController(proto::Write<proto::InKeyword::Icon>(proto::IconCode::DndOn, 0));
        ToController(proto::Write<proto::InKeyword::Icon>(m_dnd          ? proto::IconCode::DndSign
                                                          : m_missed > 0 ? proto::IconCode::Missed
                                                                         : proto::IconCode::Idle,
                                                          0));
        ToController(proto::Write<proto::InKeyword::Disp>(0, m_config.name));
        m_shownIdleLine = IdleLine();
        ToController(proto::Write<proto::InKeyword::Disp>(1, m_shownIdleLine));
        ToController(
            proto::Write<proto::InKeyword::TextKey>(1, m_lastDialed.empty() ? "" : "Redial"));
        ToController(proto::Write<proto::InKeyword::TextKey>(2, m_dnd ? "DND off" : "DND"));
        ToController(proto::Write<proto::InKeyword::TextKey>(3, "Menu"));
        ToController(proto::Write<proto::InKeyword::ShowMute>(false));
        break;
    case CallState::Dialing:
        ToController(proto::Write<proto::InKeyword::Icon>(proto::IconCode::Outgoing, 0));
        ToController(proto::Write<proto::InKeyword::Disp>(1, m_dialBuffer.empty() ? "Enter number"
                                                                                  : m_dialBuffer));
        ToController(proto::Write<proto::InKeyword::TextKey>(1, "Dial"));
        ToController(proto::Write<proto::InKeyword::TextKey>(2, "Delete"));
        ToController(proto::Write<proto::InKeyword::TextKey>(3, "Cancel"));
        ToController(proto::Write<proto::InKeyword::ShowMute>(false));
        break;
    case CallState::Ringback:
        ToController(proto::Write<proto::InKeyword::Icon>(proto::IconCode::Outgoing, 0));
        ToController(proto::Write<proto::InKeyword::Disp>(
            7, "Calling\n" + (m_callName == "Unknown" ? m_callNumber : m_callName) + "\n" +
                   m_callNumber));
        ToController(proto::Write<proto::InKeyword::TextKey>(1, ""));
        ToController(proto::Write<proto::InKeyword::TextKey>(2, ""));
        ToController(proto::Write<proto::InKeyword::TextKey>(3, "End"));
        ToController(proto::Write<proto::InKeyword::ShowMute>(true));
        break;
    case CallState::Connected:
        ToController(proto::Write<proto::InKeyword::Icon>(m_held    ? proto::IconCode::Hold
                                                          : m_muted ? proto::IconCode::Muted
                                                                    : proto::IconCode::Connected,
                                                          0));
        ToController(proto::Write<proto::InKeyword::Disp>(
            7, std::string(m_held    ? "On hold"
                           : m_muted ? "Muted"
                                     : "Connected") +
                   "\n" + (m_callName == "Unknown" ? m_callNumber : m_callName) + "\n" +
                   Clock(Now() - m_connectedMs)));
        ToController(proto::Write<proto::InKeyword::TextKey>(1, m_held ? "Resume" : "Hold"));
        ToController(proto::Write<proto::InKeyword::TextKey>(2, ""));
        ToController(proto::Write<proto::InKeyword::TextKey>(3, "End"));
        ToController(proto::Write<proto::InKeyword::ShowMute>(true));
        break;
    case CallState::Incoming:
        ToController(proto::Write<proto::InKeyword::Icon>(proto::IconCode::Incoming, 0));
        ToController(proto::Write<proto::InKeyword::Disp>(7, "Incoming call\n" + m_callName + "\n" +
                                                                 m_callNumber));
        ToController(proto::Write<proto::InKeyword::TextKey>(1, "Answer"));
        ToController(proto::Write<proto::InKeyword::TextKey>(2, ""));
        ToController(proto::Write<proto::InKeyword::TextKey>(3, "Reject"));
        ToController(proto::Write<proto::InKeyword::ShowMute>(false));
        break;
    }
}

void Phone::PaintCallTimer() {
    ToController(proto::Write<proto::InKeyword::Disp>(3, Clock(Now() - m_connectedMs)));
}

void Phone::SendVolume() {
    bool handset = m_call == CallState::Connected || m_call == CallState::Ringback;
    ToController(proto::Write<proto::InKeyword::Vol>(
        handset ? proto::VolDevice::Handset : proto::VolDevice::Ringer,
        handset ? m_handsetVolume : m_ringerVolume, handset ? "Handset volume" : "Ringer volume"));
}

void Phone::SendInfo(const std::string& block) {
    m_screen = Screen::Info;
    ToController(proto::Write<proto::InKeyword::HideList>());
    ToController(
        proto::Write<proto::InKeyword::Disp>(7, proto::Cut(block, proto::Width::BlockText)));
    ToController(proto::Write<proto::InKeyword::TextKey>(1, ""));
    ToController(proto::Write<proto::InKeyword::TextKey>(2, ""));
    ToController(proto::Write<proto::InKeyword::IconKey>(3, proto::KeyIcon::Back));
}

void Phone::ShowMessage(const std::string& text) {
    ToController(proto::Write<proto::InKeyword::Disp>(0, text));
}

std::string Phone::StatusLine() const {
    static const char* const kCall[] = {"idle", "dialing", "ringback", "connected", "incoming"};
    static const char* const kScreen[] = {"home",   "phonebook", "calllog", "menu",
                                          "editor", "volume",    "info"};
    std::string s =
        "name=\"" + m_config.name + "\" call=" + kCall[static_cast<int>(m_call)] +
        " screen=" + kScreen[static_cast<int>(m_screen)] + " hook=" + (m_offHook ? "off" : "on") +
        " controller=" + (m_controller ? m_controller->endpoint.ToString() : "none") +
        " busy=" + (m_heldByAbsent ? "1" : "0") + " contacts=" + std::to_string(m_contacts.size()) +
        " private=" + std::to_string(m_privateContacts.size()) + (m_usePrivate ? "(in use)" : "") +
        " calls=" + std::to_string(m_calls.size()) + " ringer=" + std::to_string(m_ringerVolume) +
        " handset=" + std::to_string(m_handsetVolume);
    return s;
}

} // namespace orvane::sim
