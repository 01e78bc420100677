// The Linux console: a command line run and its output sent in fragments.
#include "Phone.h"
#include "PhoneParts.h"

namespace orvane::sim {

namespace proto = orvane::proto;
using namespace phone;

void Phone::RunConsole(const std::string& line) {
    ConsoleContext ctx;
    ctx.hostname = m_config.name;
    ctx.address = m_config.address;
    ctx.id = m_config.id;
    ctx.model = m_config.type;
    ctx.uptimeSec = (Now() - m_startMs) / 1000;
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

} // namespace orvane::sim
