// The dialog's life: construction, start-up, the routing of events to their handlers,
// the send routine, and the end.
#include "CDialerDlg.h"

#include "CRegHelper.h"
#include "CVersionInfo.h"
#include "FaceIds.h"

#include <cstdio>
#include <utility>

namespace orvane {

namespace {

std::string FormatMac(const std::uint8_t (&mac)[6]) {
    char text[22];
    std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2],
                  mac[3], mac[4], mac[5]);
    return text;
}

// The identity a controller uses when the machine shows no network adapter: the device
// still gets a well-formed login.
constexpr const char* kNoAdapterIdentity = "00:00:00:00:00:00";

constexpr int kWideScreen = 1920;

} // namespace

CDialerDlg::CDialerDlg(Ports ports)
    : m_ports(ports), m_socket(ports.socket, ports.dialogs),
      m_dropTrace(ports.platform, ports.timers, Timer::DropTrace) {
    m_szLocalMac = kNoAdapterIdentity;
    if (const auto adapter = m_ports.platform.FirstAdapter()) {
        m_szLocalMac = FormatMac(adapter->mac);
        m_ports.platform.StdOut("Address: " + adapter->ipAddress + ", mac: " + m_szLocalMac + "\n");
    }
}

CDialerDlg::~CDialerDlg() {
    m_socket.m_pOwner = nullptr;
}

void CDialerDlg::SetStartAddress(std::string addr) {
    if (addr.size() <= UdpSocket::kAddrCapacity) m_startAddress = std::move(addr);
}

void CDialerDlg::OnInitDialog(const std::string& privateContactsPath) {
    m_face.SetCaption(kWindowTitle);
    m_face.ListSetImageList(Ctl::DeviceList, ImageListId::Devices, true);
    ReadSettings();
    InitFace();
    LoadPrivateContacts(privateContactsPath);
    m_ports.timers.SetTimer(Timer::Connect, Timer::ConnectMs);
    m_ports.timers.SetTimer(Timer::SearchEnd, Timer::SearchEndMs);
    UpdateDevicesMenu();
    m_socket.m_pOwner = this;
}

void CDialerDlg::ReadSettings() {
    CRegHelper reg(m_ports.settings, m_ports.platform);
    if (reg.CreateKey(kSettingsKeyPath)) {
        std::uint32_t nameFirst = 0;
        std::uint32_t privateController = 0;
        if (reg.ReadDword(kValueNameFirst, nameFirst)) m_nNameFirst = nameFirst != 0 ? 1 : 0;
        if (reg.ReadDword(kValuePrivateController, privateController))
            m_nPrivateController = privateController != 0 ? 1 : 0;
        std::string address;
        reg.ReadString(kValuePrivateDeviceIp, address);
        // A stored address too long for the address field would be cut into a wrong
        // one; it is not used at all.
        if (!m_socket.SetDeviceAddr(address)) m_socket.ClearDeviceAddr();
    }
    if (m_nNameFirst != 0) m_face.CheckMenu(Menu::NameFirst, true);
}

