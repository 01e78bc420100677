// The small dialogs the dialog opens: the text prompt the phone asks for, the About box,
// and the box for a message too long for a message box. All are modal and run a message
// loop of their own.
#pragma once

#include "ports.h"

#include "WinApi.h"

#include <string>

namespace TextPrompt {
// The most characters the prompt takes.
constexpr int kMaxText = 30;
std::string InitialText(const orvane::TextInputRequest& request);
// Every way out answers: closed other than by a button, as the second button would.
orvane::TextInputAnswer Run(HWND owner, const orvane::TextInputRequest& request);
} // namespace TextPrompt

namespace AboutBox {
constexpr const wchar_t* kCaption = L"About Orvane's SIP Dialer";
void Run(HWND owner, const std::string& versionLine);
} // namespace AboutBox

namespace LongBox {
// A message box for a text too long for one (a console answer runs to 64 KB): the text in
// a read-only edit that shows its first lines and scrolls to the rest, which can also be
// selected and copied, beside the icon, above the buttons. Answers as MessageBox would:
// closed other than by a button, a Yes/No box answers No.
orvane::MsgAnswer Run(HWND owner, const std::string& text, const std::string& caption,
                      orvane::MsgButtons buttons, orvane::MsgIcon icon);
} // namespace LongBox
