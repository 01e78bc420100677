// Text prompts: the answer to the phone's input box.
#include "Phone.h"
#include "PhoneParts.h"

namespace orvane::sim {

namespace proto = orvane::proto;
using namespace phone;

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

} // namespace orvane::sim
