// The Windows ports: the datagram socket with the system's own error numbers, and a
// datagram's way from the network through the window's message loop into the face.
#include "FaceWindow.h"
#include "FakePorts.h"
#include "WinPorts.h"

#include "FaceIds.h"

#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace orvane::test {
namespace {

TEST(DatagramPort, FailuresGiveTheSystemsErrorNumbers) {
    WinDatagramPort port;
    ASSERT_TRUE(port.Create());
    EXPECT_NE(port.localPort(), 0);
    const char data[] = "KEY: 1";
    struct Case {
        const char* host;
        int error;
    };
    // Refused before any lookup: nothing leaves the machine.
    const Case badHosts[] = {{"", WSAEINVAL}, {"   ", WSAEINVAL}, {"::1", WSAEINVAL}};
    for (const Case& c : badHosts) {
        EXPECT_FALSE(port.SendTo(data, sizeof data, c.host, 8888)) << c.host;
        EXPECT_EQ(port.LastError(), c.error) << c.host;
    }
    char buffer[64];
    std::string from;
    unsigned fromPort = 0;
    EXPECT_EQ(port.ReceiveFrom(buffer, sizeof buffer, from, fromPort), -1);
    EXPECT_EQ(port.LastError(), WSAEWOULDBLOCK);
    port.Close();
    EXPECT_FALSE(port.SendTo(data, sizeof data, "127.0.0.1", 8888));
    EXPECT_EQ(port.LastError(), WSAENOTSOCK);
    EXPECT_EQ(port.ReceiveFrom(buffer, sizeof buffer, from, fromPort), -1);
    EXPECT_EQ(port.LastError(), WSAENOTSOCK);
    EXPECT_FALSE(port.SetBroadcast(true));
    EXPECT_EQ(port.LastError(), WSAENOTSOCK);
}

// The real socket, dialog and window; the dialog controls a phone at 127.0.0.1.
struct LiveRig {
    WinDatagramPort socket;
    FakeTimerHost timers;
    FakeDialogs dialogs;
    FakeSettings settings;
    FakePlatform platform;
    CDialerDlg dialog{CDialerDlg::Ports{socket, timers, dialogs, settings, platform}};
    DialerAdapter adapter{dialog};
    FaceWindow window{adapter};

    explicit LiveRig(const char* phone = "127.0.0.1") {
        if (!window.create()) return;
        window.setSocket(&socket);
        socket.attach(&window);
        window.initDialog("C:\\nonexistent\\PrivateContacts.txt");
        window.callCore([this, phone] {
            dialog.Socket().SetDeviceAddr(phone);
            dialog.ShowPhonebookScreen();
        });
    }
    ~LiveRig() { socket.attach(nullptr); }

    // Sends from a socket bound to `from`, a local address, to the dialog's socket; false
    // when `from` is not an address of this machine.
    bool SendFrom(const char* from, const std::string& text) {
        SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        inet_pton(AF_INET, from, &local.sin_addr);
        if (bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
            closesocket(s);
            return false;
        }
        // To the dialog's socket (bound to every address) at the sender's own address: a
        // datagram to 127.0.0.1 from another address never arrives.
        sockaddr_in to = local;
        to.sin_port = htons(socket.localPort());
        sendto(s, text.c_str(), static_cast<int>(text.size() + 1), 0,
               reinterpret_cast<const sockaddr*>(&to), sizeof to);
        closesocket(s);
        return true;
    }
    // Runs the message loop until `done` holds or `ms` have passed.
    template <typename F> bool PumpUntil(F done, int ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            MsgWaitForMultipleObjectsEx(0, nullptr, 20, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        return true;
    }
    int Rows() { return ListView_GetItemCount(window.control(Ctl::PhonebookList)); }
};

// Counts the row counts a list view is given, as it gets them.
struct CountWatch {
    static inline WNDPROC original = nullptr;
    static inline int counts = 0;
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == LVM_SETITEMCOUNT) ++counts;
        return CallWindowProcW(original, hwnd, message, wParam, lParam);
    }
    HWND list;
    explicit CountWatch(HWND watched) : list(watched) {
        counts = 0;
        original = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
    }
    ~CountWatch() { SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original)); }
};

std::string Cell(HWND list, int row, int column) {
    wchar_t buffer[256] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 256;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    std::string out;
    for (const wchar_t* c = buffer; *c != 0; ++c)
        out += static_cast<char>(*c);
    return out;
}

