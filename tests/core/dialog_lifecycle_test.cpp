// The dialog's life and the transport under it: start-up, the send routine, the receive
// path, closing.
#include "FakePorts.h"

#include "CRegHelper.h"
#include "FaceIds.h"

#include <gtest/gtest.h>

namespace orvane::test {
namespace {

TEST(Startup, PlainControllerSearchesAfterHalfASecondAndEndsThreeAndAHalfLater) {
    DialerRig rig;
    rig.Init();
    EXPECT_EQ(rig.timers.Period(Timer::Connect), 500u);
    EXPECT_EQ(rig.timers.Period(Timer::SearchEnd), 3500u);
    EXPECT_EQ(rig.face().Caption(), "Orvane's SIP Dialer");
    EXPECT_EQ(rig.face().Focus(), Ctl::DisplayLine0);
    EXPECT_TRUE(rig.Sent().empty()) << "nothing goes out before the first timer";
    // The dialer starts on the menu screen: the device's "SHOW_LIST:" shows the menu list.
    rig.Address();
    rig.Receive("SHOW_LIST:");
    EXPECT_EQ(ScreenOnView(rig.face()), FaceMenu);
}

TEST(Startup, IdentityIsTheFirstAdaptersAddressOrZeros) {
    DialerRig rig;
    rig.Init();
    rig.Fire(Timer::Connect); // the search carries the identity
    EXPECT_EQ(rig.Sent(), std::vector<std::string>{"ORVN: 00:1A:2B:3C:4D:5E\n"});
    ASSERT_EQ(rig.platform.stdoutLines.size(), 1u);
    EXPECT_EQ(rig.platform.stdoutLines[0], "Address: 10.77.0.1, mac: 00:1A:2B:3C:4D:5E\n");

    DialerRig bare;
    bare.platform.adapter.reset();
    bare.Init();
    bare.Fire(Timer::Connect);
    EXPECT_EQ(bare.Sent(), std::vector<std::string>{"ORVN: 00:00:00:00:00:00\n"});
    EXPECT_TRUE(bare.platform.stdoutLines.empty());
}

TEST(Startup, StartFaceShowsPhoneAndHidesEverythingElse) {
    DialerRig rig;
    FaceModel& f = rig.Init().Face();
    for (int id : {Ctl::DialpadTab, Ctl::CallLogsTab, Ctl::ContactsTab, Ctl::MenuTab,
                   Ctl::DisplayLine0, Ctl::DisplayLine1, Ctl::DisplayLine2, Ctl::DisplayLine3,
                   Ctl::EntryEdit, Ctl::Key1, Ctl::KeyHash, Ctl::VolPlus, Ctl::VolMinus, Ctl::F1,
                   Ctl::F2, Ctl::F3, Ctl::Send, Ctl::End})
        EXPECT_TRUE(f.IsVisible(id)) << id;
    for (int id : {Ctl::VolumeSlider, Ctl::DeviceList, Ctl::PhonebookList, Ctl::CallLogList,
                   Ctl::MenuList, Ctl::Mute, Ctl::EditKey, Ctl::DeleteKey, Ctl::BackKey,
                   Ctl::StatusIcon, Ctl::UsbIcon, Ctl::NameEdit, Ctl::LinuxSecret, Ctl::Ok})
        EXPECT_FALSE(f.IsVisible(id)) << id;
    EXPECT_TRUE(f.IsEnabled(Ctl::Send));
    const Control& slider = f.Get(Ctl::VolumeSlider);
    EXPECT_EQ(slider.rangeMax, 100);
    EXPECT_EQ(slider.tickFreq, 12);
    EXPECT_EQ(slider.pageSize, 16);
    EXPECT_EQ(f.List(Ctl::PhonebookList).columns.size(), 3u);
    EXPECT_EQ(f.List(Ctl::CallLogList).columns.size(), 6u);
    EXPECT_EQ(f.List(Ctl::MenuList).columns.size(), 2u);
    EXPECT_EQ(f.List(Ctl::DeviceList).columns.size(), 5u);
    EXPECT_EQ(f.Get(Ctl::PhonebookList).font, FontId::B);
    EXPECT_EQ(f.Get(Ctl::EntryEdit).font, FontId::A);
}

TEST(Startup, FontBIsTwentyPixelsFromNineteenTwentyWide) {
    const std::pair<int, int> cases[] = {{1280, 16}, {1919, 16}, {1920, 20}, {2560, 20}};
    for (const auto& [width, height] : cases) {
        DialerRig rig;
        rig.platform.screenWidth = width;
        EXPECT_EQ(rig.Init().Face().FontBHeight(), height) << width;
    }
}

TEST(Startup, StoredSettingsAreRead) {
    struct Case {
        const char* name;
        std::function<void(FakeSettings&)> store;
        int nameFirst, privateController;
        std::string address;
    };
    const Case cases[] = {
        {"first run", [](FakeSettings&) {}, 0, 0, ""},
        {"any non-zero number counts as set",
         [](FakeSettings& s) { s.SetDword(kValueNameFirst, 2); }, 1, 0, ""},
        {"address without the private flag",
         [](FakeSettings& s) { s.SetString(kValuePrivateDeviceIp, "10.77.0.11"); }, 0, 0,
         "10.77.0.11"},
        {"private controller",
         [](FakeSettings& s) {
             s.SetDword(kValuePrivateController, 1);
             s.SetString(kValuePrivateDeviceIp, "192.168.100.200");
         },
         0, 1, "192.168.100.200"},
        {"an address too long for its field is not used",
         [](FakeSettings& s) { s.SetString(kValuePrivateDeviceIp, std::string(60, '1')); }, 0, 0,
         ""},
        {"key cannot be opened",
         [](FakeSettings& s) {
             s.SetDword(kValueNameFirst, 1);
             s.canOpen = false;
         },
         0, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DialerRig rig;
        c.store(rig.settings);
        rig.Init();
        EXPECT_EQ(rig.dlg->Socket().DeviceAddr(), c.address);
        EXPECT_EQ(rig.face().IsMenuChecked(Menu::NameFirst), c.nameFirst != 0);
        // A private controller logs into its phone at the first timer instead of searching.
        rig.Fire(Timer::Connect);
        const std::vector<std::string> sent = rig.Sent();
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0].rfind("LOGIN:", 0) == 0, c.privateController != 0) << sent[0];
    }
}

TEST(SendCommand, SendsTextAndNulToTheDeviceAndRestartsKeepAlive) {
    DialerRig rig;
    rig.Init();
    rig.Address("10.77.0.11");
    rig.dlg->SendCommand("KEY: 5");
    ASSERT_EQ(rig.socket.sent.size(), 1u);
    EXPECT_EQ(rig.socket.sent[0].bytes, std::string("KEY: 5\0", 7));
    EXPECT_EQ(rig.socket.sent[0].host, "10.77.0.11");
    EXPECT_EQ(rig.socket.sent[0].port, 8888);
    EXPECT_EQ(rig.timers.Period(Timer::KeepAlive), 60000u);
}

TEST(SendCommand, SixtyThreeCharactersGoOutSixtyFourAreRefused) {
    DialerRig rig;
    rig.Init();
    rig.Address();
    rig.dlg->SendCommand(std::string(63, 'A'));
    ASSERT_EQ(rig.socket.sent.size(), 1u);
    EXPECT_EQ(rig.socket.sent[0].bytes.size(), 64u);
    EXPECT_TRUE(rig.dialogs.boxes.empty());

    rig.dlg->SendCommand(std::string(64, 'A'));
    EXPECT_EQ(rig.socket.sent.size(), 1u) << "a cut command would be a different command";
    ASSERT_EQ(rig.dialogs.boxes.size(), 1u);
    EXPECT_EQ(rig.dialogs.boxes[0].text, "String is too long");
    EXPECT_EQ(rig.dialogs.boxes[0].caption, "UdpSend");
}

TEST(SendCommand, WithNoDeviceNothingGoesOutButKeepAliveRestarts) {
    DialerRig rig;
    rig.Init();
    rig.Fire(Timer::KeepAlive);
    EXPECT_TRUE(rig.socket.sent.empty());
    EXPECT_TRUE(rig.dialogs.boxes.empty());
    EXPECT_EQ(rig.timers.Period(Timer::KeepAlive), 60000u);
}

TEST(Transport, BroadcastOptionIsTouchedOnlyWhenItMustChange) {
    DialerRig rig;
    rig.Init();
    rig.Address();
    rig.dlg->SendCommand("ALIVE:"); // first unicast clears it explicitly
    rig.dlg->SendCommand("ALIVE:"); // already clear
    const char probe[] = "ORVN: x\n";
    rig.dlg->Socket().SendBroadcast(probe, sizeof probe); // every broadcast sets it
    rig.dlg->Socket().SendBroadcast(probe, sizeof probe);
    rig.dlg->SendCommand("ALIVE:"); // cleared once again
    rig.dlg->SendCommand("ALIVE:");
    EXPECT_EQ(rig.socket.broadcastCalls, (std::vector<bool>{false, true, true, false}));
    ASSERT_EQ(rig.socket.sent.size(), 6u);
    EXPECT_EQ(rig.socket.sent[2].host, "255.255.255.255");
    EXPECT_TRUE(rig.socket.sent[2].broadcastOption);
    EXPECT_FALSE(rig.socket.sent[4].broadcastOption);
}

TEST(Transport, SendBeforeTheSocketIsWritableWarns) {
    DialerRig rig;
    rig.dlg = std::make_unique<CDialerDlg>(
        CDialerDlg::Ports{rig.socket, rig.timers, rig.dialogs, rig.settings, rig.platform});
    rig.dlg->OnInitDialog("/nonexistent");
    rig.Address();
    rig.dlg->SendCommand("KEY: 1");
    EXPECT_TRUE(rig.socket.sent.empty());
    ASSERT_EQ(rig.dialogs.boxes.size(), 1u);
    EXPECT_EQ(rig.dialogs.boxes[0].text, "!m_bReadyToSend");
    EXPECT_EQ(rig.dialogs.boxes[0].caption, "UdpSocket::Send");
    EXPECT_FALSE(rig.dialogs.boxes[0].owned);
}

TEST(Transport, SendFailuresAreReportedWithTheirNumbers) {
    const std::pair<int, std::string> cases[] = {
        {SockErr::WouldBlock, "CAsyncSocket::SendTo Failed == 0"},
        {SockErr::Invalid, "Server Socket failed to send: 10022"},
        {SockErr::HostUnreachable, "Server Socket failed to send: 10065"},
    };
    for (const auto& [error, text] : cases) {
        DialerRig rig;
        rig.Init();
        rig.Address("no-such-host.invalid");
        rig.socket.canSend = false;
        rig.socket.sendError = error;
        rig.dlg->SendCommand("KEY: 1");
        ASSERT_EQ(rig.dialogs.boxes.size(), 1u);
        EXPECT_EQ(rig.dialogs.boxes[0].text, text);
        EXPECT_EQ(rig.timers.Period(Timer::KeepAlive), 60000u) << "restarted all the same";
    }
}

TEST(Transport, SocketCreateFailureIsShownAndStartGoesOn) {
    DialerRig rig;
    rig.socket.createOk = false;
    rig.Init();
    ASSERT_FALSE(rig.dialogs.boxes.empty());
    EXPECT_EQ(rig.dialogs.boxes[0].text, "Socket Create() failed: 10013");
    EXPECT_EQ(rig.face().Caption(), "Orvane's SIP Dialer");
}

TEST(Receive, MessageIsDispatchedUpToItsFirstNul) {
    DialerRig rig;
    rig.Init();
    rig.Address();
    rig.Receive(std::string("DISP: 1 Hello\0DISP: 2 World", 27));
    EXPECT_EQ(rig.face().Text(Ctl::DisplayLine1), "Hello");
    EXPECT_EQ(rig.face().Text(Ctl::DisplayLine2), "");
}

TEST(Receive, FourThousandBytesArriveWhole) {
    DialerRig rig;
    rig.Init();
    rig.Address();
    std::string text = "LINUX: " + std::string(4000 - 7, 'x');
    rig.Receive("LINUX_START:");
    rig.Receive(text);
    rig.Receive("LINUX_END:"); // the answer box shows what arrived
    ASSERT_EQ(rig.dialogs.boxes.size(), 1u);
    EXPECT_EQ(rig.dialogs.boxes[0].text.size(), 4000u - 7);
}

// Anyone on the network can send these; none may cost the dialer its socket or put up a
// box.
TEST(Receive, HostileDatagramsAreDroppedAndTheSocketKeepsWorking) {
    struct Case {
        const char* name;
        FakeDatagramPort::Incoming datagram;
    };
    const Case cases[] = {
        {"empty datagram", {"", "10.77.0.66", 8888, 0}},
        {"over 4000 bytes", {std::string(4001, 'D'), "10.77.0.66", 8888, 0}},
        {"connection reset after an unreachable port", {"", "", 0, SockErr::ConnReset}},
        {"network unreachable", {"", "", 0, SockErr::NetUnreachable}},
        {"nothing pending", {"", "", 0, SockErr::WouldBlock}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DialerRig rig;
        rig.Init();
        rig.Address();
        rig.socket.inbox.push_back(c.datagram);
        rig.dlg->Socket().OnReceive(0);
        EXPECT_TRUE(rig.dialogs.boxes.empty());
        EXPECT_FALSE(rig.socket.closed);
        rig.Receive("DISP: 1 still here");
        EXPECT_EQ(rig.face().Text(Ctl::DisplayLine1), "still here");
    }
}

TEST(Receive, LastingSocketFailureIsReportedAndClosesTheSocket) {
    DialerRig rig;
    rig.Init();
    rig.socket.inbox.push_back({"", "", 0, SockErr::NotSocket});
    rig.dlg->Socket().OnReceive(0);
    ASSERT_EQ(rig.dialogs.boxes.size(), 1u);
    EXPECT_EQ(rig.dialogs.boxes[0].text, "Socket Error occurred, Connection will be closed");
    EXPECT_TRUE(rig.socket.closed);
    EXPECT_TRUE(rig.dlg->Socket().IsClosed());
}

TEST(Receive, MessageArrivingDuringAPromptIsHandledAtOnceWithoutSleeping) {
    DialerRig rig;
    rig.Init();
    rig.Address();
    // Inside the prompt's loop the face goes on following the phone; the window's thread
    // never sleeps for a datagram.
    rig.dialogs.duringModal = [&] {
        rig.Receive("DISP: 1 inside");
        rig.Receive("DISP: 2 later");
    };
    rig.Receive("INPUT: 1 Name?;OK;Cancel;desk");
    EXPECT_TRUE(rig.platform.sleeps.empty());
    EXPECT_EQ(rig.face().Text(Ctl::DisplayLine1), "inside");
    EXPECT_EQ(rig.face().Text(Ctl::DisplayLine2), "later");
    EXPECT_TRUE(rig.HandlesAtOnce());
}

TEST(Closing, CloseBoxAndEscapeReleaseThePhoneUnlessPrivate) {
    struct Case {
        const char* name;
        int privateController;
        void (CDialerDlg::*close)();
        bool sendsStop;
    };
    const Case cases[] = {
        {"close box", 0, &CDialerDlg::OnClose, true},
        {"escape", 0, &CDialerDlg::OnCancel, true},
        {"close box, private", 1, &CDialerDlg::OnClose, false},
        {"escape, private", 1, &CDialerDlg::OnCancel, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DialerRig rig;
        rig.settings.SetDword(kValuePrivateController, static_cast<unsigned>(c.privateController));
        rig.Init();
        rig.Address();
        ((*rig.dlg).*c.close)();
        EXPECT_TRUE(rig.dlg->IsEnded());
        const auto sent = rig.Sent();
        EXPECT_EQ(sent == std::vector<std::string>{"STOP:"}, c.sendsStop);
        if (!c.sendsStop) {
            EXPECT_TRUE(sent.empty());
        }
    }
}

TEST(Closing, EnterSendsTheEntryOnlyFromTheEntryEdit) {
    DialerRig rig;
    rig.Init();
    rig.Address();
    rig.face().UserSetText(Ctl::EntryEdit, "ls /");
    rig.face().UserSetFocus(Ctl::F1);
    rig.dlg->OnOK();
    EXPECT_TRUE(rig.Sent().empty());
    EXPECT_FALSE(rig.dlg->IsEnded());

    rig.face().UserSetFocus(Ctl::EntryEdit);
    rig.dlg->OnOK();
    EXPECT_EQ(rig.Sent(), std::vector<std::string>{"LINUX: ls /"});
    EXPECT_FALSE(rig.dlg->IsEnded());
}

TEST(Commands, HiddenDisabledOrGreyedSourcesDoNothing) {
    DialerRig rig;
    rig.Init();
    rig.Address();
    rig.face().Show(Ctl::Key5, false);
    rig.dlg->OnCommand(Ctl::Key5);
    rig.face().Enable(Ctl::Send, false);
    rig.dlg->OnCommand(Ctl::Send);
    rig.dlg->OnCommand(Menu::ReleasePrivate); // greyed at start
    rig.dlg->OnCommand(9999);
    EXPECT_TRUE(rig.Sent().empty());
    EXPECT_EQ(rig.timers.Period(Timer::Connect), 500u);
}

TEST(Commands, AboutShowsTheVersionLineEveryTime) {
    DialerRig rig;
    rig.Init();
    rig.dlg->OnCommand(Menu::About);
    rig.dlg->OnCommand(Menu::About);
    ASSERT_EQ(rig.dialogs.abouts.size(), 2u);
    EXPECT_EQ(rig.dialogs.abouts[0].rfind("Orvane's SIP Dialer version  ", 0), 0u);
}

} // namespace
} // namespace orvane::test
