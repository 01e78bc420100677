#include "Escape.h"

namespace orvane::sim {

namespace {

const char kHex[] = "0123456789ABCDEF";

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

std::string EscapeForLog(std::string_view bytes, std::size_t maxChars) {
    std::string out;
    out.reserve(bytes.size() < maxChars ? bytes.size() : maxChars);
    std::size_t i = 0;
    for (; i < bytes.size(); ++i) {
        if (out.size() >= maxChars) break;
        auto c = static_cast<unsigned char>(bytes[i]);
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\0': out += "\\0"; break;
        default:
            if (c >= 0x20 && c < 0x7F) {
                out += static_cast<char>(c);
            } else {
                out += "\\x";
                out += kHex[c >> 4];
                out += kHex[c & 0xF];
            }
        }
    }
    if (i < bytes.size()) out += "...(+" + std::to_string(bytes.size() - i) + " bytes)";
    return out;
}

std::string_view WithoutTerminator(std::string_view bytes) {
    if (!bytes.empty() && bytes.back() == '\0') bytes.remove_suffix(1);
    return bytes;
}

std::optional<std::string> Unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i >= text.size()) return std::nullopt;
        switch (text[i]) {
        case '\\': out += '\\'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case '0': out += '\0'; break;
        case 'x': {
            if (i + 2 >= text.size()) return std::nullopt;
            int hi = HexValue(text[i + 1]);
            int lo = HexValue(text[i + 2]);
            if (hi < 0 || lo < 0) return std::nullopt;
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
            break;
        }
        default: return std::nullopt;
        }
    }
    return out;
}

} // namespace orvane::sim
