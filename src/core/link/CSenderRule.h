// Who may drive the dialer. The protocol has no authentication and anyone on the LAN can
// send to the dialer's port, but a real phone always answers from its own address. So a
// datagram is handled only when the conversation under way expects it from its sender;
// everything else is dropped before any handler sees it: no box, no reply.
#pragma once

#include <string_view>

namespace orvane {

// The conversations under way, as the rule sees them. Empty addresses mean "none".
struct LinkWindow {
    // The phone the dialer addresses: controlled, being logged into or probed.
    std::string_view deviceAddr;
    // A search is open (its end timer runs): discovery replies are welcome.
    bool searchOpen = false;
    // A "Set IP" probe went here and its discovery reply is awaited.
    std::string_view probeAddr;
    // A LOGIN: went here and its reply is awaited.
    std::string_view loginAddr;
};

// True when the message `msg` from `sender` (dotted IPv4 text) may be handled:
// - a discovery reply while a search is open, or from the probed address, and only when
//   the address it names is its sender's own;
// - a login reply while a login is pending, from the address the login went to, which is
//   still the addressed phone;
// - anything else only from the addressed phone.
bool SenderMayDrive(const LinkWindow& link, std::string_view sender, std::string_view msg);

} // namespace orvane
