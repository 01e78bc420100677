// The two small dialogs the dialog opens: the text prompt the phone asks for, and the
// About box. Both are modal and run a message loop of their own.
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
