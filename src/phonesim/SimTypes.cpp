#include "SimTypes.h"

#include <chrono>

namespace orvane::sim {

namespace {

// Reads a decimal of 1..maxDigits digits without a leading zero (except "0").
bool ReadDecimal(std::string_view s, std::size_t& pos, std::size_t maxDigits, long& value) {
    std::size_t start = pos;
    value = 0;
    while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9' && pos - start < maxDigits) {
        value = value * 10 + (s[pos] - '0');
        ++pos;
    }
    std::size_t n = pos - start;
    if (n == 0) return false;
    if (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') return false; // too many digits
    return !(n > 1 && s[start] == '0');
}

} // namespace

bool IsLoopbackIPv4(std::string_view text) {
    return IsDottedIPv4(text) && text.substr(0, 4) == "127.";
}

std::optional<Endpoint> ParseEndpoint(std::string_view text) {
    std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos) return std::nullopt;
    std::string_view ip = text.substr(0, colon);
    std::string_view port = text.substr(colon + 1);
    if (!IsDottedIPv4(ip)) return std::nullopt;
    std::size_t pos = 0;
    long value = 0;
    if (!ReadDecimal(port, pos, 5, value) || pos != port.size() || value > 65535)
        return std::nullopt;
    return Endpoint{std::string(ip), static_cast<std::uint16_t>(value)};
}

std::int64_t SystemClock::NowMs() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::time_t SystemClock::WallTime() const {
    return std::time(nullptr);
}

} // namespace orvane::sim
