// Waiting with the event loop running: the dialer's sockets, timers and modal boxes go on
// working while a test or the tour waits for what it expects.
#pragma once

#include <functional>

namespace orvane::demo {

// True as soon as `done` holds; false when it still does not after `timeoutMs`.
bool waitUntil(const std::function<bool()>& done, int timeoutMs);
// Runs the event loop for `ms` milliseconds.
void pause(int ms);

// The resident memory of this process in kB (VmRSS), 0 when unknown.
long residentKb();

} // namespace orvane::demo
