// The whole incoming path: a dialog with fake ports fed a random sequence of datagrams,
// clicks, menu commands, typing, slider moves and timer expiries. After every step the
// state record must stay inside its bounds and every datagram sent must fit its limit.
#include "FakePorts.h"

#include "FaceIds.h"
#include "Protocol.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

using namespace orvane;

class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool Empty() const { return m_pos >= m_size; }
    std::uint8_t Byte() { return Empty() ? 0 : m_data[m_pos++]; }
    std::string Text() {
        std::size_t length = Byte();
        length = (length << 4) | (Byte() & 0x0f); // up to 4095 bytes
        std::string s;
        while (s.size() < length && !Empty())
            s.push_back(static_cast<char>(Byte()));
        return s;
    }

  private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

// A datagram text's start: every keyword the dialer reads, and none, so random bytes reach
// every handler.
std::string KeywordHead(std::uint8_t pick) {
    const auto k =
        static_cast<proto::InKeyword>(pick % (static_cast<int>(proto::InKeyword::None) + 1));
    std::string head = proto::KeywordText(k);
    if (!head.empty() && head.back() == ':') head += ' ';
    return head;
}

// Who sends: the phone the seeds talk to, another phone, strangers.
const char* const kSenders[] = {"10.77.0.11", "10.77.0.11", "10.77.0.12", "10.77.0.66",
                                "192.168.1.20"};

const int kCommands[] = {Ctl::Key1,
                         Ctl::Key5,
                         Ctl::KeyStar,
                         Ctl::KeyHash,
                         Ctl::Send,
                         Ctl::End,
                         Ctl::Mute,
                         Ctl::VolPlus,
                         Ctl::VolMinus,
                         Ctl::MenuTab,
                         Ctl::ContactsTab,
                         Ctl::CallLogsTab,
                         Ctl::DialpadTab,
                         Ctl::F1,
                         Ctl::F2,
                         Ctl::F3,
                         Ctl::EditKey,
                         Ctl::DeleteKey,
                         Ctl::BackKey,
                         Ctl::LinuxSecret,
                         Menu::About,
                         Menu::Enumerate,
                         Menu::SetIp,
                         Menu::Release,
                         Menu::UsePrivateContacts,
                         Menu::NameFirst,
                         Menu::AttachPrivate,
                         Menu::ReleasePrivate};

void CheckBounds(test::DialerRig& rig) {
    CDialerDlg& d = *rig.dlg;
    if (d.deviceCount() < 0 || d.deviceCount() > CDialerDlg::kMaxDevices) std::abort();
    if (d.phonebookCount() < 0 || d.phonebookCount() >= proto::kPhonebookCapacity) std::abort();
    if (d.callLogCount() < 0 || d.callLogCount() >= proto::kCallLogCapacity) std::abort();
    if (d.password().size() > proto::Width::Password) std::abort();
    if (d.Socket().DeviceAddr().size() > UdpSocket::kAddrCapacity) std::abort();
    for (const test::SentDatagram& sent : rig.socket.sent) {
        const std::string text = sent.Text();
        const bool upload =
            text.rfind(proto::Outgoing<proto::OutKeyword::PrivateUpload>::kPrefix, 0) == 0;
        const bool probe = text.rfind("ORVN: ", 0) == 0;
        if (!upload && !probe && text.size() > proto::kMaxCommandLength) std::abort();
        if (upload && text.size() > 1007) std::abort();
    }
    rig.socket.sent.clear();
}

} // namespace

// AddressSanitizer's quarantine of freed memory (256 MB by default) made every input touch
// fresh pages: most of the time went to page faults and returning memory to the system,
// and the process held over 400 MB. A small quarantine still catches a use after free
// within one input, which is all an input can do.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=16";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    test::DialerRig rig;
    const std::uint8_t setup = in.Byte();
    rig.platform.screenWidth = setup & 1 ? 1920 : 1280;
    rig.Init();
    // Most inputs start with the phone at 10.77.0.11 in use, as after its login, so the
    // datagrams reach the handlers; the others start from nothing and must log in first.
    if ((setup & 6) != 0) rig.Address("10.77.0.11");
    for (int step = 0; step < 64 && !in.Empty(); ++step) {
        rig.dialogs.nextAnswer = in.Byte() & 1 ? MsgAnswer::Yes : MsgAnswer::No;
        switch (in.Byte() % 9) {
        case 0:
        case 1:
        case 2: { // a datagram, mostly one that starts with a keyword
            const std::string head = KeywordHead(in.Byte());
            const std::string text = head + in.Text();
            const char* sender = kSenders[in.Byte() % std::size(kSenders)];
            rig.socket.inbox.push_back({text, sender, 8888, 0});
            rig.dlg->Socket().OnReceive(0);
            break;
        }
        case 3: rig.dlg->OnCommand(kCommands[in.Byte() % std::size(kCommands)]); break;
        case 4: {
            const int lists[] = {Ctl::DeviceList, Ctl::PhonebookList, Ctl::CallLogList,
                                 Ctl::MenuList};
            const int list = lists[in.Byte() % 4];
            rig.dlg->OnListClick(list, static_cast<int>(in.Byte()) - 2);
            break;
        }
        case 5: {
            const int timers[] = {Timer::KeepAlive, Timer::VolumeDrag, Timer::Connect,
                                  Timer::SearchEnd, Timer::DropTrace};
            rig.dlg->OnTimer(timers[in.Byte() % std::size(timers)]);
            break;
        }
        case 6: { // the user types into an edit
            const int edits[] = {Ctl::EntryEdit, Ctl::NameEdit, Ctl::NumberEdit};
            const int edit = edits[in.Byte() % 3];
            const std::string text = in.Text().substr(0, 80);
            rig.face().UserSetText(edit, text);
            const int a = in.Byte() % (static_cast<int>(text.size()) + 1);
            const int b = in.Byte() % (static_cast<int>(text.size()) + 1);
            rig.face().UserSetEditSel(edit, a < b ? a : b, a < b ? b : a);
            rig.face().UserSetFocus(edit);
            break;
        }
        case 7:
            rig.face().UserSetSliderPos(Ctl::VolumeSlider, in.Byte() % 101);
            rig.dlg->OnVolumeSlider();
            break;
        case 8:
            rig.face().UserSetFocus(in.Byte() & 1 ? Ctl::EntryEdit : Ctl::F1);
            rig.dlg->OnOK();
            break;
        }
        CheckBounds(rig);
    }
    return 0;
}
