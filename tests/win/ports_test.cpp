// The Windows ports: the datagram socket with the system's own error numbers, and a
// datagram's way from the network through the window's message loop into the face.
#include "FaceWindow.h"
#include "FakePorts.h"
#include "WinPorts.h"

#include "FaceIds.h"

#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <chrono>

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
