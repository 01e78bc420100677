// Click-to-dial links: "tel:", "callto:" and "sip:" URLs handed to the dialer by the
// desktop (or typed on its command line), and the one number they carry.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvane {

// "DIAL: %s" carries at most this many characters.
constexpr std::size_t kMaxDialNumber = 25;

struct DialLinkResult {
    bool ok = false;
    std::string number; // normalised: '+' first if at all, then digits, '*' and '#'
    std::string error;  // one line, when !ok
};

// True when `argument` names one of the link schemes (case-insensitive), whatever follows.
bool IsDialLink(std::string_view argument);

// The number of a link. "tel:" and "callto:" take everything after the scheme (an optional
// "//" skipped); "sip:" and "sips:" take the user part only (before '@', without a
// password after ':'). Percent escapes are decoded first.
DialLinkResult ParseDialLink(std::string_view url);

// A number as a person writes it: the visual separators (blank - . ( ) /) are dropped;
// '+' (only as the first character), digits, '*' and '#' are kept; anything else, an empty
// number or one longer than kMaxDialNumber is refused.
DialLinkResult NormaliseDialNumber(std::string_view text);

} // namespace orvane