void CDialerDlg::InitFace() {
    m_face.ListInsertColumn(Ctl::DeviceList, 0, {" ", 30, Align::Center});
    SetDeviceListColumns();

    m_face.ListInsertColumn(Ctl::PhonebookList, 0, {"#", 50, Align::Center});
    m_face.ListInsertColumn(Ctl::PhonebookList, 1, {"Name", 190, Align::Left});
    m_face.ListInsertColumn(Ctl::PhonebookList, 2, {"Number", 150, Align::Left});

    m_face.ListSetImageList(Ctl::CallLogList, ImageListId::CallLog, true);
    m_face.ListInsertColumn(Ctl::CallLogList, 0, {" ", 30, Align::Center});
    m_face.ListInsertColumn(Ctl::CallLogList, 1, {"Name", 110, Align::Left});
    m_face.ListInsertColumn(Ctl::CallLogList, 2, {"Number", 110, Align::Left});
    m_face.ListInsertColumn(Ctl::CallLogList, 3, {"Date", 150, Align::Left});
    m_face.ListInsertColumn(Ctl::CallLogList, 4, {"Time", 80, Align::Left});
    m_face.ListInsertColumn(Ctl::CallLogList, 5, {"Duration", 80, Align::Left});

    m_face.ListInsertColumn(Ctl::MenuList, 0, {"#", 50, Align::Center});
    m_face.ListInsertColumn(Ctl::MenuList, 1, {"Name", 230, Align::Left});

    m_face.SetFontBHeight(m_ports.platform.PrimaryScreenWidth() >= kWideScreen ? 20 : 16);
    m_face.SetFont(Ctl::DisplayLine0, FontId::A);
    m_face.SetFont(Ctl::EntryEdit, FontId::A);
    for (int id : {Ctl::CallLogList, Ctl::PhonebookList, Ctl::MenuList, Ctl::DisplayLine1,
                   Ctl::DisplayLine2, Ctl::DisplayLine3, Ctl::F1, Ctl::F2, Ctl::F3})
        m_face.SetFont(id, FontId::B);
    m_face.SetFocus(Ctl::DisplayLine0);

    m_bSetIpPending = false;
    m_bPasswordPending = false;
    m_bAutoConnect = true;
    m_dialpadNotify = true;
    m_volumeDrag = false;
    m_nFaceMode = FaceMenu;

    m_face.SetSliderRange(Ctl::VolumeSlider, 0, 100, 12, 1, 16);
    for (int id :
         {Ctl::VolPlus, Ctl::VolMinus, Ctl::MenuTab, Ctl::Send, Ctl::End, Ctl::DisplayLine0})
        m_face.Show(id, true);
    m_face.Show(Ctl::VolumeSlider, false);
}

void CDialerDlg::OnOK() {
    EventScope after{*this};
    const int focus = m_face.Focus();
    if (focus == Ctl::Ok) {
        // The hidden OK button ends the dialog like the close box, releasing the phone.
        OnClose();
        return;
    }
    if (focus != Ctl::EntryEdit) return;
    // While the entry takes an address or a password (F2 reads "Apply"), Enter applies it
    // as F2 does: sent as a dial command or a console line it would reach the phone in
    // clear. Once applied, the entry is the dial and console entry again, also while the
    // probe of a typed address still waits for its answer.
    if (EntryTakesPrompt()) {
        OnF2();
        return;
    }
    SendKeyCode(proto::KeyCode::Send);
}

void CDialerDlg::OnCancel() {
    // Escape closes like the close box: a phone left marked as controlled by a program
    // that has gone would refuse other controllers.
    OnClose();
}

void CDialerDlg::OnClose() {
    if (m_ended) return;
    if (m_nPrivateController == 0) SendCommand(proto::Write<proto::OutKeyword::Stop>());
    m_ended = true;
}

void CDialerDlg::OnTimer(int id) {
    EventScope after{*this};
    switch (id) {
    case Timer::KeepAlive: SendCommand(proto::Write<proto::OutKeyword::Alive>()); break;
    case Timer::VolumeDrag:
        m_ports.timers.KillTimer(Timer::VolumeDrag);
        m_volumeDrag = false;
        break;
    case Timer::Connect: OnConnectTimer(); break;
    case Timer::SearchEnd: OnSearchEndTimer(); break;
    case Timer::DropTrace: m_dropTrace.OnMinute(); break;
    default: break;
    }
}