TEST(DatagramPort, ABurstOfListDatagramsIsShownAsOneChange) {
    // Datagrams waiting in the socket together reach the list view as one row count, the
    // view visible and every row's text the model's; a single datagram as well.
    struct Case {
        int datagrams;
        int rowsEach;
    };
    const Case cases[] = {{1, 3}, {12, 40}};
    for (const Case& c : cases) {
        LiveRig rig;
        ASSERT_NE(rig.window.hwnd(), nullptr);
        ShowWindow(rig.window.hwnd(), SW_SHOWNA);
        HWND list = rig.window.control(Ctl::PhonebookList);
        ASSERT_TRUE(IsWindowVisible(list));
        CountWatch watch(list);
        int number = 0;
        for (int d = 0; d < c.datagrams; ++d) {
            std::string text = "PBOOK: -1 ";
            for (int r = 0; r < c.rowsEach; ++r) {
                ++number;
                text += std::to_string(number) + " 0" + std::to_string(301234000 + number) +
                        " Contact^" + std::to_string(number) + ";";
            }
            ASSERT_TRUE(rig.SendFrom("127.0.0.1", text));
        }
        const int all = c.datagrams * c.rowsEach;
        EXPECT_TRUE(rig.PumpUntil([&] { return rig.Rows() == all; }, 5000))
            << c.datagrams << ": " << rig.Rows();
        rig.PumpUntil([] { return false; }, 100);
        EXPECT_EQ(CountWatch::counts, 1) << c.datagrams;
        EXPECT_TRUE(IsWindowVisible(list)) << c.datagrams;
        const ListData& model = rig.dialog.Face().List(Ctl::PhonebookList);
        ASSERT_EQ(static_cast<int>(model.rows.size()), all);
        for (int row : {0, all / 2, all - 1})
            for (std::size_t col = 0; col < model.columns.size(); ++col)
                EXPECT_EQ(Cell(list, row, static_cast<int>(col)),
                          model.rows[static_cast<std::size_t>(row)].texts.size() > col
                              ? model.rows[static_cast<std::size_t>(row)].texts[col]
                              : std::string())
                    << c.datagrams << " row " << row << " column " << col;
    }
}

TEST(DatagramPort, DatagramsWaitingTogetherAreAllHandledInOrder) {
    // One contact to a datagram, all sent before the window reads any: every one reaches
    // the list, in the order sent, and the list is shown and painted whole afterwards (its
    // scroll bar covering the rows, its header as wide as the rows beside the bar).
    for (const int datagrams : {2, 40, 600}) {
        LiveRig rig;
        ASSERT_NE(rig.window.hwnd(), nullptr);
        ShowWindow(rig.window.hwnd(), SW_SHOWNA);
        HWND list = rig.window.control(Ctl::PhonebookList);
        ASSERT_TRUE(IsWindowVisible(list));
        for (int i = 1; i <= datagrams; ++i)
            ASSERT_TRUE(rig.SendFrom("127.0.0.1", "PBOOK: -1 " + std::to_string(i) + " 0" +
                                                      std::to_string(301234000 + i) + " Contact^" +
                                                      std::to_string(i) + ";"));
        EXPECT_TRUE(rig.PumpUntil([&] { return rig.Rows() == datagrams; }, 10000))
            << datagrams << ": " << rig.Rows();
        rig.PumpUntil([] { return false; }, 100);
        ASSERT_EQ(rig.Rows(), datagrams);
        const ListData& model = rig.dialog.Face().List(Ctl::PhonebookList);
        ASSERT_EQ(static_cast<int>(model.rows.size()), datagrams);
        int name = -1;
        for (std::size_t col = 0; col < model.columns.size(); ++col)
            if (model.columns[col].heading == "Name") name = static_cast<int>(col);
        ASSERT_GE(name, 0);
        for (int row = 0; row < datagrams; ++row)
            ASSERT_EQ(Cell(list, row, name), "Contact^" + std::to_string(row + 1))
                << datagrams << " row " << row;
        EXPECT_TRUE(IsWindowVisible(list)) << datagrams;
        EXPECT_TRUE(IsWindowVisible(ListView_GetHeader(list))) << datagrams;
        RECT pending{};
        EXPECT_FALSE(GetUpdateRect(list, &pending, FALSE)) << datagrams;
        RECT client{};
        GetClientRect(list, &client);
        RECT header{};
        GetWindowRect(ListView_GetHeader(list), &header);
        EXPECT_EQ(header.right - header.left, client.right) << datagrams;
        const int perPage = ListView_GetCountPerPage(list);
        SCROLLINFO bar{};
        bar.cbSize = sizeof bar;
        bar.fMask = SIF_ALL;
        const bool hasBar = (GetWindowLongPtrW(list, GWL_STYLE) & WS_VSCROLL) != 0;
        EXPECT_EQ(hasBar, datagrams > perPage) << datagrams << " rows, " << perPage << " a page";
        if (hasBar) {
            ASSERT_TRUE(GetScrollInfo(list, SB_VERT, &bar));
            EXPECT_EQ(bar.nMax, datagrams - 1) << datagrams;
        }
    }
}

