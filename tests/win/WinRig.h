// The real Windows face window over the dialog with the core's fake ports: what the window
// shows is read back with Win32 calls, what the dialog sent from the fake socket.
#pragma once

#include "DialerAdapter.h"
#include "FaceWindow.h"
#include "FakePorts.h"
#include "WinText.h"

#include <commctrl.h>

#include <memory>
#include <string>

namespace orvane::test {

struct WinRig {
    FakeDatagramPort socket;
    FakeTimerHost timers;
    FakeDialogs dialogs;
    FakeSettings settings;
    FakePlatform platform;
    std::unique_ptr<CDialerDlg> dlg;
    std::unique_ptr<DialerAdapter> adapter;
    std::unique_ptr<FaceWindow> window;

    // The window made and the dialog started, as the program starts them.
    explicit WinRig(SettingsBackend* store = nullptr) {
        dlg = std::make_unique<CDialerDlg>(CDialerDlg::Ports{
            socket, timers, dialogs, store != nullptr ? *store : settings, platform});
        adapter = std::make_unique<DialerAdapter>(*dlg);
        window = std::make_unique<FaceWindow>(*adapter);
        if (!window->create()) return;
        window->initDialog("C:\\nonexistent\\PrivateContacts.txt");
        window->callCore([this] { adapter->socketWritable(); });
    }
    bool ok() const { return window->hwnd() != nullptr; }
    FaceModel& face() { return dlg->Face(); }
    HWND control(int id) { return window->control(id); }

    // Addresses the dialer at a phone without the login conversation.
    void Address(const std::string& addr = "10.77.0.11") { dlg->Socket().SetDeviceAddr(addr); }
    // One datagram through the window's own path into the dialog.
    void Receive(const std::string& text, const std::string& from = "10.77.0.11") {
        socket.inbox.push_back({text, from, 8888, 0});
        window->callCore([this] { adapter->socketReadable(); });
    }
    std::vector<std::string> Sent() { return socket.TakeTexts(); }

    // What a control shows.
    static std::string Text(HWND hwnd) {
        wchar_t buffer[1024] = {};
        GetWindowTextW(hwnd, buffer, 1024);
        return wintext::ToModel(buffer);
    }
    static bool Shown(HWND hwnd) { return (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0; }
    // A list view's cell as the view asks the window for it.
    static std::string Cell(HWND list, int row, int column) {
        wchar_t buffer[256] = {};
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = buffer;
        item.cchTextMax = 256;
        SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&item));
        return wintext::ToModel(buffer);
    }
    // Where a control lies in the window's client area.
    RECT Place(HWND hwnd) {
        RECT r{};
        GetWindowRect(hwnd, &r);
        MapWindowPoints(nullptr, window->hwnd(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
};

} // namespace orvane::test