void CDialerDlg::OnCommand(int id) {
    EventScope after{*this};
    if (id >= Menu::About) {
        bool known = false;
        for (const MenuItem& item : m_face.MenuItems())
            if (item.id == id) known = item.enabled;
        if (!known) return; // a grayed item does not run its command
        switch (id) {
        case Menu::About: OnAbout(); break;
        case Menu::Enumerate: OnEnumerate(); break;
        case Menu::SetIp: OnSetIp(); break;
        case Menu::Release: OnRelease(); break;
        case Menu::UsePrivateContacts: OnUsePrivateContactList(); break;
        case Menu::NameFirst: OnToggleNameFirst(); break;
        case Menu::AttachPrivate: OnAttachPrivate(); break;
        case Menu::ReleasePrivate: OnReleasePrivate(); break;
        default: break;
        }
        return;
    }
    // The console button stays hidden; its mnemonic runs it all the same.
    if (id == Ctl::LinuxSecret) {
        OnLinuxSecret();
        return;
    }
    if (!m_face.Has(id)) return;
    const Control& control = m_face.Get(id);
    if (!control.visible || !control.enabled) return; // a hidden or disabled key sends nothing
    if (id >= Ctl::Key1 && id <= Ctl::KeyHash) {
        OnKeypad(id);
        return;
    }
    using namespace proto;
    switch (id) {
    case Ctl::Send: SendKeyCode(KeyCode::Send); break;
    case Ctl::End: SendKeyCode(KeyCode::End); break;
    case Ctl::Mute: SendKeyCode(KeyCode::Mute); break;
    case Ctl::VolPlus: SendKeyCode(KeyCode::VolUp); break;
    case Ctl::VolMinus: SendKeyCode(KeyCode::VolDown); break;
    case Ctl::DialpadTab: SendKeyCode(KeyCode::Dialpad); break;
    case Ctl::MenuTab: OnTabKey(KeyCode::Menu, TabState::Menu); break;
    case Ctl::ContactsTab: OnTabKey(KeyCode::Contacts, TabState::Contacts); break;
    case Ctl::CallLogsTab: OnTabKey(KeyCode::CallLogs, TabState::CallLogs); break;
    case Ctl::F1:
    case Ctl::EditKey: OnF1(); break;
    case Ctl::F2:
    case Ctl::DeleteKey: OnF2(); break;
    case Ctl::F3:
    case Ctl::BackKey: OnF3(); break;
    default: break;
    }
}

void CDialerDlg::OnListClick(int listId, int row) {
    EventScope after{*this};
    switch (listId) {
    case Ctl::DeviceList:
        // A click that hit no row picks nothing; -1 means "no click" to the pick itself.
        if (row >= 0) OnClickDeviceList(row);
        break;
    case Ctl::PhonebookList:
    case Ctl::CallLogList: OnNumberListClick(listId, row); break;
    case Ctl::MenuList: OnMenuListClick(row); break;
    default: break;
    }
}

void CDialerDlg::OnListActivate(int listId, int row, bool clicked) {
    if (!clicked) OnListClick(listId, row);
    if (m_ended) return;
    // Dialled only when the click took a row: a row the lists know has put its number
    // into the entry.
    if ((listId == Ctl::PhonebookList && m_nContactSel >= 0 && m_nContactSel == row) ||
        (listId == Ctl::CallLogList && m_nCallSel >= 0 && m_nCallSel == row))
        SendKeyCode(proto::KeyCode::Send);
}

bool CDialerDlg::IsControlling() const {
    return !m_ended && !m_socket.DeviceAddr().empty() && m_loginAddress.empty() &&
           !m_bSetIpPending && !m_bPasswordPending;
}

void CDialerDlg::SendCommand(std::string_view text) {
    if (text.size() > proto::kMaxCommandLength) {
        // Cut, the line would be a different command; it is not sent at all.
        m_ports.dialogs.MessageBox("String is too long", "UdpSend", MsgButtons::Ok,
                                   MsgIcon::Warning, true);
        return;
    }
    const std::string line(text);
    // The replies these two ask for are welcome from where they went, and from nowhere else.
    if (line.rfind("LOGIN:", 0) == 0) m_loginAddress = m_socket.DeviceAddr();
    if (line.rfind("ORVN:", 0) == 0) m_probeAddress = m_socket.DeviceAddr();
    m_socket.Send(line.c_str(), line.size() + 1);
    m_ports.timers.SetTimer(Timer::KeepAlive, m_keepAliveMs);
}

const DeviceEntry& CDialerDlg::device(int row) const {
    static const DeviceEntry kEmpty{};
    return row >= 0 && row < m_nDeviceCount ? m_Devices[static_cast<std::size_t>(row)] : kEmpty;
}

const std::string& CDialerDlg::EntryText() const {
    return m_face.Text(Ctl::EntryEdit);
}

void CDialerDlg::SetEntryText(const std::string& text) {
    m_face.SetText(Ctl::EntryEdit, text);
}

void CDialerDlg::HideContactEditor() {
    for (int id : {Ctl::NameEdit, Ctl::NumberEdit, Ctl::NameLabel, Ctl::NumberLabel})
        m_face.Show(id, false);
}

void CDialerDlg::OnAbout() {
    CVersionInfo version; // read afresh at every opening
    m_ports.dialogs.ShowAbout(AboutVersionLine(version.Read()));
}

} // namespace orvane