TEST(DatagramPort, OneRowIsSelectedAtATimeAfterABurst) {
    // The view's selection follows the model's: a row chosen later takes it from the one
    // before, also when the rows came in a burst.
    LiveRig rig;
    ASSERT_NE(rig.window.hwnd(), nullptr);
    ShowWindow(rig.window.hwnd(), SW_SHOWNA);
    HWND list = rig.window.control(Ctl::PhonebookList);
    std::string text = "PBOOK: -1 ";
    for (int i = 1; i <= 50; ++i)
        text += std::to_string(i) + " 0" + std::to_string(301234000 + i) + " Contact^" +
                std::to_string(i) + ";";
    ASSERT_TRUE(rig.SendFrom("127.0.0.1", text));
    ASSERT_TRUE(rig.PumpUntil([&] { return rig.Rows() == 50; }, 5000));
    auto selected = [list] {
        std::vector<int> rows;
        for (int row = ListView_GetNextItem(list, -1, LVNI_SELECTED); row >= 0;
             row = ListView_GetNextItem(list, row, LVNI_SELECTED))
            rows.push_back(row);
        return rows;
    };
    for (const int row : {5, 40, 0, 49}) {
        rig.window.callCore([&] { rig.dialog.Face().ListSelect(Ctl::PhonebookList, row); });
        EXPECT_EQ(selected(), std::vector<int>{row});
        EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_FOCUSED), row);
    }
    rig.window.callCore([&] { rig.dialog.Face().ListSelect(Ctl::PhonebookList, -1); });
    EXPECT_EQ(selected(), std::vector<int>{});
}

TEST(DatagramPort, AListLeftForTheBurstsEndIsShownByAnyOtherCall) {
    // A datagram handled as part of a burst leaves the list view behind; the burst's end,
    // or any other call into the dialog first (a key, a timer), brings it in step.
    struct Case {
        const char* what;
        std::function<void(FaceWindow&)> then;
    };
    const Case cases[] = {
        {"burst ends", [](FaceWindow& w) { w.flushLists(); }},
        {"another call", [](FaceWindow& w) { w.callCore([] {}); }},
    };
    for (const Case& c : cases) {
        FakeDatagramPort socket;
        FakeTimerHost timers;
        FakeDialogs dialogs;
        FakeSettings settings;
        FakePlatform platform;
        CDialerDlg dialog{CDialerDlg::Ports{socket, timers, dialogs, settings, platform}};
        DialerAdapter adapter{dialog};
        FaceWindow window{adapter};
        ASSERT_TRUE(window.create());
        window.initDialog("C:\\nonexistent\\PrivateContacts.txt");
        window.callCore([&] {
            adapter.socketWritable();
            dialog.Socket().SetDeviceAddr("10.77.0.11");
            dialog.ShowPhonebookScreen();
        });
        HWND list = window.control(Ctl::PhonebookList);
        socket.inbox.push_back(
            {"PBOOK: -1 1 0301234 Front^Desk;2 0305678 Lobby;", "10.77.0.11", 8888, 0});
        window.callCoreInBurst([&] { adapter.socketReadable(); });
        EXPECT_EQ(ListView_GetItemCount(list), 0) << c.what;
        EXPECT_GT(window.listsWaitingMs(), 0u) << c.what;
        c.then(window);
        EXPECT_EQ(ListView_GetItemCount(list), 2) << c.what;
        EXPECT_EQ(window.listsWaitingMs(), 0u) << c.what;
        const ListData& model = dialog.Face().List(Ctl::PhonebookList);
        ASSERT_EQ(model.rows.size(), 2u) << c.what;
        for (std::size_t col = 0; col < model.rows[1].texts.size(); ++col)
            EXPECT_EQ(Cell(list, 1, static_cast<int>(col)), model.rows[1].texts[col]) << c.what;
        EXPECT_NE(model.rows[1].texts.size(), 0u) << c.what;
    }
}

