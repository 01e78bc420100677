// The scripted tour of the dialer: three emulated phones and the real window, driven
// through a search, a pick, a login, a call, the lists, the volume, the console and the
// device's text prompt; a numbered picture after every step, each step checked against
// what the window shows and what the phones received.
#pragma once

#include "PhoneSim.h"

#include <QPixmap>
#include <QString>

#include <vector>

namespace orvane::demo {

// The demo's phones: a free one, a busy one and one that wants a password, each with its
// own contacts and call history.
std::vector<SimPhone> DemoPhones();
// The password of the phone that wants one.
QString DemoPassword();

// What a person sees of the program: its visible top-level windows (`window` first, then
// its open boxes and dialogs over it) grabbed as they are and put where they stand on the
// screen, on a plain desktop; no window gets a frame or a title bar of the picture's own.
QPixmap ScreenPicture(const QWidget& window);

// Runs the tour, writing its pictures (NN-step.png) and the phones' log into `outDir`, and
// prints every step, then the datagram trace. Returns 0 when every step showed what it
// should, 1 otherwise.
int RunTour(const QString& outDir);

} // namespace orvane::demo
