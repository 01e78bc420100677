// Finding and controlling a phone: the discovery broadcast and the device list, the pick
// of a device with its take-over question and password prompt, "Set IP", "Release", the
// private attachment and the login reply.
#include "CDialerDlg.h"
#include "CRegHelper.h"
#include "FaceIds.h"
#include "Protocol.h"
#include "Text.h"

#include <string>
#include <utility>

namespace orvane {

namespace {

constexpr int kColumnCount = 4; // data columns after column 0

// Column layouts of the device list, by the name-first flag.
const ListColumn kTypeFirst[kColumnCount] = {{"Type", 100, Align::Left},
                                             {"IP", 100, Align::Left},
                                             {"ID", 120, Align::Left},
                                             {"Name", 260, Align::Left}};
const ListColumn kNameFirst[kColumnCount] = {{"Name", 240, Align::Left},
                                             {"Type", 100, Align::Left},
                                             {"IP", 100, Align::Left},
                                             {"ID", 120, Align::Left}};

// The device list's image list holds the free tick (0) and the busy bar (1); any other
// busy value shows no picture.
int DeviceImage(int busy) {
    return busy == 0 || busy == 1 ? busy : -1;
}

// Appends row `index` of the device list showing `e` in the given layout.
void InsertDeviceRow(FaceModel& face, int index, const DeviceEntry& e, int nameFirst) {
    const int row =
        face.ListInsertRow(Ctl::DeviceList, index, std::to_string(index + 1), DeviceImage(e.nBusy));
    const std::string* const typeFirst[kColumnCount] = {&e.szType, &e.szIP, &e.szID, &e.szName};
    const std::string* const nameFirstTexts[kColumnCount] = {&e.szName, &e.szType, &e.szIP,
                                                             &e.szID};
    const auto& texts = nameFirst != 0 ? nameFirstTexts : typeFirst;
    for (int c = 0; c < kColumnCount; ++c)
        face.ListSetItemText(Ctl::DeviceList, row, c + 1, *texts[c]);
}

// The entry edit takes a password or an address, at most maxLength characters, and F2
// becomes "Apply" in place of the other soft keys.
void ShowEntryForApply(FaceModel& face, std::size_t maxLength) {
    face.SetLimitText(Ctl::EntryEdit, static_cast<int>(maxLength));
    face.Show(Ctl::EntryEdit, true);
    face.SetFocus(Ctl::EntryEdit);
    face.SetText(Ctl::F2, "Apply");
    face.Show(Ctl::F2, true);
    face.Show(Ctl::F1, false);
    face.Show(Ctl::F3, false);
}

} // namespace

// Leaves the password prompt: the entry edit no longer masks or limits what is typed.
void CDialerDlg::EndPasswordEntry() {
    m_bPasswordPending = false;
    m_face.SetPassword(Ctl::EntryEdit, false);
    m_face.SetLimitText(Ctl::EntryEdit, 0);
}

// --- Discovery -----------------------------------------------------------------------------

void CDialerDlg::SearchDevices(const std::string& only) {
    m_nDeviceCount = 0;
    m_face.ListDeleteAll(Ctl::DeviceList);
    m_face.Show(Ctl::DeviceList, false);
    m_searchOpen = true; // until timer 5 ends it
    // A password prompt belongs to an entry of the table just emptied, and an address not
    // yet applied would have the first answer of the search picked: the prompt gives way,
    // so that F2 offers no "Apply" that would do either.
    if (EntryTakesPrompt()) WithdrawEntryPrompt();

    const std::string request = proto::Write<proto::OutKeyword::Discovery>(m_szLocalMac);
    if (only.empty()) {
        m_socket.SendBroadcast(request.c_str(), request.size() + 1); // the NUL goes out too
    } else {
        // The request is no command: the address serves this one datagram, and a device is
        // addressed only once it is picked from the replies.
        const std::string addressed = m_socket.DeviceAddr();
        if (m_socket.SetDeviceAddr(only)) m_socket.Send(request.c_str(), request.size() + 1);
        m_socket.SetDeviceAddr(addressed);
    }

    m_face.SetFocus(Ctl::DisplayLine0);
    SetLinkPrompt("Searching ...");
}

void CDialerDlg::SetLinkPrompt(const std::string& text) {
    // The link's own texts on display line 0 change the text alone: the face around it
    // stays as the phone, the device list or a prompt left it.
    m_face.SetText(Ctl::DisplayLine0, text);
}

void CDialerDlg::OnEnumerate() {
    m_nDeviceCount = 0;
    SearchDevices();
    m_ports.timers.SetTimer(Timer::SearchEnd, Timer::EnumerateEndMs);
}

void CDialerDlg::OnDiscoveryReply(std::string_view msg) {
    const std::optional<proto::DiscoveryReply> reply = proto::Read<proto::InKeyword::Orvn>(msg);
    // Only a dotted address: a name would be looked up at every send.
    if (!reply || !proto::IsDottedIPv4(reply->ip)) return;
    // One entry per address: a later reply updates its entry in place.
    int index = 0;
    while (index < m_nDeviceCount && index < kMaxDevices &&
           m_Devices[static_cast<std::size_t>(index)].szIP != reply->ip)
        ++index;
    const bool known = index < m_nDeviceCount;
    // The table holds kMaxDevices entries; a further reply is dropped.
    if (index < 0 || index >= kMaxDevices) return;

    DeviceEntry& e = m_Devices[static_cast<std::size_t>(index)];
    e.szType = proto::Cut(reply->type, proto::Width::DevType);
    e.szIP = proto::Cut(reply->ip, proto::Width::DevIP);
    e.szID = proto::Cut(reply->id, proto::Width::DevID);
    e.szName = proto::Cut(reply->name, proto::Width::DevName);
    e.nBusy = reply->busy;
    e.bInitOnly = reply->initOnly ? 1 : 0;
    e.nPasswordRequired = reply->initOnly ? 0 : reply->passwordRequired;

    if (known) {
        FillDeviceList();
    } else {
        InsertDeviceRow(m_face, m_nDeviceCount, e, m_nNameFirst);
        ++m_nDeviceCount;
    }

    // A probed address answered: pick it at once. While the address is still being typed
    // nothing has been probed yet; a late answer to an earlier search is only listed.
    if (m_bSetIpPending && !m_addressEntry) OnClickDeviceList(-1);
}

void CDialerDlg::OnSearchEndTimer() {
    m_ports.timers.KillTimer(Timer::SearchEnd);
    m_searchOpen = false;
    if (m_nDeviceCount <= 0) {
        SetLinkPrompt("No SIP Phone Found!");
        return;
    }
    if (m_nPrivateController != 0) {
        SetLinkPrompt("Private Device Not Found!");
        return;
    }
    if (m_nDeviceCount == 1 && m_bAutoConnect && m_Devices[0].nBusy == 0) {
        AutoConnect();
        m_bAutoConnect = false;
        return;
    }
    // Let the user choose. A prompt opened during the search goes: the list takes its
    // place, and a click on a row is what picks now.
    if (EntryTakesPrompt()) WithdrawEntryPrompt();
    m_face.Show(Ctl::DeviceList, true);
    for (int id : {Ctl::DisplayLine0, Ctl::DisplayLine1, Ctl::DisplayLine2, Ctl::DisplayLine3})
        m_face.Show(id, false);
    ShowKeypad(false);
    for (int id : {Ctl::F1, Ctl::F2, Ctl::F3, Ctl::End, Ctl::Send, Ctl::EntryEdit, Ctl::VolPlus,
                   Ctl::VolMinus, Ctl::PhonebookList, Ctl::CallLogList, Ctl::MenuList})
        m_face.Show(id, false);
}

// --- The device list -----------------------------------------------------------------------

void CDialerDlg::SetDeviceListColumns() {
    const ListColumn* layout = m_nNameFirst != 0 ? kNameFirst : kTypeFirst;
    for (int c = 0; c < kColumnCount; ++c)
        m_face.ListInsertColumn(Ctl::DeviceList, c + 1, layout[c]);
}

void CDialerDlg::FillDeviceList() {
    m_face.ListDeleteAll(Ctl::DeviceList);
    for (int i = 0; i < m_nDeviceCount && i < kMaxDevices; ++i)
        InsertDeviceRow(m_face, i, m_Devices[static_cast<std::size_t>(i)], m_nNameFirst);
}

void CDialerDlg::OnToggleNameFirst() {
    if (m_face.IsMenuChecked(Menu::NameFirst)) {
        m_face.CheckMenu(Menu::NameFirst, false);
        m_nNameFirst = 0;
    } else {
        m_face.CheckMenu(Menu::NameFirst, true);
        m_nNameFirst = 1;
    }
    for (int c = kColumnCount; c >= 1; --c)
        m_face.ListDeleteColumn(Ctl::DeviceList, c);
    SetDeviceListColumns();
    FillDeviceList();

    CRegHelper reg(m_ports.settings, m_ports.platform);
    if (reg.CreateKey(kSettingsKeyPath))
        reg.WriteDword(kValueNameFirst, static_cast<std::uint32_t>(m_nNameFirst));
}

// --- Picking a device ----------------------------------------------------------------------

void CDialerDlg::ReleaseOldDeviceIfOther(const std::string& newAddr) {
    if (m_socket.DeviceAddr().empty() || m_socket.DeviceAddr() == newAddr) return;
    ShowControlledName("");
    SendCommand(proto::Write<proto::OutKeyword::Stop>()); // still addressed to the old device
    m_ports.platform.Sleep(10);
}

void CDialerDlg::OnClickDeviceList(int row) {
    // A typed password serves this one pick: a pick that stops before the login must not
    // leave it to be sent to whichever device is picked next.
    const std::string password = m_szPassword;
    m_szPassword.clear();
    if (m_nDeviceCount <= 0) return;

    int index = -1;
    if (row >= 0) {
        // A click on a row is the user's choice; it ends a pending address or password
        // entry, which would otherwise pick another entry than the one clicked.
        if (m_bSetIpPending || m_bPasswordPending) {
            m_bSetIpPending = false;
            EndAddressEntry();
            EndPasswordEntry();
            m_face.Show(Ctl::EntryEdit, false);
        }
        index = row;
    } else if (m_bSetIpPending) {
        m_bSetIpPending = false;
        EndAddressEntry();
        index = 0;
    } else if (m_bPasswordPending) {
        EndPasswordEntry();
        index = m_pendingDevice;
    }
    EndApplyKey();
    if (index < 0 || index >= m_nDeviceCount || index >= kMaxDevices) return;

    // The table may change while the question is open (replies keep arriving), so the
    // pick goes on with the device the user was asked about.
    const DeviceEntry e = m_Devices[static_cast<std::size_t>(index)];
    if (e.nBusy != 0) {
        const MsgAnswer answer = m_ports.dialogs.MessageBox(
            "This device is already controlled by another controller.\r\nDo you want to take "
            "control ?",
            "Device is busy", MsgButtons::YesNo, MsgIcon::Information, true);
        if (answer != MsgAnswer::Yes) return;
    }

    ReleaseOldDeviceIfOther(e.szIP);
    m_socket.SetDeviceAddr(e.szIP);
    m_face.Show(Ctl::DeviceList, false);

    if (e.bInitOnly == 1) {
        SendCommand(proto::Write<proto::OutKeyword::Init>());
    } else {
        SetLinkPrompt("");
        m_face.SetText(Ctl::DisplayLine1, "");
        m_face.SetText(Ctl::DisplayLine2, "");
        if (e.nPasswordRequired != 0 && password.empty()) {
            EnterPasswordMode(index, true);
            return;
        }
        SendCommand(proto::Write<proto::OutKeyword::Login>(m_szLocalMac, password));
    }

    for (int id : {Ctl::DisplayLine0, Ctl::DisplayLine1, Ctl::DisplayLine2, Ctl::DisplayLine3})
        m_face.Show(id, true);
    ShowKeypad(true);
    for (int id : {Ctl::End, Ctl::Send, Ctl::VolPlus, Ctl::VolMinus})
        m_face.Show(id, true);
}

void CDialerDlg::EnterPasswordMode(int device, bool fresh) {
    if (fresh) {
        // Picked from the list: a clean, masked prompt.
        m_face.Show(Ctl::DisplayLine0, false);
        SetEntryText("");
        m_face.SetPassword(Ctl::EntryEdit, true);
    } else {
        // The automatic connect leaves the start-up face and the entry edit as they are.
        SetLinkPrompt("");
    }
    m_face.SetText(Ctl::DisplayLine1, "Enter Password:");
    m_face.Show(Ctl::DisplayLine1, true);
    ShowEntryForApply(m_face, proto::Width::Password);
    m_bPasswordPending = true;
    m_pendingDevice = device;
}

void CDialerDlg::AutoConnect() {
    const DeviceEntry& e = m_Devices[0];
    m_socket.SetDeviceAddr(e.szIP);
    if (e.bInitOnly == 1) {
        SendCommand(proto::Write<proto::OutKeyword::Init>());
    } else if (e.nPasswordRequired != 0) {
        EnterPasswordMode(0, false);
    } else {
        SendCommand(proto::Write<proto::OutKeyword::Login>(m_szLocalMac, ""));
    }
}

void CDialerDlg::OnApplyPassword() {
    m_face.Show(Ctl::EntryEdit, false);
    m_szPassword = proto::Cut(EntryText(), proto::Width::Password);
    // The typed password must not stay in the entry text, which is shown unmasked later.
    SetEntryText("");
    OnClickDeviceList(-1);
}

// --- Set IP --------------------------------------------------------------------------------

void CDialerDlg::OnSetIp() {
    // The address prompt replaces a password prompt.
    if (m_bPasswordPending) EndPasswordEntry();

    SetLinkPrompt("");
    m_face.Show(Ctl::DisplayLine0, false);
    m_face.SetText(Ctl::DisplayLine1, "Enter IP of the device:");
    m_face.Show(Ctl::DisplayLine1, true); // also when the device list has hidden the lines
    m_face.Show(Ctl::DisplayLine2, false);
    m_face.Show(Ctl::DisplayLine3, false);

    SetEntryText("");
    ShowEntryForApply(m_face, UdpSocket::kAddrCapacity);
    m_bSetIpPending = true;
    m_addressEntry = true;
}

void CDialerDlg::EndAddressEntry() {
    m_addressEntry = false;
    m_face.SetLimitText(Ctl::EntryEdit, 0);
}

void CDialerDlg::WithdrawEntryPrompt() {
    if (m_addressEntry) {
        EndAddressEntry();
        m_bSetIpPending = false;
    }
    if (m_bPasswordPending) EndPasswordEntry();
    // What was typed for the prompt goes with it, and line 0 gets back the place the
    // prompt took.
    SetEntryText("");
    m_face.Show(Ctl::EntryEdit, false);
    m_face.SetText(Ctl::DisplayLine1, "");
    m_face.Show(Ctl::DisplayLine0, true);
    EndApplyKey();
}

void CDialerDlg::EndApplyKey() {
    // F2 reads "Apply" only while it applies something; afterwards it waits, hidden, for
    // the phone to label it.
    if (m_bSetIpPending || m_bPasswordPending || m_face.Text(Ctl::F2) != "Apply") return;
    m_face.SetText(Ctl::F2, "");
    m_face.Show(Ctl::F2, false);
}

void CDialerDlg::OnApplyAddress() {
    const std::string addr(text::Trim(EntryText(), " \t")); // blanks and tabs around it
    // A text the address field cannot hold would be cut into another address: asked
    // again (the edit limits what is typed, so only text put there otherwise gets here).
    // So is a host name: the phone answers from its address, which a name never equals.
    // (Nothing typed releases the phone, below.)
    if (addr.size() > UdpSocket::kAddrCapacity || (!addr.empty() && !proto::IsDottedIPv4(addr))) {
        OnSetIp();
        return;
    }

    m_face.Show(Ctl::F1, true);
    m_face.Show(Ctl::F3, true);
    m_face.Show(Ctl::EntryEdit, false);
    EndAddressEntry();

    ReleaseOldDeviceIfOther(addr);
    if (addr.empty()) {
        // Nothing typed releases the phone in use and addresses none: every later
        // command, the probe below included, is dropped until a device is picked. With
        // no address there is nothing to attach to.
        m_socket.ClearDeviceAddr();
        m_face.EnableMenu(Menu::AttachPrivate, false);
    } else {
        m_socket.SetDeviceAddr(addr);
    }
    m_nDeviceCount = 0;
    m_face.ListDeleteAll(Ctl::DeviceList);

    // The probe goes to the typed address only; its reply is picked at once.
    SendCommand(proto::Write<proto::OutKeyword::Discovery>(m_szLocalMac));
}

// --- Release and the private attachment ----------------------------------------------------

void CDialerDlg::OnRelease() {
    ShowControlledName("");
    SendCommand(proto::Write<proto::OutKeyword::Stop>());
    m_ports.platform.Sleep(10);
    m_socket.ClearDeviceAddr(); // from now on every command is dropped
    m_face.EnableMenu(Menu::ReleasePrivate, false);
    m_face.EnableMenu(Menu::AttachPrivate, false);
}

void CDialerDlg::OnAttachPrivate() {
    m_nPrivateController = 1;
    UpdateDevicesMenu();
    CRegHelper reg(m_ports.settings, m_ports.platform);
    if (reg.CreateKey(kSettingsKeyPath)) {
        reg.WriteDword(kValuePrivateController, 1);
        reg.WriteString(kValuePrivateDeviceIp, m_socket.DeviceAddr());
    }
}

void CDialerDlg::OnReleasePrivate() {
    m_nPrivateController = 0;
    UpdateDevicesMenu();
    {
        CRegHelper reg(m_ports.settings, m_ports.platform);
        if (reg.CreateKey(kSettingsKeyPath)) {
            reg.WriteDword(kValuePrivateController, 0);
            reg.WriteString(kValuePrivateDeviceIp, "");
        }
    }
    SetLinkPrompt("");
    m_ports.timers.SetTimer(Timer::Connect, Timer::ConnectMs); // a search follows
}

void CDialerDlg::UpdateDevicesMenu() {
    const bool plain = m_nPrivateController == 0;
    m_face.EnableMenu(Menu::Enumerate, plain);
    m_face.EnableMenu(Menu::SetIp, plain);
    m_face.EnableMenu(Menu::Release, plain);
    m_face.EnableMenu(Menu::AttachPrivate, plain && !m_socket.DeviceAddr().empty());
    m_face.EnableMenu(Menu::ReleasePrivate, m_nPrivateController == 1);
}

// --- Timers and the login reply ------------------------------------------------------------

void CDialerDlg::OnConnectTimer() {
    if (m_nPrivateController != 0) {
        m_ports.timers.KillTimer(Timer::SearchEnd);
        m_searchOpen = false;
        SetLinkPrompt("Connecting ...");
        SendCommand(proto::Write<proto::OutKeyword::Login>(m_szLocalMac));
        m_ports.timers.SetTimer(Timer::Connect, Timer::PrivateLoginMs);
        return;
    }
    m_ports.timers.KillTimer(Timer::Connect);
    // Only the first search asks the address named at start; a later one is a real search.
    SearchDevices(std::exchange(m_startAddress, std::string()));
    m_ports.timers.SetTimer(Timer::SearchEnd, Timer::SearchEndMs);
}

void CDialerDlg::OnLoginReply(std::string_view msg) {
    const std::optional<int> value = proto::Read<proto::InKeyword::Login>(msg);
    m_ports.timers.KillTimer(Timer::Connect);
    if (!value) return;
    // Any number means accepted; the device is wherever the reply came from (only the
    // phone the login went to gets this far).
    m_ports.timers.KillTimer(Timer::SearchEnd);
    m_searchOpen = false;
    m_loginAddress.clear();
    if (!m_socket.m_strSenderAddr.empty()) m_socket.SetDeviceAddr(m_socket.m_strSenderAddr);
    UpdateDevicesMenu();
    // The window's title names the phone it controls, as the search found it.
    std::string name;
    for (int i = 0; i < std::min(m_nDeviceCount, kMaxDevices); ++i) {
        const DeviceEntry& e = m_Devices[static_cast<std::size_t>(i)];
        if (m_socket.DeviceAddr() == e.szIP) name = e.szName;
    }
    ShowControlledName(name);
}

void CDialerDlg::ShowControlledName(const std::string& name) {
    // The dash is code page 1252's em dash.
    m_face.SetCaption(name.empty() ? std::string(kWindowTitle) : name + " \x97 " + kWindowTitle);
}

} // namespace orvane
