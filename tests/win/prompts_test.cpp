// The text prompt, the About box and the boxes for long messages: what they show, and the
// answer every way out gives.
#include "Prompts.h"
#include "WinPorts.h"
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

// The whole text an edit holds, however long.
std::string editText(HWND box, int id) {
    HWND edit = GetDlgItem(box, id);
    if (edit == nullptr) return "(no edit)";
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    return wintext::ToModel(text);
}

std::string LinesOf(int count, const char* last) {
    std::string text;
    for (int i = 1; i < count; ++i)
        text += "line " + std::to_string(i) + " of the answer\n";
    return text + last;
}

TEST(Prompts, LongMessageIsShownWholeInAScrollingTextAndAnswersAsABox) {
    struct Case {
        const char* what;
        std::string text;
        orvane::MsgButtons buttons;
        int press; // the button pressed; IDCANCEL: Escape
        orvane::MsgAnswer answer;
        bool scrolls; // the box holds the text in an edit that scrolls
    };
    const std::string console = LinesOf(2000, "the very end"); // about 50 KB
    const std::string wide = std::string(3500, 'w') + " the very end";
    const Case cases[] = {
        {"2000 lines, OK", console, orvane::MsgButtons::Ok, IDOK, orvane::MsgAnswer::Ok, true},
        {"2000 lines, Escape", console, orvane::MsgButtons::Ok, IDCANCEL, orvane::MsgAnswer::Ok,
         true},
        {"21 lines, Yes", LinesOf(21, "the very end"), orvane::MsgButtons::YesNo, IDYES,
         orvane::MsgAnswer::Yes, true},
        {"21 lines, No", LinesOf(21, "the very end"), orvane::MsgButtons::YesNo, IDNO,
         orvane::MsgAnswer::No, true},
        {"21 lines, Escape answers No", LinesOf(21, "the very end"), orvane::MsgButtons::YesNo,
         IDCANCEL, orvane::MsgAnswer::No, true},
        {"one long line", wide, orvane::MsgButtons::Ok, IDOK, orvane::MsgAnswer::Ok, true},
        {"20 lines: a message box", LinesOf(20, "the very end"), orvane::MsgButtons::YesNo, IDYES,
         orvane::MsgAnswer::Yes, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string caption, shown;
        bool hasIcon = false, scrollBar = false, readOnly = false;
        whenShown([&](HWND box) {
            wchar_t buffer[128] = {};
            GetWindowTextW(box, buffer, 128);
            caption = wintext::ToModel(buffer);
            shown = editText(box, 101);
            if (HWND edit = GetDlgItem(box, 101)) {
                const LONG_PTR style = GetWindowLongPtrW(edit, GWL_STYLE);
                scrollBar = (style & WS_VSCROLL) != 0;
                readOnly = (style & ES_READONLY) != 0;
                hasIcon = SendDlgItemMessageW(box, 100, STM_GETICON, 0, 0) != 0;
            }
            if (c.press == IDCANCEL)
                SendMessageW(box, WM_COMMAND, IDCANCEL, 0);
            else
                SendMessageW(GetDlgItem(box, c.press), BM_CLICK, 0, 0);
        });
        WinDialogs dialogs;
        const orvane::MsgAnswer answer =
            dialogs.MessageBox(c.text, "Console", c.buttons, orvane::MsgIcon::Warning, false);
        EXPECT_EQ(answer, c.answer);
        EXPECT_EQ(caption, "Console");
        if (c.scrolls) {
            // Every line, the last one too, with the line ends an edit shows.
            std::string expected;
            for (char ch : c.text)
                expected += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
            EXPECT_EQ(shown.size(), expected.size());
            EXPECT_TRUE(shown == expected);
            EXPECT_TRUE(scrollBar);
            EXPECT_TRUE(readOnly);
            EXPECT_TRUE(hasIcon);
        } else {
            EXPECT_EQ(shown, "(no edit)");
        }
    }
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
