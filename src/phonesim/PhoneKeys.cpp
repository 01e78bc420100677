// The keys the controller presses: digits, soft keys, send and end, the volume.
#include "Phone.h"
#include "PhoneParts.h"

namespace orvane::sim {

namespace proto = orvane::proto;
using namespace phone;

void Phone::OnKey(int code) {
    namespace KC = proto::KeyCode;
    if (m_screen == Screen::Volume && code != KC::VolUp && code != KC::VolDown) {
        m_screen = m_volumeReturn;
        if (code == KC::F3) {
            PaintScreen();
            return;
        }
    }
    if (code >= 0 && code <= 11) {
        OnDigit(code == 10 ? '*' : code == 11 ? '#' : static_cast<char>('0' + code));
        return;
    }
    switch (code) {
    case KC::F1: OnSoftKey(1); break;
    case KC::F2: OnSoftKey(2); break;
    case KC::F3: OnSoftKey(3); break;
    case KC::Menu:
        m_screen = Screen::Menu;
        SendMenu();
        break;
    case KC::Mute:
        if (m_call != CallState::Connected) {
            Note("MUTE ignored: no call");
            break;
        }
        m_muted = !m_muted;
        if (m_screen == Screen::Home) PaintHome();
        break;
    case KC::VolUp: ChangeVolume(10, false); break;
    case KC::VolDown: ChangeVolume(-10, false); break;
    case KC::Send: OnSend(); break;
    case KC::End: OnEnd(); break;
    case KC::Contacts:
        m_screen = Screen::Phonebook;
        SendPhonebook();
        break;
    case KC::CallLogs:
        m_screen = Screen::CallLog;
        m_missed = 0;
        SendCallLog();
        break;
    case KC::Dialpad:
        m_screen = Screen::Home;
        PaintHome();
        break;
    default: Note("ignored: unknown key " + std::to_string(code)); break;
    }
}

void Phone::OnDigit(char digit) {
    switch (m_call) {
    case CallState::Ringback:
    case CallState::Incoming: Note(std::string("key ") + digit + " ignored while ringing"); return;
    case CallState::Connected:
        m_dtmf += digit;
        if (m_dtmf.size() > 16) m_dtmf.erase(0, m_dtmf.size() - 16);
        m_screen = Screen::Home;
        ToController(proto::Write<proto::InKeyword::Disp>(1, "DTMF " + m_dtmf));
        return;
    case CallState::Dialing:
        if (m_dialBuffer.size() < kMaxDialDigits) m_dialBuffer += digit;
        if (m_screen != Screen::Home) {
            m_screen = Screen::Home;
            PaintHome();
        } else {
            ToController(proto::Write<proto::InKeyword::Disp>(1, m_dialBuffer));
        }
        return;
    case CallState::Idle: GoOffHookToDial(std::string(1, digit)); return;
    }
}

void Phone::OnSoftKey(int slot) {
    switch (m_screen) {
    case Screen::Home:
        switch (m_call) {
        case CallState::Idle:
            if (slot == 1 && !m_lastDialed.empty()) PlaceCall(m_lastDialed);
            if (slot == 2) {
                m_dnd = !m_dnd;
                Note(m_dnd ? "do not disturb on" : "do not disturb off");
                PaintHome();
            }
            if (slot == 3) {
                m_screen = Screen::Menu;
                SendMenu();
            }
            break;
        case CallState::Dialing:
            if (slot == 1) {
                if (m_dialBuffer.empty())
                    ToController(proto::Write<proto::InKeyword::Disp>(1, "Enter number"));
                else
                    PlaceCall(m_dialBuffer);
            } else if (slot == 2 && !m_dialBuffer.empty()) {
                m_dialBuffer.pop_back();
                ToController(proto::Write<proto::InKeyword::Disp>(
                    1, m_dialBuffer.empty() ? "Enter number" : m_dialBuffer));
            } else if (slot == 3) {
                HangUp();
            }
            break;
        case CallState::Ringback:
            if (slot == 3) HangUp();
            break;
        case CallState::Connected:
            if (slot == 1) {
                m_held = !m_held;
                PaintHome();
            } else if (slot == 3) {
                HangUp();
            }
            break;
        case CallState::Incoming:
            if (slot == 1) Answer();
            if (slot == 3) MissIncoming("rejected");
            break;
        }
        break;
    case Screen::Phonebook:
        if (slot == 1 && !m_usePrivate) {
            bool isNew = m_bookCursor < 0;
            m_editorNew = isNew;
            m_screen = Screen::Editor;
            ToController(isNew ? "ADD:" : "MOD:");
        } else if (slot == 1 && m_bookCursor >= 0) {
            PlaceCall(Book()[static_cast<std::size_t>(m_bookCursor)].number);
        } else if (slot == 2 && !m_usePrivate) {
            DeleteSelected();
        } else if (slot == 3) {
            m_screen = Screen::Home;
            PaintHome();
        }
        break;
    case Screen::CallLog:
        if (slot == 1 && m_callCursor >= 0) {
            PlaceCall(m_calls[static_cast<std::size_t>(m_callCursor)].number);
        } else if (slot == 2) {
            DeleteSelected();
        } else if (slot == 3) {
            m_screen = Screen::Home;
            PaintHome();
        }
        break;
    case Screen::Menu:
        if (slot == 1) OpenMenuItem(m_menuCursor);
        if (slot == 3) {
            m_screen = Screen::Home;
            PaintHome();
        }
        break;
    case Screen::Editor:
        if (slot == 3) {
            m_screen = Screen::Phonebook;
            SendPhonebook();
        }
        break;
    case Screen::Info:
        if (slot == 3) {
            m_screen = Screen::Menu;
            SendMenu();
        }
        break;
    case Screen::Volume: break;
    }
}

void Phone::OnSend() {
    switch (m_screen) {
    case Screen::Phonebook:
        if (m_bookCursor >= 0) PlaceCall(Book()[static_cast<std::size_t>(m_bookCursor)].number);
        return;
    case Screen::CallLog:
        if (m_callCursor >= 0) PlaceCall(m_calls[static_cast<std::size_t>(m_callCursor)].number);
        return;
    case Screen::Menu: OpenMenuItem(m_menuCursor); return;
    default: break;
    }
    switch (m_call) {
    case CallState::Idle: GoOffHookToDial(std::string()); break;
    case CallState::Dialing:
        if (!m_dialBuffer.empty())
            PlaceCall(m_dialBuffer);
        else if (!m_lastDialed.empty())
            PlaceCall(m_lastDialed);
        break;
    case CallState::Incoming: Answer(); break;
    default: break;
    }
}

void Phone::OnEnd() {
    switch (m_call) {
    case CallState::Dialing:
    case CallState::Ringback:
    case CallState::Connected: HangUp(); return;
    case CallState::Incoming: MissIncoming("rejected"); return;
    case CallState::Idle: break;
    }
    m_screen = Screen::Home;
    PaintHome();
}

void Phone::ChangeVolume(int value, bool absolute) {
    bool handset = m_call == CallState::Connected || m_call == CallState::Ringback;
    int& volume = handset ? m_handsetVolume : m_ringerVolume;
    volume = std::clamp(absolute ? value : volume + value, 0, 100);
    if (m_screen != Screen::Volume) {
        // The volume screen goes back to where it came from; not to an editor or info page.
        m_volumeReturn = m_screen == Screen::Editor ? Screen::Phonebook
                         : m_screen == Screen::Info ? Screen::Menu
                                                    : m_screen;
        m_screen = Screen::Volume;
    }
    m_volumeUntilMs = Now() + kVolumeScreenMs;
    SendVolume();
}

} // namespace orvane::sim
