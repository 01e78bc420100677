#include "CDialRecordingPort.h"

#include <string_view>

namespace orvane {

bool CDialRecordingPort::SendTo(const void* data, std::size_t length, const std::string& host,
                                std::uint16_t port) {
    const bool sent = m_inner.SendTo(data, length, host, port);
    if (!sent || data == nullptr) return sent;
    std::string_view line(static_cast<const char*>(data), length);
    const std::size_t nul = line.find('\0');
    if (nul != std::string_view::npos) line = line.substr(0, nul);
    constexpr std::string_view kDial = "DIAL: ";
    if (line.substr(0, kDial.size()) == kDial) m_recent.Add(line.substr(kDial.size()));
    return sent;
}

} // namespace orvane
