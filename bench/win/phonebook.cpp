// A 999-contact phonebook as a phone sends it (21 datagrams over 127.0.0.1) into the
// Windows program's real socket, dialog and window: from the first send until the list
// shows all 999 rows, painted. Baseline: the same datagrams read by a bare Winsock socket.
// Prints "phonebook MEDIAN-US" and "bare MEDIAN-US" (medians of 15 rounds). Run inside the
// sealed network namespace.
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

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

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
    std::vector<double> shown;
    for (int round = 0; round < kRounds; ++round) {
        SendAll(sender, socket.localPort(), {std::string("PBOOK: -1 ")});
        while (ListView_GetItemCount(list) != 0) {
            MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            Pump();
        }
        RedrawWindow(window.hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        const auto start = Clock::now();
        SendAll(sender, socket.localPort(), datagrams);
        while (ListView_GetItemCount(list) < 999) {
            MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            Pump();
        }
        RedrawWindow(window.hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        GdiFlush();
        shown.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
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
        read.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::printf("phonebook %.0f\nbare %.0f\ndatagrams %zu\n", Median(shown), Median(read),
                datagrams.size());
    socket.attach(nullptr);
    dialogs.attach(nullptr);
    return 0;
}
