#include "Phone.h"

#include "Escape.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace orvane::sim {

namespace proto = orvane::proto;

namespace {

constexpr const char* kFirmware = "2.4.1";

enum MenuItem {
    kMenuName,
    kMenuDnd,
    kMenuRinger,
    kMenuAddContact,
    kMenuClearCalls,
    kMenuNetwork,
    kMenuAbout,
    kMenuCount
};

bool IsDialChar(char c) {
    return (c >= '0' && c <= '9') || c == '*' || c == '#' || c == '+';
}

bool SameMac(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Printable single-line text: control bytes become blanks, ends trimmed.
std::string CleanText(std::string_view s) {
    std::string out;
    for (char c : s) {
        auto u = static_cast<unsigned char>(c);
        out += (u < 0x20 || u == 0x7F) ? ' ' : c;
    }
    std::size_t b = out.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    std::size_t e = out.find_last_not_of(' ');
    return out.substr(b, e - b + 1);
}

// A text from a datagram as the log and the console's messages show it: escaped and short.
std::string Shown(const std::string& s) {
    return EscapeForLog(s, 40);
}

std::string BlanksToCarets(std::string s) {
    std::replace(s.begin(), s.end(), ' ', '^');
    return s;
}

std::string Clock(std::int64_t ms) {
    long long sec = ms / 1000;
    char buf[32];
    if (sec >= 3600)
        std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld", sec / 3600, sec / 60 % 60, sec % 60);
    else
        std::snprintf(buf, sizeof buf, "%02lld:%02lld", sec / 60, sec % 60);
    return buf;
}

} // namespace

std::string DefaultIdFor(std::string_view address) {
    std::string id = "A0";
    unsigned part = 0;
    char buf[4];
    for (std::size_t i = 0; i <= address.size(); ++i) {
        if (i == address.size() || address[i] == '.') {
            std::snprintf(buf, sizeof buf, "%02X", part & 0xFF);
            id += buf;
            part = 0;
        } else if (address[i] >= '0' && address[i] <= '9') {
            part = part * 10 + static_cast<unsigned>(address[i] - '0');
        }
    }
    return id;
}

std::uint32_t DefaultSeedFor(std::string_view address) {
    std::uint32_t h = 2166136261u; // FNV-1a
    for (char c : address) {
        h ^= static_cast<unsigned char>(c);
        h *= 16777619u;
    }
    return h;
}

Phone::Phone(PhoneConfig config, IPhoneOutput& out, const IClock& clock)
    : m_config(std::move(config)), m_out(out), m_clock(clock) {
    if (m_config.id.empty()) m_config.id = DefaultIdFor(m_config.address);
    if (m_config.seed == 0) m_config.seed = DefaultSeedFor(m_config.address);
    m_nStartMs = Now();
    m_bHeldByAbsent = m_config.busy;
    m_contacts = GenerateContacts(m_config.contacts, m_config.seed);
    m_calls = GenerateCalls(m_config.calls, m_config.seed, m_contacts, m_clock.WallTime());
}

void Phone::Start() {
    if (!m_config.ringNumber.empty()) Ring(m_config.ringNumber);
}

// ---------------------------------------------------------------------------------------
// Output.

void Phone::Send(const Endpoint& to, const std::string& text) {
    std::string bytes = text;
    bytes += '\0';
    m_out.SendDatagram(m_config.address, to, bytes);
}

void Phone::ToController(const std::string& text) {
    if (m_controller) Send(m_controller->endpoint, text);
}

void Phone::Note(const std::string& text) {
    m_out.Note(m_config.address, text);
    m_events.push_back(text);
    while (m_events.size() > kMaxEvents)
        m_events.pop_front();
}

bool Phone::SendBytes(const std::string& bytes, const std::optional<Endpoint>& to) {
    if (to) {
        m_out.SendDatagram(m_config.address, *to, bytes);
        return true;
    }
    if (!m_controller) {
        Note("nothing sent: no controller");
        return false;
    }
    m_out.SendDatagram(m_config.address, m_controller->endpoint, bytes);
    return true;
}

// ---------------------------------------------------------------------------------------
// Receiving.

void Phone::OnDatagram(const Endpoint& from, std::string_view bytes, bool broadcast) {
    ExpireController();
    if (bytes.size() > proto::kMaxReceiveLength) {
        Note("ignored: datagram of " + std::to_string(bytes.size()) + " bytes from " +
             from.ToString() + " is longer than " + std::to_string(proto::kMaxReceiveLength));
        return;
    }
    std::string_view text = bytes.substr(0, bytes.find('\0'));
    if (text.empty()) {
        Note("ignored: empty message from " + from.ToString());
        return;
    }
    if (broadcast) {
        if (proto::RecognizeOutgoing(text) != proto::OutKeyword::Discovery) {
            Note("ignored: broadcast other than discovery from " + from.ToString());
            return;
        }
    }
    HandleCommand(from, text);
}

void Phone::HandleCommand(const Endpoint& from, std::string_view text) {
    using K = proto::OutKeyword;
    const std::optional<proto::DialerCommand> read = proto::ReadDialerCommand(text);
    if (!read) {
        Note("ignored: not understood from " + from.ToString() + ": " + EscapeForLog(text, 80));
        return;
    }
    const proto::DialerCommand& cmd = *read;
    switch (cmd.kind) {
    case K::Discovery: AnswerDiscovery(from, cmd.mac); return;
    case K::Login: HandleLogin(from, cmd.mac, cmd.hasPassword, cmd.text); return;
    case K::Init:
        if (!m_config.oldModel) {
            Note("ignored: INIT: from " + from.ToString() + ", this model needs a login");
            return;
        }
        TakeControl(from, std::string());
        return;
    default: break;
    }

    if (!m_controller || m_controller->endpoint != from) {
        Note(std::string("ignored: ") + proto::CommandName(cmd.kind) + " from " + from.ToString() +
             ", which does not control this phone");
        return;
    }
    m_controller->lastHeardMs = Now();
    if (m_call == CallState::Dialing) m_nDialUntilMs = Now() + kDialTimeoutMs;

    switch (cmd.kind) {
    case K::Alive: break;
    case K::Stop:
        Note("released by " + from.ToString());
        m_controller.reset();
        m_privateContacts.clear();
        m_bUsePrivate = false;
        m_prompt = Prompt::None;
        if (m_screen != Screen::Home) m_screen = Screen::Home;
        break;
    case K::Key: OnKey(cmd.number); break;
    case K::Dial: PlaceCall(cmd.text); break;
    case K::Linux: RunConsole(cmd.text); break;
    case K::DispRequest:
        // The dialer has gone to its dial pad screen and asks for the display again.
        if (m_screen != Screen::Home) m_screen = Screen::Home;
        PaintHome();
        break;
    case K::Volume: ChangeVolume(cmd.number, true); break;
    case K::Select: Select(cmd.number); break;
    case K::Add: SaveContact(true, -1, cmd.contactNumber, cmd.contactName); break;
    case K::Mod: SaveContact(false, cmd.number, cmd.contactNumber, cmd.contactName); break;
    case K::PbookMode:
        if (cmd.number == 1 || cmd.number == 2)
            SwitchPrivate(cmd.number == 2);
        else
            Note("ignored: PBOOK: " + std::to_string(cmd.number));
        break;
    case K::PrivateUpload: StorePrivateUpload(cmd.upload); break;
    case K::InputReply: OnInputReply(cmd.number, cmd.text); break;
    default: break;
    }
}

// ---------------------------------------------------------------------------------------
// Discovery and control.

bool Phone::BusyFor(const std::string& mac, const Endpoint& from) const {
    if (m_bHeldByAbsent) return true;
    if (!m_controller) return false;
    if (!m_controller->mac.empty() && !mac.empty()) return !SameMac(m_controller->mac, mac);
    return m_controller->endpoint != from;
}

void Phone::AnswerDiscovery(const Endpoint& from, const std::string& mac) {
    proto::DiscoveryReply r;
    r.type = m_config.type;
    r.ip = m_config.address;
    r.id = m_config.id;
    r.name = m_config.name;
    r.busy = BusyFor(mac, from) ? 1 : 0;
    r.passwordRequired = m_config.password.empty() ? 0 : 1;
    r.initOnly = m_config.oldModel;
    Send(from, proto::Write<proto::InKeyword::Orvn>(r));
}

void Phone::HandleLogin(const Endpoint& from, const std::string& mac, bool withPassword,
                        const std::string& password) {
    if (m_config.oldModel) {
        Note("ignored: LOGIN: from " + from.ToString() + ", this model is started with INIT:");
        return;
    }
    if (mac.empty()) {
        Note("login refused: no controller identity from " + from.ToString());
        return;
    }
    if (withPassword) {
        if (!m_config.password.empty() && password != m_config.password) {
            Note("login refused: wrong password from " + Shown(mac) + " at " + from.ToString());
            Send(from, proto::Write<proto::InKeyword::Disp>(0, "Wrong password"));
            return;
        }
        m_strRememberedMac = mac;
    } else {
        bool isPrivate = (!m_config.privateMac.empty() && SameMac(mac, m_config.privateMac)) ||
                         (!m_strRememberedMac.empty() && SameMac(mac, m_strRememberedMac));
        if (!isPrivate) {
            Note("login refused: " + Shown(mac) + " at " + from.ToString() +
                 " is not the private controller");
            Send(from, proto::Write<proto::InKeyword::Disp>(0, "Not the private controller"));
            return;
        }
    }
    TakeControl(from, mac);
    if (m_controller) Send(from, proto::Write<proto::InKeyword::Login>(1));
    PaintScreen();
}

void Phone::TakeControl(const Endpoint& from, const std::string& mac) {
    bool sameController = m_controller && (mac.empty() ? m_controller->endpoint == from
                                                       : SameMac(m_controller->mac, mac));
    if (m_controller && !sameController) {
        Note("taken over from " + m_controller->endpoint.ToString() + " by " + from.ToString());
        Send(m_controller->endpoint, proto::Write<proto::InKeyword::Disp>(0, "Control taken over"));
    }
    if (!sameController) {
        // The private list and an open prompt belong to the controller that goes.
        m_privateContacts.clear();
        m_bUsePrivate = false;
        m_prompt = Prompt::None;
    }
    m_bHeldByAbsent = false;
    m_controller = Controller{mac, from, Now()};
    Note("controlled by " + (mac.empty() ? std::string("INIT:") : Shown(mac)) + " at " +
         from.ToString());
    m_screen = Screen::Home;
    if (mac.empty()) PaintScreen(); // the older model shows its screen at once
}

void Phone::ExpireController() {
    if (m_controller && Now() - m_controller->lastHeardMs >= kControllerTimeoutMs)
        DropController("silent for 180 s");
}

void Phone::DropController(std::string_view why) {
    if (!m_controller) return;
    Note("controller " + m_controller->endpoint.ToString() + " dropped: " + std::string(why));
    m_controller.reset();
    m_privateContacts.clear();
    m_bUsePrivate = false;
    m_prompt = Prompt::None;
    m_screen = Screen::Home;
}

void Phone::SetBusy(bool busy) {
    m_bHeldByAbsent = busy;
    if (busy) DropController("held by another controller");
}

std::optional<Endpoint> Phone::ControllerEndpoint() const {
    if (!m_controller) return std::nullopt;
    return m_controller->endpoint;
}

std::string Phone::ControllerMac() const {
    return m_controller ? m_controller->mac : std::string();
}

// ---------------------------------------------------------------------------------------
// Keys.

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
        m_bMuted = !m_bMuted;
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
        m_nMissed = 0;
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
        m_strDtmf += digit;
        if (m_strDtmf.size() > 16) m_strDtmf.erase(0, m_strDtmf.size() - 16);
        m_screen = Screen::Home;
        ToController(proto::Write<proto::InKeyword::Disp>(1, "DTMF " + m_strDtmf));
        return;
    case CallState::Dialing:
        if (m_strDialBuffer.size() < kMaxDialDigits) m_strDialBuffer += digit;
        if (m_screen != Screen::Home) {
            m_screen = Screen::Home;
            PaintHome();
        } else {
            ToController(proto::Write<proto::InKeyword::Disp>(1, m_strDialBuffer));
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
            if (slot == 1 && !m_strLastDialed.empty()) PlaceCall(m_strLastDialed);
            if (slot == 2) {
                m_bDnd = !m_bDnd;
                Note(m_bDnd ? "do not disturb on" : "do not disturb off");
                PaintHome();
            }
            if (slot == 3) {
                m_screen = Screen::Menu;
                SendMenu();
            }
            break;
        case CallState::Dialing:
            if (slot == 1) {
                if (m_strDialBuffer.empty())
                    ToController(proto::Write<proto::InKeyword::Disp>(1, "Enter number"));
                else
                    PlaceCall(m_strDialBuffer);
            } else if (slot == 2 && !m_strDialBuffer.empty()) {
                m_strDialBuffer.pop_back();
                ToController(proto::Write<proto::InKeyword::Disp>(
                    1, m_strDialBuffer.empty() ? "Enter number" : m_strDialBuffer));
            } else if (slot == 3) {
                HangUp();
            }
            break;
        case CallState::Ringback:
            if (slot == 3) HangUp();
            break;
        case CallState::Connected:
            if (slot == 1) {
                m_bHeld = !m_bHeld;
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
        if (slot == 1 && !m_bUsePrivate) {
            bool isNew = m_nBookCursor < 0;
            m_bEditorNew = isNew;
            m_screen = Screen::Editor;
            ToController(isNew ? "ADD:" : "MOD:");
        } else if (slot == 1 && m_nBookCursor >= 0) {
            PlaceCall(Book()[static_cast<std::size_t>(m_nBookCursor)].number);
        } else if (slot == 2 && !m_bUsePrivate) {
            DeleteSelected();
        } else if (slot == 3) {
            m_screen = Screen::Home;
            PaintHome();
        }
        break;
    case Screen::CallLog:
        if (slot == 1 && m_nCallCursor >= 0) {
            PlaceCall(m_calls[static_cast<std::size_t>(m_nCallCursor)].number);
        } else if (slot == 2) {
            DeleteSelected();
        } else if (slot == 3) {
            m_screen = Screen::Home;
            PaintHome();
        }
        break;
    case Screen::Menu:
        if (slot == 1) OpenMenuItem(m_nMenuCursor);
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
        if (m_nBookCursor >= 0) PlaceCall(Book()[static_cast<std::size_t>(m_nBookCursor)].number);
        return;
    case Screen::CallLog:
        if (m_nCallCursor >= 0) PlaceCall(m_calls[static_cast<std::size_t>(m_nCallCursor)].number);
        return;
    case Screen::Menu: OpenMenuItem(m_nMenuCursor); return;
    default: break;
    }
    switch (m_call) {
    case CallState::Idle: GoOffHookToDial(std::string()); break;
    case CallState::Dialing:
        if (!m_strDialBuffer.empty())
            PlaceCall(m_strDialBuffer);
        else if (!m_strLastDialed.empty())
            PlaceCall(m_strLastDialed);
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
    int& volume = handset ? m_nHandsetVolume : m_nRingerVolume;
    volume = std::clamp(absolute ? value : volume + value, 0, 100);
    if (m_screen != Screen::Volume) {
        // The volume screen goes back to where it came from; not to an editor or info page.
        m_volumeReturn = m_screen == Screen::Editor ? Screen::Phonebook
                         : m_screen == Screen::Info ? Screen::Menu
                                                    : m_screen;
        m_screen = Screen::Volume;
    }
    m_nVolumeUntilMs = Now() + kVolumeScreenMs;
    SendVolume();
}

void Phone::Select(int row) {
    int count = 0;
    int* cursor = nullptr;
    switch (m_screen) {
    case Screen::Phonebook:
    case Screen::Editor:
        count = static_cast<int>(Book().size());
        cursor = &m_nBookCursor;
        break;
    case Screen::CallLog:
        count = static_cast<int>(m_calls.size());
        cursor = &m_nCallCursor;
        break;
    case Screen::Menu:
        count = kMenuCount;
        cursor = &m_nMenuCursor;
        break;
    default: Note("ignored: SELECT: without a list on screen"); return;
    }
    if (row < 0 || row >= count) {
        Note("ignored: SELECT: " + std::to_string(row) + " outside the list of " +
             std::to_string(count));
        return;
    }
    *cursor = row;
    if (m_screen == Screen::Phonebook) SendPhonebookKeys();
    if (m_screen == Screen::CallLog) SendCallLogKeys();
}

void Phone::SaveContact(bool isNew, int row, const std::string& rawNumber,
                        const std::string& rawName) {
    auto refuse = [&](const std::string& why) {
        Note("contact not saved: " + why);
        ShowMessage(why);
    };
    if (m_bUsePrivate) {
        refuse("Private list is read-only");
        m_screen = Screen::Phonebook;
        SendPhonebook();
        return;
    }
    std::string number = CleanText(rawNumber);
    if (number.empty()) return refuse("Number missing");
    if (number.size() > kContactNumberWidth) return refuse("Number too long");
    if (!std::all_of(number.begin(), number.end(), IsDialChar)) return refuse("Invalid number");
    std::string name = CleanText(rawName);
    std::replace(name.begin(), name.end(), ';', ','); // ";" ends a list item on the wire
    name = CleanText(proto::Cut(name, kContactNameWidth));
    if (name.empty()) name = number;

    ContactRecord rec{number, name};
    if (isNew) {
        if (static_cast<int>(m_contacts.size()) >= kMaxContacts) return refuse("Phonebook full");
        m_contacts.push_back(rec);
    } else {
        if (row < 0 || row >= static_cast<int>(m_contacts.size())) return refuse("No such contact");
        m_contacts[static_cast<std::size_t>(row)] = rec;
    }
    std::stable_sort(m_contacts.begin(), m_contacts.end(), ContactLess);
    auto it = std::find_if(m_contacts.begin(), m_contacts.end(), [&](const ContactRecord& c) {
        return c.name == rec.name && c.number == rec.number;
    });
    m_nBookCursor = static_cast<int>(it - m_contacts.begin());
    Note(std::string(isNew ? "contact added: " : "contact changed: ") + name + " " + number);
    m_screen = Screen::Phonebook;
    SendPhonebook();
}

void Phone::DeleteSelected() {
    if (m_screen == Screen::Phonebook) {
        if (m_nBookCursor < 0 || m_nBookCursor >= static_cast<int>(m_contacts.size())) return;
        Note("contact deleted: " + m_contacts[static_cast<std::size_t>(m_nBookCursor)].name);
        m_contacts.erase(m_contacts.begin() + m_nBookCursor);
        m_nBookCursor = std::min(m_nBookCursor, static_cast<int>(m_contacts.size()) - 1);
        SendPhonebook();
    } else if (m_screen == Screen::CallLog) {
        if (m_nCallCursor < 0 || m_nCallCursor >= static_cast<int>(m_calls.size())) return;
        m_calls.erase(m_calls.begin() + m_nCallCursor);
        m_nCallCursor = std::min(m_nCallCursor, static_cast<int>(m_calls.size()) - 1);
        SendCallLog();
    }
}

void Phone::OpenMenuItem(int item) {
    switch (item) {
    case kMenuName: {
        proto::InputRequest req;
        req.prompt = "Phone name";
        req.firstCaption = "OK";
        req.secondCaption = "Cancel";
        req.initialText = m_config.name;
        m_prompt = Prompt::PhoneName;
        ToController(proto::Write<proto::InKeyword::Input>(req));
        break;
    }
    case kMenuDnd:
        m_bDnd = !m_bDnd;
        Note(m_bDnd ? "do not disturb on" : "do not disturb off");
        ToController(proto::Write<proto::InKeyword::Clr>(proto::Clear::SmallIcons));
        ToController(proto::Write<proto::InKeyword::Icon>(proto::IconCode::HdOn, 0));
        if (m_bDnd) ToController(proto::Write<proto::InKeyword::Icon>(proto::IconCode::DndOn, 0));
        SendMenu();
        break;
    case kMenuRinger:
        m_volumeReturn = Screen::Menu;
        m_screen = Screen::Volume;
        m_nVolumeUntilMs = Now() + kVolumeScreenMs;
        SendVolume();
        break;
    case kMenuAddContact:
        if (m_bUsePrivate) {
            ShowMessage("Private list is read-only");
            break;
        }
        m_bEditorNew = true;
        m_screen = Screen::Editor;
        ToController("ADD:");
        break;
    case kMenuClearCalls:
        m_calls.clear();
        m_nCallCursor = -1;
        m_nMissed = 0;
        Note("call log cleared");
        SendMenu();
        break;
    case kMenuNetwork:
        SendInfo("Address " + m_config.address + "\nID " + m_config.id + "\nPort 8888");
        break;
    case kMenuAbout: {
        std::int64_t up = (Now() - m_nStartMs) / 1000;
        SendInfo("Model " + m_config.type + "\nFirmware " + kFirmware + "\nUp " + Clock(up * 1000));
        break;
    }
    default: break;
    }
}

void Phone::OnInputReply(int button, const std::string& text) {
    if (m_prompt == Prompt::None) {
        Note("ignored: INPUT: without an open prompt");
        return;
    }
    m_prompt = Prompt::None;
    if (button != 1) {
        Note("prompt cancelled");
        if (m_screen == Screen::Menu) SendMenu();
        return;
    }
    std::string name = CleanText(proto::Cut(CleanText(text), proto::Width::DevName));
    if (name.empty()) {
        Note("phone name unchanged: empty");
        ShowMessage("Name unchanged");
        return;
    }
    m_config.name = name;
    Note("phone name set to " + name);
    m_screen = Screen::Home;
    PaintHome();
    ToController(proto::Write<proto::InKeyword::Disp>(1, "Name saved"));
}

void Phone::SwitchPrivate(bool on) {
    m_bUsePrivate = on;
    m_nBookCursor = -1;
    Note(on ? "using the controller's private contact list" : "using the own phonebook");
    if (on) ToController(proto::Write<proto::InKeyword::UpdatePcList>());
}

void Phone::StorePrivateUpload(const std::vector<proto::PbookItem>& items) {
    if (items.empty()) m_privateContacts.clear(); // the bare header: an empty list
    for (const proto::PbookItem& item : items) {
        std::size_t size = m_privateContacts.size();
        if (item.index == 1) {
            m_privateContacts.clear();
            size = 0;
        }
        ContactRecord rec{proto::Cut(item.number, kContactNumberWidth),
                          proto::Cut(item.name, kContactNameWidth)};
        if (item.index >= 1 && static_cast<std::size_t>(item.index) <= size) {
            m_privateContacts[static_cast<std::size_t>(item.index - 1)] = rec;
        } else if (static_cast<std::size_t>(item.index) == size + 1 &&
                   static_cast<int>(size) < kMaxContacts) {
            m_privateContacts.push_back(rec);
        } else {
            Note("private contact " + std::to_string(item.index) + " dropped: out of order");
        }
    }
    Note("private contacts: " + std::to_string(m_privateContacts.size()));
    if (m_bUsePrivate && m_screen == Screen::Phonebook) SendPhonebook();
}

void Phone::RunConsole(const std::string& line) {
    ConsoleContext ctx;
    ctx.hostname = m_config.name;
    ctx.address = m_config.address;
    ctx.id = m_config.id;
    ctx.model = m_config.type;
    ctx.uptimeSec = (Now() - m_nStartMs) / 1000;
    ctx.now = m_clock.WallTime();
    ctx.events.assign(m_events.begin(), m_events.end());
    Note("console: " + EscapeForLog(line, 80));
    std::string output = m_console.Run(line, ctx);

    ToController(proto::Write<proto::InKeyword::LinuxStart>());
    std::size_t pos = 0;
    while (pos < output.size()) {
        std::size_t len = std::min(kConsoleFragment, output.size() - pos);
        if (pos + len < output.size()) {
            // Prefer to break after a line end.
            std::size_t nl = output.rfind('\n', pos + len - 1);
            if (nl != std::string::npos && nl >= pos) len = nl - pos + 1;
        }
        ToController(proto::Write<proto::InKeyword::Linux>(output.substr(pos, len)));
        pos += len;
    }
    ToController(proto::Write<proto::InKeyword::LinuxEnd>());
}

// ---------------------------------------------------------------------------------------
// Calls.

void Phone::SetOffHook(bool on) {
    if (m_bOffHook == on) return;
    m_bOffHook = on;
    ToController(on ? proto::Write<proto::InKeyword::HookOn>()
                    : proto::Write<proto::InKeyword::HookOff>());
}

void Phone::GoOffHookToDial(std::string digits) {
    m_call = CallState::Dialing;
    m_strDialBuffer = std::move(digits);
    m_nDialUntilMs = Now() + kDialTimeoutMs;
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
    m_bCallWasIncoming = false;
    m_strCallNumber = number;
    m_strCallName = NameForNumber(number);
    m_strLastDialed = number;
    m_strDialBuffer.clear();
    m_strDtmf.clear();
    m_nCallWallStart = m_clock.WallTime();
    m_nAnswerAtMs = Now() + m_config.answerAfterMs;
    m_screen = Screen::Home;
    Note("calling " + number);
    SetOffHook(true);
    PaintHome();
}

void Phone::Connect() {
    m_call = CallState::Connected;
    m_nConnectedMs = Now();
    m_nNextTickMs = m_nConnectedMs + kCallTimerStepMs;
    m_bMuted = m_bHeld = false;
    Note("connected with " + m_strCallNumber);
    if (m_screen == Screen::Home) PaintHome();
}

void Phone::Answer() {
    m_bCallWasIncoming = true;
    m_screen = Screen::Home;
    SetOffHook(true);
    Connect();
}

void Phone::HangUp() {
    CallState was = m_call;
    int seconds =
        was == CallState::Connected ? static_cast<int>((Now() - m_nConnectedMs) / 1000) : 0;
    if (was == CallState::Ringback || was == CallState::Connected) {
        RecordCall(m_bCallWasIncoming ? CallKind::Incoming : CallKind::Outgoing, m_strCallNumber,
                   m_strCallName, m_nCallWallStart, seconds);
        Note("call with " + m_strCallNumber + " ended after " + DurationText(seconds));
    }
    m_call = CallState::Idle;
    m_bMuted = m_bHeld = false;
    m_strDialBuffer.clear();
    m_strDtmf.clear();
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
        ++m_nMissed;
        Note("call from " + number + " missed: line busy");
        return false;
    }
    if (m_bDnd) {
        RecordCall(CallKind::Missed, number, NameForNumber(number), m_clock.WallTime(), 0);
        ++m_nMissed;
        Note("call from " + number + " missed: do not disturb");
        if (m_screen == Screen::Home) PaintHome();
        return true;
    }
    m_call = CallState::Incoming;
    m_strCallNumber = number;
    m_strCallName = NameForNumber(number);
    m_nCallWallStart = m_clock.WallTime();
    m_nRingUntilMs = Now() + m_config.ringTimeoutMs;
    m_screen = Screen::Home;
    Note("incoming call from " + number);
    PaintHome();
    return true;
}

void Phone::MissIncoming(const char* why) {
    RecordCall(CallKind::Missed, m_strCallNumber, m_strCallName, m_nCallWallStart, 0);
    ++m_nMissed;
    Note("call from " + m_strCallNumber + " " + why);
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

void Phone::RecordCall(CallKind kind, const std::string& number, const std::string& name,
                       std::time_t when, int durationSec) {
    CallRecord rec{kind, proto::Cut(number, kCallNumberWidth), name, when, durationSec};
    m_calls.insert(m_calls.begin(), rec);
    if (static_cast<int>(m_calls.size()) > kMaxCalls) m_calls.resize(kMaxCalls);
    m_nCallCursor = -1;
}

std::string Phone::NameForNumber(const std::string& number) const {
    for (const auto* book : {&m_contacts, &m_privateContacts})
        for (const ContactRecord& c : *book)
            if (c.number == number) return c.name;
    return "Unknown";
}

// ---------------------------------------------------------------------------------------
// Timers.

std::optional<std::int64_t> Phone::NextDeadline() const {
    std::optional<std::int64_t> next;
    auto consider = [&](std::int64_t t) {
        if (!next || t < *next) next = t;
    };
    if (m_controller) consider(m_controller->lastHeardMs + kControllerTimeoutMs);
    if (m_call == CallState::Ringback) consider(m_nAnswerAtMs);
    if (m_call == CallState::Connected && m_screen == Screen::Home) consider(m_nNextTickMs);
    if (m_call == CallState::Incoming) consider(m_nRingUntilMs);
    if (m_call == CallState::Dialing) consider(m_nDialUntilMs);
    if (m_screen == Screen::Volume) consider(m_nVolumeUntilMs);
    if (ShowsIdleClock()) // the next minute of the idle screen's clock
        consider(Now() + (60 - m_clock.WallTime() % 60) * 1000);
    return next;
}

void Phone::OnTimer() {
    std::int64_t now = Now();
    ExpireController();
    if (m_call == CallState::Ringback && now >= m_nAnswerAtMs) Connect();
    if (m_call == CallState::Connected && now >= m_nNextTickMs) {
        // Skip ticks missed while another screen was on view.
        while (m_nNextTickMs <= now)
            m_nNextTickMs += kCallTimerStepMs;
        if (m_screen == Screen::Home) PaintCallTimer();
    }
    if (m_call == CallState::Incoming && now >= m_nRingUntilMs) MissIncoming("missed: no answer");
    if (m_call == CallState::Dialing && now >= m_nDialUntilMs) {
        Note("dialling timed out");
        HangUp();
    }
    if (ShowsIdleClock() && IdleLine() != m_strShownIdleLine) {
        m_strShownIdleLine = IdleLine();
        ToController(proto::Write<proto::InKeyword::Disp>(1, m_strShownIdleLine));
    }
    if (m_screen == Screen::Volume && now >= m_nVolumeUntilMs) {
        m_screen = m_volumeReturn;
        PaintScreen();
    }
}

// ---------------------------------------------------------------------------------------
// Painting.

const std::vector<ContactRecord>& Phone::Book() const {
    return m_bUsePrivate ? m_privateContacts : m_contacts;
}

void Phone::PaintScreen() {
    switch (m_screen) {
    case Screen::Home: PaintHome(); break;
    case Screen::Phonebook: SendPhonebook(); break;
    case Screen::CallLog: SendCallLog(); break;
    case Screen::Menu: SendMenu(); break;
    case Screen::Editor: ToController(m_bEditorNew ? "ADD:" : "MOD:"); break;
    case Screen::Volume: SendVolume(); break;
    case Screen::Info:
        m_screen = Screen::Menu;
        SendMenu();
        break;
    }
}

bool Phone::ShowsIdleClock() const {
    return m_controller && m_screen == Screen::Home && m_call == CallState::Idle && m_nMissed == 0;
}

std::string Phone::IdleLine() const {
    if (m_nMissed > 0)
        return std::to_string(m_nMissed) + (m_nMissed == 1 ? " missed call" : " missed calls");
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
        if (m_bDnd) ToController(proto::Write<proto::InKeyword::Icon>(proto::IconCode::DndOn, 0));
        ToController(proto::Write<proto::InKeyword::Icon>(m_bDnd          ? proto::IconCode::DndSign
                                                          : m_nMissed > 0 ? proto::IconCode::Missed
                                                                          : proto::IconCode::Idle,
                                                          0));
        ToController(proto::Write<proto::InKeyword::Disp>(0, m_config.name));
        m_strShownIdleLine = IdleLine();
        ToController(proto::Write<proto::InKeyword::Disp>(1, m_strShownIdleLine));
        ToController(
            proto::Write<proto::InKeyword::TextKey>(1, m_strLastDialed.empty() ? "" : "Redial"));
        ToController(proto::Write<proto::InKeyword::TextKey>(2, m_bDnd ? "DND off" : "DND"));
        ToController(proto::Write<proto::InKeyword::TextKey>(3, "Menu"));
        ToController(proto::Write<proto::InKeyword::ShowMute>(false));
        break;
    case CallState::Dialing:
        ToController(proto::Write<proto::InKeyword::Icon>(proto::IconCode::Outgoing, 0));
        ToController(proto::Write<proto::InKeyword::Disp>(
            1, m_strDialBuffer.empty() ? "Enter number" : m_strDialBuffer));
        ToController(proto::Write<proto::InKeyword::TextKey>(1, "Dial"));
        ToController(proto::Write<proto::InKeyword::TextKey>(2, "Delete"));
        ToController(proto::Write<proto::InKeyword::TextKey>(3, "Cancel"));
        ToController(proto::Write<proto::InKeyword::ShowMute>(false));
        break;
    case CallState::Ringback:
        ToController(proto::Write<proto::InKeyword::Icon>(proto::IconCode::Outgoing, 0));
        ToController(proto::Write<proto::InKeyword::Disp>(
            7, "Calling\n" + (m_strCallName == "Unknown" ? m_strCallNumber : m_strCallName) + "\n" +
                   m_strCallNumber));
        ToController(proto::Write<proto::InKeyword::TextKey>(1, ""));
        ToController(proto::Write<proto::InKeyword::TextKey>(2, ""));
        ToController(proto::Write<proto::InKeyword::TextKey>(3, "End"));
        ToController(proto::Write<proto::InKeyword::ShowMute>(true));
        break;
    case CallState::Connected:
        ToController(proto::Write<proto::InKeyword::Icon>(m_bHeld    ? proto::IconCode::Hold
                                                          : m_bMuted ? proto::IconCode::Muted
                                                                     : proto::IconCode::Connected,
                                                          0));
        ToController(proto::Write<proto::InKeyword::Disp>(
            7, std::string(m_bHeld    ? "On hold"
                           : m_bMuted ? "Muted"
                                      : "Connected") +
                   "\n" + (m_strCallName == "Unknown" ? m_strCallNumber : m_strCallName) + "\n" +
                   Clock(Now() - m_nConnectedMs)));
        ToController(proto::Write<proto::InKeyword::TextKey>(1, m_bHeld ? "Resume" : "Hold"));
        ToController(proto::Write<proto::InKeyword::TextKey>(2, ""));
        ToController(proto::Write<proto::InKeyword::TextKey>(3, "End"));
        ToController(proto::Write<proto::InKeyword::ShowMute>(true));
        break;
    case CallState::Incoming:
        ToController(proto::Write<proto::InKeyword::Icon>(proto::IconCode::Incoming, 0));
        ToController(proto::Write<proto::InKeyword::Disp>(7, "Incoming call\n" + m_strCallName +
                                                                 "\n" + m_strCallNumber));
        ToController(proto::Write<proto::InKeyword::TextKey>(1, "Answer"));
        ToController(proto::Write<proto::InKeyword::TextKey>(2, ""));
        ToController(proto::Write<proto::InKeyword::TextKey>(3, "Reject"));
        ToController(proto::Write<proto::InKeyword::ShowMute>(false));
        break;
    }
}

void Phone::PaintCallTimer() {
    ToController(proto::Write<proto::InKeyword::Disp>(3, Clock(Now() - m_nConnectedMs)));
}

void Phone::SendPhonebook() {
    const auto& book = Book();
    if (m_nBookCursor >= static_cast<int>(book.size())) m_nBookCursor = -1;
    std::vector<proto::Contact> items;
    items.reserve(book.size());
    for (const ContactRecord& c : book)
        items.push_back(proto::Contact{c.number, c.name});
    for (const std::string& d :
         proto::Write<proto::InKeyword::Pbook>(m_nBookCursor, items, kListDatagramText))
        ToController(d);
    SendPhonebookKeys();
}

void Phone::SendPhonebookKeys() {
    if (m_bUsePrivate) {
        ToController(proto::Write<proto::InKeyword::TextKey>(1, m_nBookCursor >= 0 ? "Dial" : ""));
        ToController(proto::Write<proto::InKeyword::TextKey>(2, ""));
    } else {
        ToController(proto::Write<proto::InKeyword::IconKey>(
            1, m_nBookCursor >= 0 ? proto::KeyIcon::Edit : proto::KeyIcon::New));
        if (m_nBookCursor >= 0)
            ToController(proto::Write<proto::InKeyword::IconKey>(2, proto::KeyIcon::Delete));
        else
            ToController(proto::Write<proto::InKeyword::TextKey>(2, ""));
    }
    ToController(proto::Write<proto::InKeyword::IconKey>(3, proto::KeyIcon::Back));
}

void Phone::SendCallLog() {
    if (m_nCallCursor >= static_cast<int>(m_calls.size())) m_nCallCursor = -1;
    std::vector<proto::CallItem> items;
    items.reserve(m_calls.size());
    int index = 0;
    for (const CallRecord& c : m_calls) {
        proto::CallItem item;
        item.index = ++index;
        item.callType = static_cast<int>(c.kind);
        item.number = c.number;
        item.name = BlanksToCarets(c.name); // fields are words: blanks travel as "^"
        item.date = BlanksToCarets(CallDateText(c.when));
        item.time = CallTimeText(c.when);
        item.duration = DurationText(c.durationSec);
        items.push_back(std::move(item));
    }
    for (const std::string& d :
         proto::Write<proto::InKeyword::Calls>(m_nCallCursor, items, kListDatagramText))
        ToController(d);
    SendCallLogKeys();
}

void Phone::SendCallLogKeys() {
    ToController(proto::Write<proto::InKeyword::TextKey>(1, m_nCallCursor >= 0 ? "Dial" : ""));
    if (m_nCallCursor >= 0)
        ToController(proto::Write<proto::InKeyword::IconKey>(2, proto::KeyIcon::Delete));
    else
        ToController(proto::Write<proto::InKeyword::TextKey>(2, ""));
    ToController(proto::Write<proto::InKeyword::IconKey>(3, proto::KeyIcon::Back));
}

std::vector<std::string> Phone::MenuItems() const {
    std::vector<std::string> items(kMenuCount);
    items[kMenuName] = "Phone name: " + m_config.name;
    items[kMenuDnd] = std::string("Do not disturb: ") + (m_bDnd ? "on" : "off");
    items[kMenuRinger] = "Ringer volume: " + std::to_string(m_nRingerVolume) + "%";
    items[kMenuAddContact] = "Add contact";
    items[kMenuClearCalls] = "Clear call log (" + std::to_string(m_calls.size()) + ")";
    items[kMenuNetwork] = "Network";
    items[kMenuAbout] = "About";
    for (std::string& s : items)
        s = proto::Cut(s, proto::Width::MenuText);
    return items;
}

void Phone::SendMenu() {
    ToController(proto::Write<proto::InKeyword::Menu>(m_nMenuCursor, MenuItems()));
    ToController(proto::Write<proto::InKeyword::TextKey>(1, "Select"));
    ToController(proto::Write<proto::InKeyword::TextKey>(2, ""));
    ToController(proto::Write<proto::InKeyword::IconKey>(3, proto::KeyIcon::Back));
}

void Phone::SendVolume() {
    bool handset = m_call == CallState::Connected || m_call == CallState::Ringback;
    ToController(proto::Write<proto::InKeyword::Vol>(handset ? proto::VolDevice::Handset
                                                             : proto::VolDevice::Ringer,
                                                     handset ? m_nHandsetVolume : m_nRingerVolume,
                                                     handset ? "Handset volume" : "Ringer volume"));
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
        " screen=" + kScreen[static_cast<int>(m_screen)] + " hook=" + (m_bOffHook ? "off" : "on") +
        " controller=" + (m_controller ? m_controller->endpoint.ToString() : "none") +
        " busy=" + (m_bHeldByAbsent ? "1" : "0") +
        " contacts=" + std::to_string(m_contacts.size()) +
        " private=" + std::to_string(m_privateContacts.size()) + (m_bUsePrivate ? "(in use)" : "") +
        " calls=" + std::to_string(m_calls.size()) + " ringer=" + std::to_string(m_nRingerVolume) +
        " handset=" + std::to_string(m_nHandsetVolume);
    return s;
}

} // namespace orvane::sim
