// A 999-contact phonebook as a phone sends it (21 datagrams over 127.0.0.1) into the
// Windows program's real socket, dialog and window: from the first send until the list
// shows all 999 rows, painted, and how much of it went to painting. Baseline: the same
// datagrams read by a bare Winsock socket. Beside it, what painting alone costs: a bare
// list view as large as the phonebook's, with its columns, font and pictures, given the
// same 999 rows at once and painted. Prints "phonebook", "painting", "bare" and "listview",
// each the median in microseconds of 15 rounds. Run inside the sealed network namespace.
#include "DialerAdapter.h"
#include "FaceWindow.h"
#include "FakePorts.h"
#include "WinPorts.h"
#include "CDialerDlg.h"
#include "FaceIds.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> Datagrams() {
    std::vector<std::string> out;
    std::string chunk;
    for (int i = 1; i <= 999; ++i) {
        chunk += std::to_string(i) + " 0" + std::to_string(301234000 + i) + " Contact^Number^" +
                 std::to_string(i) + ";";
        if (chunk.size() > 1900 || i == 999) {
            out.push_back("PBOOK: -1 " + chunk);
            chunk.clear();
        }
    }
    return out;
}

SOCKET Sender() {
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<const sockaddr*>(&any), sizeof any);
    return s;
}

void SendAll(SOCKET s, std::uint16_t port, const std::vector<std::string>& datagrams) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(port);
    for (const std::string& d : datagrams)
        sendto(s, d.c_str(), static_cast<int>(d.size() + 1), 0,
               reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double Since(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

// Dispatches what is waiting; adds the time the windows took to paint to `painting`.
void Pump(double* painting = nullptr) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        const auto start = Clock::now();
        DispatchMessageW(&msg);
        if (painting != nullptr && msg.message == WM_PAINT) *painting += Since(start);
    }
}

