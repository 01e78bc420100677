// The Windows face window: built from the face model, kept in step with it, and every key,
// keyboard key and list turned into what the dialog sends.
#include "WinRig.h"

#include "FaceIds.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>

namespace orvane::test {
namespace {

TEST(FaceWindow, EveryControlSitsWhereTheFaceModelPutsIt) {
    WinRig rig;
    ASSERT_TRUE(rig.ok());
    for (const Control& c : rig.face().Controls()) {
        HWND hwnd = rig.control(c.id);
        ASSERT_NE(hwnd, nullptr) << c.id;
        EXPECT_EQ(GetDlgCtrlID(hwnd), c.id);
        RECT want{c.rect.x, c.rect.y, c.rect.x + c.rect.w, c.rect.y + c.rect.h};
        MapDialogRect(rig.window->hwnd(), &want);
        const RECT got = rig.Place(hwnd);
        EXPECT_EQ(got.left, want.left) << c.id;
        EXPECT_EQ(got.top, want.top) << c.id;
        if (!(c.kind == ControlKind::Bitmap && c.sizeToImage)) {
            EXPECT_EQ(got.right, want.right) << c.id;
            EXPECT_EQ(got.bottom, want.bottom) << c.id;
        }
        EXPECT_EQ(WinRig::Shown(hwnd), c.visible) << c.id;
        EXPECT_EQ(IsWindowEnabled(hwnd) != FALSE, c.enabled) << c.id;
    }
    // The client area is the face, the menu bar above it.
    RECT face{0, 0, FaceWindow::kFaceWidthDlu, FaceWindow::kFaceHeightDlu};
    MapDialogRect(rig.window->hwnd(), &face);
    RECT client{};
    GetClientRect(rig.window->hwnd(), &client);
    EXPECT_EQ(client.right, face.right);
    EXPECT_EQ(client.bottom, face.bottom);
    EXPECT_EQ(GetMenuItemCount(rig.window->menu()), 2);
}

TEST(FaceWindow, ChangesOfTheFaceReachTheirControls) {
    struct Case {
        const char* what;
        std::function<void(FaceModel&)> change;
        std::function<bool(WinRig&)> shows;
    };
    const Case cases[] = {
        {"display text", [](FaceModel& f) { f.SetText(Ctl::DisplayLine1, "Caf\xE9 \x80 5"); },
         [](WinRig& r) { return WinRig::Text(r.control(Ctl::DisplayLine1)) == "Caf\xE9 \x80 5"; }},
        {"hidden", [](FaceModel& f) { f.Show(Ctl::MenuTab, false); },
         [](WinRig& r) { return !WinRig::Shown(r.control(Ctl::MenuTab)); }},
        {"shown", [](FaceModel& f) { f.Show(Ctl::Key5, true); },
         [](WinRig& r) { return WinRig::Shown(r.control(Ctl::Key5)); }},
        {"disabled", [](FaceModel& f) { f.Enable(Ctl::F2, false); },
         [](WinRig& r) { return IsWindowEnabled(r.control(Ctl::F2)) == FALSE; }},
        {"soft key label", [](FaceModel& f) { f.SetText(Ctl::F3, "Apply"); },
         [](WinRig& r) { return WinRig::Text(r.control(Ctl::F3)) == "Apply"; }},
        {"edit text and caret",
         [](FaceModel& f) {
             f.SetText(Ctl::EntryEdit, "0301234");
             f.SetEditSel(Ctl::EntryEdit, 2, 5);
         },
         [](WinRig& r) {
             DWORD start = 0, end = 0;
             SendMessageW(r.control(Ctl::EntryEdit), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                          reinterpret_cast<LPARAM>(&end));
             return WinRig::Text(r.control(Ctl::EntryEdit)) == "0301234" && start == 2 && end == 5;
         }},
        {"password masking", [](FaceModel& f) { f.SetPassword(Ctl::EntryEdit, true); },
         [](WinRig& r) {
             return SendMessageW(r.control(Ctl::EntryEdit), EM_GETPASSWORDCHAR, 0, 0) == L'*';
         }},
        {"typing limit", [](FaceModel& f) { f.SetLimitText(Ctl::EntryEdit, 29); },
         [](WinRig& r) {
             return SendMessageW(r.control(Ctl::EntryEdit), EM_GETLIMITTEXT, 0, 0) == 29;
         }},
        {"slider",
         [](FaceModel& f) {
             f.SetSliderRange(Ctl::VolumeSlider, 0, 9, 1, 1, 3);
             f.SetSliderPos(Ctl::VolumeSlider, 7);
         },
         [](WinRig& r) {
             HWND s = r.control(Ctl::VolumeSlider);
             return SendMessageW(s, TBM_GETPOS, 0, 0) == 7 &&
                    SendMessageW(s, TBM_GETRANGEMAX, 0, 0) == 9;
         }},
        {"caption", [](FaceModel& f) { f.SetCaption("Front Desk - Orvane's SIP Dialer"); },
         [](WinRig& r) {
             return WinRig::Text(r.window->hwnd()) == "Front Desk - Orvane's SIP Dialer";
         }},
        {"menu check", [](FaceModel& f) { f.CheckMenu(Menu::NameFirst, true); },
         [](WinRig& r) {
             return (GetMenuState(r.window->menu(), Menu::NameFirst, MF_BYCOMMAND) & MF_CHECKED) !=
                    0;
         }},
        {"menu disabled", [](FaceModel& f) { f.EnableMenu(Menu::Release, false); },
         [](WinRig& r) {
             return (GetMenuState(r.window->menu(), Menu::Release, MF_BYCOMMAND) & MF_GRAYED) != 0;
         }},
    };
    for (const Case& c : cases) {
        WinRig rig;
        ASSERT_TRUE(rig.ok());
        rig.window->callCore([&] { c.change(rig.face()); });
        EXPECT_TRUE(c.shows(rig)) << c.what;
    }
}

TEST(FaceWindow, KeysSendTheirCodesWhenClicked) {
    const std::pair<int, const char*> keys[] = {
        {Ctl::Key1, "KEY: 1"},         {Ctl::Key0, "KEY: 0"},        {Ctl::KeyStar, "KEY: 10"},
        {Ctl::KeyHash, "KEY: 11"},     {Ctl::F1, "KEY: 12"},         {Ctl::F2, "KEY: 13"},
        {Ctl::F3, "KEY: 14"},          {Ctl::MenuTab, "KEY: 15"},    {Ctl::VolPlus, "KEY: 17"},
        {Ctl::VolMinus, "KEY: 18"},    {Ctl::End, "KEY: 20"},        {Ctl::ContactsTab, "KEY: 23"},
        {Ctl::CallLogsTab, "KEY: 24"}, {Ctl::DialpadTab, "KEY: 25"},
    };
    for (const auto& [id, sent] : keys) {
        WinRig rig;
        ASSERT_TRUE(rig.ok());
        rig.Address();
        rig.window->callCore([&] { rig.face().Show(id, true); });
        rig.Sent();
        // The click as the button reports it to its window.
        SendMessageW(rig.control(id), BM_CLICK, 0, 0);
        EXPECT_EQ(rig.Sent(), std::vector<std::string>{sent}) << id;
    }
}

TEST(FaceWindow, ComputerKeyboardPlaysTheKeypad) {
    struct Case {
        wchar_t ch;
        bool taken;
        std::vector<std::string> sent;
    };
    const Case cases[] = {
        {L'7', true, {"KEY: 7"}}, {L'*', true, {"KEY: 10"}}, {L'#', true, {"KEY: 11"}},
        {L'a', false, {}},        {L'+', false, {}},
    };
    for (const Case& c : cases) {
        WinRig rig;
        ASSERT_TRUE(rig.ok());
        rig.Address();
        rig.window->callCore([&] { rig.dlg->ShowDialpadScreen(); });
        rig.Sent();
        MSG msg{};
        msg.hwnd = rig.window->hwnd();
        msg.message = WM_CHAR;
        msg.wParam = c.ch;
        EXPECT_EQ(rig.window->preTranslate(msg), c.taken) << static_cast<char>(c.ch);
        EXPECT_EQ(rig.Sent(), c.sent) << static_cast<char>(c.ch);
    }
}

TEST(FaceWindow, TypedTextReachesTheDialogBeforeItsHandlerRuns) {
    WinRig rig;
    ASSERT_TRUE(rig.ok());
    rig.window->callCore([&] { rig.face().Show(Ctl::EntryEdit, true); });
    SetWindowTextW(rig.control(Ctl::EntryEdit), L"55\u00e9");
    SendMessageW(rig.control(Ctl::EntryEdit), EM_SETSEL, 1, 2);
    std::string seen;
    int selStart = -1;
    rig.window->callCore([&] {
        seen = rig.face().Text(Ctl::EntryEdit);
        selStart = rig.face().Get(Ctl::EntryEdit).selStart;
    });
    EXPECT_EQ(seen, "55\xE9");
    EXPECT_EQ(selStart, 1);
}

TEST(FaceWindow, PhonebookRowsShowAsTheModelHoldsThem) {
    WinRig rig;
    ASSERT_TRUE(rig.ok());
    rig.Address();
    // 999 contacts (items 1 to 999), as a phone sends them: many rows to a datagram.
    std::string chunk;
    int sentRows = 0;
    for (int i = 1; i <= 999; ++i) {
        chunk += std::to_string(i) + " " + std::to_string(5550000 + i) + " Contact^" +
                 std::to_string(i) + ";";
        if (chunk.size() > 3500 || i == 999) {
            rig.Receive("PBOOK: -1 " + chunk);
            sentRows = i;
            chunk.clear();
        }
    }
    ASSERT_EQ(sentRows, 999);
    HWND list = rig.control(Ctl::PhonebookList);
    const ListData& model = rig.face().List(Ctl::PhonebookList);
    ASSERT_EQ(model.rows.size(), 999u);
    EXPECT_EQ(ListView_GetItemCount(list), 999);
    // The columns fit the list's width: no scrolling sideways to read a number.
    RECT client{};
    GetClientRect(list, &client);
    int total = 0;
    for (std::size_t col = 0; col < model.columns.size(); ++col)
        total += ListView_GetColumnWidth(list, static_cast<int>(col));
    EXPECT_LE(total, client.right) << "columns " << total << ", room " << client.right;
    EXPECT_EQ(GetWindowLongPtrW(list, GWL_STYLE) & WS_HSCROLL, 0);
    for (int row : {0, 1, 500, 998})
        for (std::size_t col = 0; col < model.columns.size(); ++col)
            EXPECT_EQ(WinRig::Cell(list, row, static_cast<int>(col)),
                      model.rows[static_cast<std::size_t>(row)].texts[col])
                << row << "," << col;
}

TEST(FaceWindow, EscapeEndsTheDialogAndClosesTheWindow) {
    WinRig rig;
    ASSERT_TRUE(rig.ok());
    rig.Address();
    rig.Sent();
    SendMessageW(rig.window->hwnd(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(rig.adapter->ended());
    EXPECT_EQ(rig.window->hwnd(), nullptr);
    const std::vector<std::string> sent = rig.Sent();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back().rfind("STOP:", 0), 0u) << sent.back();
}

} // namespace
} // namespace orvane::test

namespace orvane::test {
namespace {

// The font a control writes with, its pixel height, and how wide `text` comes out in it.
struct Written {
    int px = 0;
    int width = 0;
};
Written WrittenIn(HWND hwnd, const std::string& text) {
    auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    LOGFONTW look{};
    GetObjectW(font, sizeof look, &look);
    HDC dc = GetDC(hwnd);
    HGDIOBJ before = SelectObject(dc, font);
    const std::wstring wide = wintext::ToWide(text);
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    SelectObject(dc, before);
    ReleaseDC(hwnd, dc);
    return {std::abs(look.lfHeight), size.cx};
}

TEST(FaceWindow, AOneLineTextWiderThanItsLineIsWrittenSmallerAndWhole) {
    WinRig rig;
    ASSERT_TRUE(rig.ok());
    for (int id : {Ctl::DisplayLine1, Ctl::DisplayLine0}) {
        HWND line = rig.control(id);
        rig.window->callCore([&] { rig.face().SetText(id, "5"); });
        const int full = WrittenIn(line, "5").px;
        RECT client{};
        GetClientRect(line, &client);
        const int room = client.right - 2;
        // Just too wide for the line in its own size.
        std::string wide = "Transferred to 0301234567";
        while (WrittenIn(line, wide).width <= room)
            wide += " Front";
        struct Case {
            std::string text;
            bool smaller; // written in a smaller size than the line's own
            bool whole;   // fits the line (a text too long for the smallest size is cut)
        };
        const Case cases[] = {
            {"Line 1", false, true}, {wide, true, true},    {std::string(300, 'W'), true, false},
            {"", false, true},       {"Back", false, true}, // a short text again: the line's own
                                                            // size
        };
        for (const Case& c : cases) {
            rig.window->callCore([&] { rig.face().SetText(id, c.text); });
            EXPECT_EQ(WinRig::Text(line), c.text) << id;
            const Written w = WrittenIn(line, c.text);
            EXPECT_EQ(w.px < full, c.smaller) << id << " " << c.text << ": " << w.px;
            EXPECT_EQ(w.width <= room, c.whole) << id << " " << c.text << ": " << w.width;
            if (!c.whole) {
                EXPECT_EQ(w.px, 8) << id << " " << c.text; // as small as it is made, no smaller
            }
        }
    }
}

} // namespace
} // namespace orvane::test

namespace orvane::test {
namespace {

// Pixels of the tag's green along the edit's middle row, as painted on the screen.
int TagGreenPixels(HWND edit) {
    RedrawWindow(edit, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    GdiFlush();
    RECT client{};
    GetClientRect(edit, &client);
    HDC dc = GetDC(edit);
    int green = 0;
    for (int x = 0; x < client.right; ++x)
        if (GetPixel(dc, x, client.bottom / 2 + 2) == RGB(0x1f, 0x7a, 0x2e)) ++green;
    ReleaseDC(edit, dc);
    return green;
}

TEST(FaceWindow, TheEntryInConsoleModeCarriesItsTag) {
    WinRig rig;
    ASSERT_TRUE(rig.ok());
    ShowWindow(rig.window->hwnd(), SW_SHOWNA);
    int plain = 0;
    {
        // Shown without the console: no tag, the text has the whole width.
        HWND edit = rig.control(Ctl::EntryEdit);
        rig.window->callCore([&] { rig.face().Show(Ctl::EntryEdit, true); });
        plain = HIWORD(SendMessageW(edit, EM_GETMARGINS, 0, 0));
        EXPECT_EQ(TagGreenPixels(edit), 0);
        rig.window->callCore([&] { rig.face().Show(Ctl::EntryEdit, false); });
    }
    struct Step {
        const char* what;
        std::function<void(WinRig&)> act;
        bool tagged;
    };
    const Step steps[] = {
        {"console on (Alt+L)", [](WinRig& r) { r.adapter->command(Ctl::LinuxSecret); }, true},
        {"a line typed",
         [](WinRig& r) { r.face().UserSetText(Ctl::EntryEdit, std::string(80, 'x')); }, true},
        {"console off", [](WinRig& r) { r.adapter->command(Ctl::LinuxSecret); }, false},
        {"console on again", [](WinRig& r) { r.adapter->command(Ctl::LinuxSecret); }, true},
    };
    for (const Step& s : steps) {
        rig.window->callCore([&] { s.act(rig); });
        HWND edit = rig.control(Ctl::EntryEdit);
        // Off, the display comes back over a hidden entry; a tag left on it would show
        // the next time the entry does.
        ASSERT_EQ(WinRig::Shown(edit), s.tagged) << s.what;
        const auto margins = static_cast<DWORD>(SendMessageW(edit, EM_GETMARGINS, 0, 0));
        const int right = HIWORD(margins);
        if (s.tagged) {
            // The text keeps clear of a tag wide enough for its word, drawn at the right end.
            EXPECT_GT(right, plain + 20) << s.what;
            EXPECT_GT(TagGreenPixels(edit), 4) << s.what;
        } else {
            EXPECT_EQ(right, plain) << s.what;
        }
    }
}

} // namespace
} // namespace orvane::test

namespace orvane::test {
namespace {

// Pixels in a list row's cell, within the given part of its height, that differ from the
// row's ground: where text was drawn.
int InkIn(HWND list, int row, int column, double fromTop, double toTop) {
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    GdiFlush();
    RECT bounds{};
    RECT heading{};
    ListView_GetItemRect(list, row, &bounds, LVIR_BOUNDS);
    Header_GetItemRect(ListView_GetHeader(list), column, &heading);
    HDC dc = GetDC(list);
    const COLORREF ground = GetPixel(dc, bounds.left + heading.left + 1, bounds.top + 1);
    const int height = bounds.bottom - bounds.top;
    int ink = 0;
    for (int y = bounds.top + static_cast<int>(height * fromTop);
         y < bounds.top + static_cast<int>(height * toTop); ++y)
        for (int x = bounds.left + heading.left + 2; x < bounds.left + heading.right - 2; ++x)
            if (GetPixel(dc, x, y) != ground) ++ink;
    ReleaseDC(list, dc);
    return ink;
}

int LineHeight(HWND hwnd) {
    HDC dc = GetDC(hwnd);
    HGDIOBJ before =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, before);
    ReleaseDC(hwnd, dc);
    return metrics.tmHeight;
}

TEST(FaceWindow, CallLogTooWideForOneLineShowsTwoLineRows) {
    WinRig rig;
    ASSERT_TRUE(rig.ok());
    ShowWindow(rig.window->hwnd(), SW_SHOWNA);
    rig.Address();
    rig.Receive("CALLS: -1 1 2 030123456789 Jo^Ann^Lee 2024-01-02^10:00 10:00 00:01:05; "
                "2 0 0301111222333 Robert^Example Mon^1 9:00 00:12:40;"
                "3 1 888 Al Tue 8:00 7s;");
    HWND list = rig.control(Ctl::CallLogList);
    ASSERT_TRUE(WinRig::Shown(list));
    const ListData& model = rig.face().List(Ctl::CallLogList);
    ASSERT_EQ(ListView_GetItemCount(list), 3);
    const int line = LineHeight(list);

    // Number, time and duration stand in the name's and the date's cells, not on their own.
    struct Column {
        const char* heading;
        bool own; // a column of its own, with a width
    } const columns[] = {{" ", true},    {"Name", true},  {"Number", false},
                         {"Date", true}, {"Time", false}, {"Duration", false}};
    ASSERT_EQ(model.columns.size(), std::size(columns));
    RECT client{};
    GetClientRect(list, &client);
    int total = 0;
    for (std::size_t i = 0; i < std::size(columns); ++i) {
        EXPECT_EQ(model.columns[i].heading, columns[i].heading);
        const int width = ListView_GetColumnWidth(list, static_cast<int>(i));
        EXPECT_EQ(width > 0, columns[i].own) << columns[i].heading << ": " << width;
        total += width;
    }
    // Everything fits the list's width: no scrolling sideways.
    EXPECT_LE(total, client.right);
    EXPECT_EQ(GetWindowLongPtrW(list, GWL_STYLE) & WS_HSCROLL, 0);

    // Rows and headings are two lines high, and both lines carry text.
    RECT row{};
    ListView_GetItemRect(list, 0, &row, LVIR_BOUNDS);
    EXPECT_GE(row.bottom - row.top, 2 * line);
    RECT header{};
    GetWindowRect(ListView_GetHeader(list), &header);
    EXPECT_GE(header.bottom - header.top, 2 * line);
    for (int r = 0; r < 3; ++r) {
        for (int column : {1, 3}) {
            EXPECT_GT(InkIn(list, r, column, 0.0, 0.5), 10) << "row " << r << ", " << column;
            EXPECT_GT(InkIn(list, r, column, 0.5, 1.0), 10) << "row " << r << ", " << column;
        }
    }
    // The list's cells stay what the model holds (the number is still the number).
    for (std::size_t col = 0; col < model.columns.size(); ++col)
        EXPECT_EQ(WinRig::Cell(list, 1, static_cast<int>(col)), model.rows[1].texts[col]);

    // A list whose columns fit keeps rows of one line.
    rig.Receive("PBOOK: -1 1 5551234 Ann;2 5555678 Bob;");
    HWND phonebook = rig.control(Ctl::PhonebookList);
    ListView_GetItemRect(phonebook, 0, &row, LVIR_BOUNDS);
    EXPECT_LT(row.bottom - row.top, 2 * LineHeight(phonebook));
    for (int col = 0; col < static_cast<int>(rig.face().List(Ctl::PhonebookList).columns.size());
         ++col)
        EXPECT_GT(ListView_GetColumnWidth(phonebook, col), 0) << col;
}

TEST(FaceWindow, ConsoleTagIsMeasuredAgainAfterAChangeOfScreenDensity) {
    WinRig rig;
    ASSERT_TRUE(rig.ok());
    ShowWindow(rig.window->hwnd(), SW_SHOWNA);
    rig.window->callCore([&] { rig.adapter->command(Ctl::LinuxSecret); });
    HWND edit = rig.control(Ctl::EntryEdit);
    ASSERT_TRUE(WinRig::Shown(edit));
    const int before = HIWORD(SendMessageW(edit, EM_GETMARGINS, 0, 0));
    const int greenBefore = TagGreenPixels(edit);
    ASSERT_GT(greenBefore, 4);

    // Moved to a screen of twice the density.
    HWND window = rig.window->hwnd();
    RECT place{};
    GetWindowRect(window, &place);
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&place));

    // The text keeps clear of the tag in its new size, as wide as the word now needs.
    const int after = HIWORD(SendMessageW(edit, EM_GETMARGINS, 0, 0));
    EXPECT_GT(after, before + (before - 2) / 2) << before << " -> " << after;
    EXPECT_GT(TagGreenPixels(edit), greenBefore) << greenBefore;
}

} // namespace
} // namespace orvane::test