TEST(DatagramPort, AWindowThatTakesTheSocketOverHearsItAfterAHandOverWasLost) {
    // The socket's notice has taken a datagram off the socket and queued its hand-over to
    // the window; the window goes before the hand-over runs. The window that takes the
    // socket over gets that datagram and every later one.
    LiveRig rig;
    HWND first = rig.window.hwnd();
    ASSERT_NE(first, nullptr);
    MSG msg;
    // A handle is used again: what an earlier test's window left queued is not ours.
    while (PeekMessageW(&msg, first, winmsg::Socket, winmsg::Writable, PM_REMOVE)) {
    }
    ASSERT_TRUE(rig.SendFrom("127.0.0.1", "PBOOK: -1 1 0301234 Front^Desk;"));
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (PeekMessageW(&msg, first, winmsg::Drain, winmsg::Drain, PM_NOREMOVE) == FALSE) {
        ASSERT_LT(std::chrono::steady_clock::now(), end) << "no hand-over was queued";
        MsgWaitForMultipleObjectsEx(0, nullptr, 20, QS_POSTMESSAGE, 0);
        while (PeekMessageW(&msg, first, winmsg::Socket, winmsg::Socket, PM_REMOVE))
            DispatchMessageW(&msg);
    }
    DestroyWindow(first); // its queued hand-over goes with it
    FaceWindow second{rig.adapter};
    ASSERT_TRUE(second.create());
    second.setSocket(&rig.socket);
    rig.socket.attach(&second);
    ASSERT_TRUE(rig.SendFrom("127.0.0.1", "PBOOK: -1 2 0305678 Lobby;"));
    HWND list = second.control(Ctl::PhonebookList);
    EXPECT_TRUE(rig.PumpUntil([&] { return ListView_GetItemCount(list) == 2; }, 5000))
        << ListView_GetItemCount(list);
    const ListData& model = rig.dialog.Face().List(Ctl::PhonebookList);
    ASSERT_EQ(model.rows.size(), 2u);
    for (int row = 0; row < 2; ++row)
        for (std::size_t col = 0; col < model.rows[static_cast<std::size_t>(row)].texts.size(); ++col)
            EXPECT_EQ(Cell(list, row, static_cast<int>(col)),
                      model.rows[static_cast<std::size_t>(row)].texts[col])
                << "row " << row << " column " << col;
    rig.socket.attach(nullptr);
}

TEST(DatagramPort, PhonesDatagramReachesTheFaceAndAStrangersDoesNot) {
    LiveRig rig;
    ASSERT_NE(rig.window.hwnd(), nullptr);
    // A stranger on the LAN (another address of this machine, in the sealed namespace)
    // first: its rows must never show.
    const bool strangerSent = rig.SendFrom("10.77.0.1", "PBOOK: -1 1 666 Stranger;");
    ASSERT_TRUE(rig.SendFrom("127.0.0.1", "PBOOK: -1 1 0301234 Front^Desk;2 0305678 Lobby;"));
    EXPECT_TRUE(rig.PumpUntil([&] { return rig.Rows() == 2; }, 5000)) << rig.Rows();
    rig.PumpUntil([] { return false; }, 200); // anything late would show by now
    EXPECT_EQ(rig.Rows(), 2);
    const ListData& list = rig.dialog.Face().List(Ctl::PhonebookList);
    ASSERT_EQ(list.rows.size(), 2u);
    for (const ListRow& row : list.rows)
        for (const std::string& text : row.texts)
            EXPECT_EQ(text.find("Stranger"), std::string::npos);
    if (!strangerSent) GTEST_SKIP() << "no second local address: run inside scripts/sealed-net";
}

TEST(DatagramPort, TheControlledPhonesAddressIsWhatCounts) {
    // The same datagram from the same sender, shown only while the sender is the phone.
    struct Case {
        const char* phone;
        int rows;
    };
    const Case cases[] = {{"10.77.0.1", 1}, {"10.77.0.99", 0}};
    for (const Case& c : cases) {
        LiveRig rig(c.phone);
        ASSERT_NE(rig.window.hwnd(), nullptr);
        if (!rig.SendFrom("10.77.0.1", "PBOOK: -1 1 0301234 Front^Desk;"))
            GTEST_SKIP() << "no address 10.77.0.1: run inside scripts/sealed-net";
        rig.PumpUntil([&] { return rig.Rows() == c.rows && c.rows > 0; }, 2000);
        EXPECT_EQ(rig.Rows(), c.rows) << c.phone;
    }
}

} // namespace
} // namespace orvane::test