// A bare list view in a window of its own: owner data, its texts ready in memory.
struct BareList {
    std::vector<std::vector<std::wstring>> texts;
    HWND frame = nullptr;
    HWND list = nullptr;

    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NOTIFY) {
            auto* self = reinterpret_cast<BareList*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
            auto* info = reinterpret_cast<NMLVDISPINFOW*>(lParam);
            if (self != nullptr && info->hdr.code == LVN_GETDISPINFOW) {
                const auto row = static_cast<std::size_t>(info->item.iItem);
                const auto column = static_cast<std::size_t>(info->item.iSubItem);
                if ((info->item.mask & LVIF_TEXT) != 0 && row < self->texts.size() &&
                    column < self->texts[row].size())
                    lstrcpynW(info->item.pszText, self->texts[row][column].c_str(),
                              info->item.cchTextMax);
                if ((info->item.mask & LVIF_IMAGE) != 0) info->item.iImage = column == 0 ? 0 : -1;
                return 0;
            }
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    // As large as `model`, with its columns, font, pictures and the texts of its rows.
    explicit BareList(HWND model) {
        WNDCLASSW cls{};
        cls.lpfnWndProc = Proc;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.lpszClassName = L"BareListFrame";
        cls.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        RegisterClassW(&cls);
        RECT r{};
        GetClientRect(model, &r);
        frame = CreateWindowExW(0, cls.lpszClassName, L"Bare list", WS_POPUP | WS_VISIBLE, 0, 0,
                                r.right + 8, r.bottom + 8, nullptr, nullptr, cls.hInstance,
                                nullptr);
        SetWindowLongPtrW(frame, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        const auto style = GetWindowLongPtrW(model, GWL_STYLE);
        list = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                               static_cast<DWORD>(style) | LVS_SHAREIMAGELISTS, 0, 0,
                               r.right + 4, r.bottom + 4, frame, nullptr, cls.hInstance, nullptr);
        ListView_SetExtendedListViewStyle(list, ListView_GetExtendedListViewStyle(model));
        SendMessageW(list, WM_SETFONT, SendMessageW(model, WM_GETFONT, 0, 0), FALSE);
        ListView_SetImageList(list, ListView_GetImageList(model, LVSIL_SMALL), LVSIL_SMALL);
        wchar_t text[256];
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.pszText = text;
        column.cchTextMax = 256;
        int columns = 0;
        for (; ListView_GetColumn(model, columns, &column) != FALSE; ++columns)
            ListView_InsertColumn(list, columns, &column);
        for (int row = 0; row < ListView_GetItemCount(model); ++row) {
            texts.emplace_back();
            for (int c = 0; c < columns; ++c) {
                ListView_GetItemText(model, row, c, text, 256);
                texts.back().emplace_back(text);
            }
        }
    }
    ~BareList() { DestroyWindow(frame); }

    // Empty and painted, then all rows at once, painted: the second part's time.
    double Fill() {
        ListView_SetItemCountEx(list, 0, 0);
        RedrawWindow(list, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
        Pump();
        const auto start = Clock::now();
        ListView_SetItemCountEx(list, static_cast<int>(texts.size()), LVSICF_NOSCROLL);
        RedrawWindow(list, nullptr, nullptr,
                     RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        GdiFlush();
        return Since(start);
    }
};

} // namespace

int main() {
    constexpr int kRounds = 15;
    const std::vector<std::string> datagrams = Datagrams();
    WinDatagramPort socket;
    orvane::test::FakeTimerHost timers; // the start-up search stays off
    WinDialogs dialogs;
    orvane::test::FakeSettings settings;
    WinPlatform platform;
    orvane::CDialerDlg dialog({socket, timers, dialogs, settings, platform});
    DialerAdapter adapter(dialog);
    FaceWindow window(adapter);
    if (!window.create()) return 1;
    window.setSocket(&socket);
    socket.attach(&window);
    dialogs.attach(&window);
    window.initDialog("PrivateContacts.txt");
    ShowWindow(window.hwnd(), SW_SHOW);
    window.callCore([&] {
        dialog.Socket().SetDeviceAddr("127.0.0.1");
        dialog.ShowPhonebookScreen();
    });
    HWND list = window.control(orvane::Ctl::PhonebookList);
    SOCKET sender = Sender();
    std::vector<double> shown, painted;
    for (int round = 0; round < kRounds; ++round) {
        SendAll(sender, socket.localPort(), {std::string("PBOOK: -1 ")});
        while (ListView_GetItemCount(list) != 0) {
            MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            Pump();
        }
        RedrawWindow(window.hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        double painting = 0;
        const auto start = Clock::now();
        SendAll(sender, socket.localPort(), datagrams);
        while (ListView_GetItemCount(list) < 999) {
            MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            Pump(&painting);
        }
        const auto last = Clock::now();
        RedrawWindow(window.hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        GdiFlush();
        painting += Since(last);
        shown.push_back(Since(start));
        painted.push_back(painting);
    }
    std::vector<double> bareList;
    {
        BareList bareView(list);
        for (int round = 0; round < kRounds; ++round)
            bareList.push_back(bareView.Fill());
    }
    // The same datagrams, read by a bare socket.
    SOCKET bare = Sender();
    sockaddr_in local{};
    int length = sizeof local;
    getsockname(bare, reinterpret_cast<sockaddr*>(&local), &length);
    std::vector<double> read;
    static char buffer[65536];
    for (int round = 0; round < kRounds; ++round) {
        const auto start = Clock::now();
        SendAll(sender, ntohs(local.sin_port), datagrams);
        for (std::size_t got = 0; got < datagrams.size();)
            if (recv(bare, buffer, sizeof buffer, 0) > 0) ++got;
        read.push_back(Since(start));
    }
    std::printf("phonebook %.0f\npainting %.0f\nbare %.0f\nlistview %.0f\ndatagrams %zu\n",
                Median(shown), Median(painted), Median(read), Median(bareList), datagrams.size());
    socket.attach(nullptr);
    dialogs.attach(nullptr);
    return 0;
}
