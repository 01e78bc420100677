// The text prompt and the About box: what they show, and the answer every way out gives.
#include "Prompts.h"
#include "WinText.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// What the user does once the box is up; run from a timer of the box's own message loop.
std::function<void(HWND)> g_user;

BOOL CALLBACK findBox(HWND hwnd, LPARAM found) {
    wchar_t cls[16] = {};
    GetClassNameW(hwnd, cls, 16);
    if (std::wstring(cls) == L"#32770" && IsWindowVisible(hwnd)) {
        *reinterpret_cast<HWND*>(found) = hwnd;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK act(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findBox, reinterpret_cast<LPARAM>(&box));
    if (box == nullptr) return;
    KillTimer(nullptr, timer);
    g_user(box);
}

void whenShown(std::function<void(HWND)> user) {
    g_user = std::move(user);
    SetTimer(nullptr, 0, 20, act);
}

std::string itemText(HWND box, int id) {
    wchar_t buffer[256] = {};
    GetDlgItemTextW(box, id, buffer, 256);
    return wintext::ToModel(buffer);
}

TEST(Prompts, TextPromptAnswersWithTheButtonAndTheText) {
    struct Case {
        const char* what;
        std::function<void(HWND)> user;
        int button;
        std::string text;
    };
    const Case cases[] = {
        {"first button",
         [](HWND box) {
             SetDlgItemTextW(box, 101, L"4711");
             SendMessageW(GetDlgItem(box, 1), BM_CLICK, 0, 0);
         },
         1, "4711"},
        {"second button",
         [](HWND box) {
             SetDlgItemTextW(box, 101, L"typed");
             SendMessageW(GetDlgItem(box, 2), BM_CLICK, 0, 0);
         },
         2, "typed"},
        {"Escape", [](HWND box) { SendMessageW(box, WM_COMMAND, IDCANCEL, 0); }, 2, "Initial"},
        {"Enter in the field", [](HWND box) { SendMessageW(box, WM_COMMAND, IDOK, 0); }, 1,
         "Initial"},
    };
    orvane::TextInputRequest request{"Enter the name", "Save", "Cancel", "Initial"};
    for (const Case& c : cases) {
        std::string shownPrompt, shownFirst, shownSecond, shownText;
        whenShown([&](HWND box) {
            shownPrompt = itemText(box, 100);
            shownText = itemText(box, 101);
            shownFirst = itemText(box, 1);
            shownSecond = itemText(box, 2);
            c.user(box);
        });
        const orvane::TextInputAnswer answer = TextPrompt::Run(nullptr, request);
        EXPECT_EQ(answer.button, c.button) << c.what;
        EXPECT_EQ(answer.text, c.text) << c.what;
        EXPECT_EQ(shownPrompt, "Enter the name") << c.what;
        EXPECT_EQ(shownText, "Initial") << c.what;
        EXPECT_EQ(shownFirst, "Save") << c.what;
        EXPECT_EQ(shownSecond, "Cancel") << c.what;
    }
}

TEST(Prompts, TextPromptTakesThirtyCharactersAtMost) {
    orvane::TextInputRequest request{"p", "A", "B", std::string(40, 'x')};
    EXPECT_EQ(TextPrompt::InitialText(request), std::string(30, 'x'));
    LRESULT limit = 0;
    whenShown([&](HWND box) {
        limit = SendDlgItemMessageW(box, 101, EM_GETLIMITTEXT, 0, 0);
        SendMessageW(GetDlgItem(box, 1), BM_CLICK, 0, 0);
    });
    const orvane::TextInputAnswer answer = TextPrompt::Run(nullptr, request);
    EXPECT_EQ(limit, 30);
    EXPECT_EQ(answer.text, std::string(30, 'x'));
}

TEST(Prompts, AboutBoxShowsTheVersionLine) {
    std::string caption, line;
    whenShown([&](HWND box) {
        wchar_t buffer[128] = {};
        GetWindowTextW(box, buffer, 128);
        caption = wintext::ToModel(buffer);
        line = itemText(box, 101);
        SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    });
    AboutBox::Run(nullptr, "Orvane's SIP Dialer version 1.0.0.0");
    EXPECT_EQ(caption, "About Orvane's SIP Dialer");
    EXPECT_EQ(line, "Orvane's SIP Dialer version 1.0.0.0");
}

TEST(WinText, CodePage1252RoundTrips) {
    const std::pair<std::string, std::wstring> cases[] = {
        {"plain", L"plain"},
        {"\xE9\xFC", L"\u00e9\u00fc"},
        {"\x80\x9F", L"\u20ac\u0178"},
        {"\x81", L"\u0081"}, // left undefined by the code page: kept as a control code
    };
    for (const auto& [bytes, wide] : cases) {
        EXPECT_EQ(wintext::ToWide(bytes), wide);
        EXPECT_EQ(wintext::ToModel(wide), bytes);
    }
    EXPECT_EQ(wintext::ToModel(L"\u4e2d"), "?"); // not in the code page
}

} // namespace
