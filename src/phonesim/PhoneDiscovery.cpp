// Discovery, login and who controls the phone: answering the search, taking and
// dropping the controller.
#include "Phone.h"
#include "PhoneParts.h"

namespace orvane::sim {

namespace proto = orvane::proto;
using namespace phone;

bool Phone::BusyFor(const std::string& mac, const Endpoint& from) const {
    if (m_heldByAbsent) return true;
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
        m_rememberedMac = mac;
    } else {
        bool isPrivate = (!m_config.privateMac.empty() && SameMac(mac, m_config.privateMac)) ||
                         (!m_rememberedMac.empty() && SameMac(mac, m_rememberedMac));
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
        m_usePrivate = false;
        m_prompt = Prompt::None;
    }
    m_heldByAbsent = false;
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
    m_usePrivate = false;
    m_prompt = Prompt::None;
    m_screen = Screen::Home;
}

void Phone::SetBusy(bool busy) {
    m_heldByAbsent = busy;
    if (busy) DropController("held by another controller");
}

std::optional<Endpoint> Phone::ControllerEndpoint() const {
    if (!m_controller) return std::nullopt;
    return m_controller->endpoint;
}

std::string Phone::ControllerMac() const {
    return m_controller ? m_controller->mac : std::string();
}

} // namespace orvane::sim
