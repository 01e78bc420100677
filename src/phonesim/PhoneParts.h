// What the emulated phone's conversations share: its menu, its firmware text and the text
// helpers the handlers use. Internal to the phone.
#pragma once

#include "Escape.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace orvane::sim::phone {

inline constexpr const char* kFirmware = "2.4.1";

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

inline bool IsDialChar(char c) {
    return (c >= '0' && c <= '9') || c == '*' || c == '#' || c == '+';
}

inline bool SameMac(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Printable single-line text: control bytes become blanks, ends trimmed.
inline std::string CleanText(std::string_view s) {
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
inline std::string Shown(const std::string& s) {
    return EscapeForLog(s, 40);
}

inline std::string BlanksToCarets(std::string s) {
    std::replace(s.begin(), s.end(), ' ', '^');
    return s;
}

inline std::string Clock(std::int64_t ms) {
    long long sec = ms / 1000;
    char buf[32];
    if (sec >= 3600)
        std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld", sec / 3600, sec / 60 % 60, sec % 60);
    else
        std::snprintf(buf, sizeof buf, "%02lld:%02lld", sec / 60, sec % 60);
    return buf;
}

} // namespace orvane::sim::phone
