// The emulated phone's core: what it is made from, what it sends, how a datagram reaches
// the conversation that handles it, and its timers. The conversations are in
// PhoneDiscovery, PhoneKeys, PhoneCalls, PhoneLists, PhonePrompts, PhoneConsole and
// PhoneScreen.
#include "Phone.h"
#include "PhoneParts.h"

#include <cstdio>

namespace orvane::sim {

namespace proto = orvane::proto;
using namespace phone;

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
    m_startMs = Now();
    m_heldByAbsent = m_config.busy;
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
    if (m_call == CallState::Dialing) m_dialUntilMs = Now() + kDialTimeoutMs;

    switch (cmd.kind) {
    case K::Alive: break;
    case K::Stop:
        Note("released by " + from.ToString());
        m_controller.reset();
        m_privateContacts.clear();
        m_usePrivate = false;
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
// Timers.

std::optional<std::int64_t> Phone::NextDeadline() const {
    std::optional<std::int64_t> next;
    auto consider = [&](std::int64_t t) {
        if (!next || t < *next) next = t;
    };
    if (m_controller) consider(m_controller->lastHeardMs + kControllerTimeoutMs);
    if (m_call == CallState::Ringback) consider(m_answerAtMs);
    if (m_call == CallState::Connected && m_screen == Screen::Home) consider(m_nextTickMs);
    if (m_call == CallState::Incoming) consider(m_ringUntilMs);
    if (m_call == CallState::Dialing) consider(m_dialUntilMs);
    if (m_screen == Screen::Volume) consider(m_volumeUntilMs);
    if (ShowsIdleClock()) // the next minute of the idle screen's clock
        consider(Now() + (60 - m_clock.WallTime() % 60) * 1000);
    return next;
}

void Phone::OnTimer() {
    std::int64_t now = Now();
    ExpireController();
    if (m_call == CallState::Ringback && now >= m_answerAtMs) Connect();
    if (m_call == CallState::Connected && now >= m_nextTickMs) {
        // Skip ticks missed while another screen was on view.
        while (m_nextTickMs <= now)
            m_nextTickMs += kCallTimerStepMs;
        if (m_screen == Screen::Home) PaintCallTimer();
    }
    if (m_call == CallState::Incoming && now >= m_ringUntilMs) MissIncoming("missed: no answer");
    if (m_call == CallState::Dialing && now >= m_dialUntilMs) {
        Note("dialling timed out");
        HangUp();
    }
    if (ShowsIdleClock() && IdleLine() != m_shownIdleLine) {
        m_shownIdleLine = IdleLine();
        ToController(proto::Write<proto::InKeyword::Disp>(1, m_shownIdleLine));
    }
    if (m_screen == Screen::Volume && now >= m_volumeUntilMs) {
        m_screen = m_volumeReturn;
        PaintScreen();
    }
}

} // namespace orvane::sim
