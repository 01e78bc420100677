#include "DialLink.h"

#include <array>
#include <cstdio>

namespace orvane {

namespace {

constexpr std::array<std::string_view, 4> kSchemes = {"tel:", "callto:", "sip:", "sips:"};

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (Lower(text[i]) != prefix[i]) return false;
    return true;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = Lower(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

DialLinkResult Refuse(std::string error) {
    DialLinkResult r;
    r.error = std::move(error);
    return r;
}

// How a refused character is named in a message: printable ASCII as itself, the rest as
// its byte value, so a message never carries control characters to a terminal.
std::string Shown(unsigned char c) {
    if (c >= 0x21 && c <= 0x7E) return std::string("'") + static_cast<char>(c) + "'";
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", c);
    return buf;
}

} // namespace

bool IsDialLink(std::string_view argument) {
    for (std::string_view scheme : kSchemes)
        if (StartsWithNoCase(argument, scheme)) return true;
    return false;
}

DialLinkResult NormaliseDialNumber(std::string_view text) {
    std::string number;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == ' ' || c == '-' || c == '.' || c == '(' || c == ')' || c == '/') continue;
        if (c == '+') {
            if (!number.empty()) return Refuse("a '+' may only begin the number");
        } else if (!(c >= '0' && c <= '9') && c != '*' && c != '#') {
            return Refuse("the number holds " + Shown(c) +
                          ", which is not a digit, '+', '*' or '#'");
        }
        if (number.size() == kMaxDialNumber)
            return Refuse("the number is longer than " + std::to_string(kMaxDialNumber) +
                          " characters");
        number += ch;
    }
    if (number.empty() || number == "+") return Refuse("the link holds no number");
    DialLinkResult r;
    r.ok = true;
    r.number = std::move(number);
    return r;
}

DialLinkResult ParseDialLink(std::string_view url) {
    std::string_view rest;
    bool sip = false;
    for (std::string_view scheme : kSchemes) {
        if (StartsWithNoCase(url, scheme)) {
            rest = url.substr(scheme.size());
            sip = scheme[0] == 's';
            break;
        }
    }
    if (rest.data() == nullptr) return Refuse("not a tel:, callto: or sip: link");

    // Percent escapes first: a link may write a blank as %20 and '#' as %23. A decoded NUL
    // or other control character is refused below like any other stranger.
    std::string decoded;
    decoded.reserve(rest.size());
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] != '%') {
            decoded += rest[i];
            continue;
        }
        const int hi = i + 1 < rest.size() ? HexValue(rest[i + 1]) : -1;
        const int lo = i + 2 < rest.size() ? HexValue(rest[i + 2]) : -1;
        if (hi < 0 || lo < 0) return Refuse("the link has a broken %-escape");
        decoded += static_cast<char>(hi * 16 + lo);
        i += 2;
    }

    std::string_view part = decoded;
    if (part.substr(0, 2) == "//") part.remove_prefix(2);
    if (sip) {
        const std::size_t at = part.find('@');
        if (at != std::string_view::npos) part = part.substr(0, at);
        const std::size_t colon = part.find(':');
        if (colon != std::string_view::npos) part = part.substr(0, colon);
    }
    // A trailing slash is what some programs leave after "callto://number".
    if (!part.empty() && part.back() == '/') part.remove_suffix(1);
    if (part.find(';') != std::string_view::npos)
        return Refuse("the link has parameters (';'), which the phone cannot dial");
    if (part.find('?') != std::string_view::npos)
        return Refuse("the link has a query ('?'), which the phone cannot dial");
    return NormaliseDialNumber(part);
}

} // namespace orvane
