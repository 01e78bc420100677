// Small text helpers shared by the protocol, the dialog, the shells and the emulated phone.
#pragma once

#include <string_view>

namespace orvane::text {

// White space as scanf sees it: blank, tab, line feed, vertical tab, form feed, return.
// Most characters are above the blank, so one comparison settles them.
constexpr bool IsSpace(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u <= ' ' && (u == ' ' || (u >= '\t' && u <= '\r'));
}

constexpr std::string_view kWhiteSpace = " \t\n\v\f\r";

// `s` without the characters of `set` at either end.
constexpr std::string_view Trim(std::string_view s, std::string_view set = kWhiteSpace) {
    const std::size_t first = s.find_first_not_of(set);
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(set) - first + 1);
}

// The first white-space-delimited word of `s`; empty when there is none.
constexpr std::string_view FirstWord(std::string_view s) {
    std::size_t begin = 0;
    while (begin < s.size() && IsSpace(s[begin]))
        ++begin;
    std::size_t end = begin;
    while (end < s.size() && !IsSpace(s[end]))
        ++end;
    return s.substr(begin, end - begin);
}

} // namespace orvane::text
