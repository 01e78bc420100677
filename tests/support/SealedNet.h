// The dialer broadcasts; it may run only inside scripts/sealed-net, whose namespace holds
// loopback and its own veth pair and nothing else.
#pragma once

namespace orvane::demo {

// True when the network interfaces are exactly lo, sn0 and sn1.
bool InsideSealedNet();

} // namespace orvane::demo
