// Everything the device sends arrives in OnDeviceMessage: display lines, soft keys, icons,
// the volume screen, the hook state, text prompts and the Linux console. The list
// messages and screen switches are in DialerLists.cpp.
#include "CDialerDlg.h"
#include "CSenderRule.h"
#include "FaceIds.h"
#include "Protocol.h"

#include <algorithm>
#include <cstddef>

namespace orvane {

namespace {

// Keeps m_bDispatching set while one message is handled and clears it however the
// handler ends, so a failed handler never leaves the receive path holding off.
class DispatchScope {
  public:
    explicit DispatchScope(int& flag) : m_flag(flag) { m_flag = 1; }
    ~DispatchScope() { m_flag = 0; }
    DispatchScope(const DispatchScope&) = delete;
    DispatchScope& operator=(const DispatchScope&) = delete;

  private:
    int& m_flag;
};

// Display line 0 changes to the smaller font while its text is longer than this.
constexpr std::size_t kLine0LargeFontMax = 20;

// Leaves the control untouched (no redraw) when it already shows the text.
void SetTextIfDifferent(FaceModel& face, int id, const std::string& text) {
    if (face.Text(id) != text) face.SetText(id, text);
}

void ShowLines23HideLine0(FaceModel& face) {
    face.Show(Ctl::DisplayLine0, false);
    face.Show(Ctl::DisplayLine2, true);
    face.Show(Ctl::DisplayLine3, true);
}

// Pictures of the status icon by "ICON:" code; code 1 shows the icon empty.
struct StatusPicture {
    int code;
    int bitmap;
};
constexpr StatusPicture kStatusPictures[] = {
    {0, Bmp::CallBoth},      {1, Bmp::None},        {2, Bmp::Blank},       {3, Bmp::Speaker},
    {4, Bmp::Music},         {5, Bmp::Gear},        {6, Bmp::Info},        {20, Bmp::CallOut},
    {21, Bmp::CallIn},       {22, Bmp::CallFailed}, {30, Bmp::Speaker},    {31, Bmp::Microphone},
    {32, Bmp::Music},        {33, Bmp::Bell},       {41, Bmp::Group},      {42, Bmp::Missed},
    {43, Bmp::Hold},         {44, Bmp::MicOff},     {45, Bmp::SpeakerOff}, {46, Bmp::Envelope},
    {47, Bmp::DoNotDisturb}, {49, Bmp::Logo},
};

// Icon keys draw their normal picture only, so they look the same when pressed.
ImageSet NormalOnly(int bitmap) {
    return ImageSet{bitmap, 0, 0, 0};
}

bool IsBlankLabel(const std::string& label) {
    return label.empty() || label == " ";
}

} // namespace

void CDialerDlg::OnDatagram(std::string_view sender, std::string_view msg) {
    LinkWindow link;
    link.deviceAddr = m_socket.DeviceAddr();
    link.searchOpen = m_searchOpen;
    if (m_bSetIpPending) link.probeAddr = m_probeAddress;
    link.loginAddr = m_loginAddress;
    if (!SenderMayDrive(link, sender, msg)) {
        m_dropTrace.Dropped(sender);
        return;
    }
    OnDeviceMessage(msg);
}

void CDialerDlg::OnDeviceMessage(std::string_view msg) {
    EventScope after{*this};
    DispatchScope scope(m_bDispatching);
    switch (proto::RecognizeIncoming(msg)) {
    case proto::InKeyword::HookOn: OnHookOn(); break;
    case proto::InKeyword::HookOff: m_hookOn = false; break;
    case proto::InKeyword::LinuxStart:
        m_strLinuxResponse.clear();
        m_consoleCut = false;
        break;
    case proto::InKeyword::LinuxEnd: OnLinuxEnd(); break;
    case proto::InKeyword::Linux:
        if (const auto fragment = proto::Read<proto::InKeyword::Linux>(msg))
            AppendConsoleOutput(*fragment);
        break;
    case proto::InKeyword::Mod: ShowContactEditor(true); break;
    case proto::InKeyword::Add: ShowContactEditor(false); break;
    case proto::InKeyword::Disp: OnDisp(msg); break;
    case proto::InKeyword::TextKey: OnTextKey(msg); break;
    case proto::InKeyword::IconKey: OnIconKey(msg); break;
    case proto::InKeyword::Clr: OnClr(msg); break;
    case proto::InKeyword::Icon: OnIcon(msg); break;
    case proto::InKeyword::Vol: OnVol(msg); break;
    case proto::InKeyword::UpdatePcList: UploadPrivateContacts(); break;
    case proto::InKeyword::Pbook: OnPbook(msg); break;
    case proto::InKeyword::Calls: OnCalls(msg); break;
    case proto::InKeyword::Menu: OnMenuList(msg); break;
    case proto::InKeyword::HideList: OnHideList(); break;
    case proto::InKeyword::ShowNav: OnShowNav(); break;
    case proto::InKeyword::ShowList: OnShowList(); break;
    case proto::InKeyword::ShowDialpad: OnShowDialpad(); break;
    case proto::InKeyword::ShowMute: OnShowMute(msg); break;
    case proto::InKeyword::Input: OnInput(msg); break;
    case proto::InKeyword::Orvn: OnDiscoveryReply(msg); break;
    case proto::InKeyword::Login: OnLoginReply(msg); break;
    case proto::InKeyword::None: break; // not ours: ignored without a trace
    }
}

void CDialerDlg::OnHookOn() {
    m_hookOn = true;
    // The device itself asked for the dial pad, so it needs no "DISP:" request.
    OnShowDialpad();
    SetEntryText("");
}

void CDialerDlg::SetDisplayLine(int vp, std::string text) {
    text = proto::Cut(text, vp == proto::Line::Block ? proto::Width::BlockText
                                                     : proto::Width::DisplayText);
    const std::size_t brace = text.find('}');
    if (brace != std::string::npos) text[brace] = 'H';

    FaceModel& face = m_face;
    switch (vp) {
    case proto::Line::Top: {
        const std::string& current = face.Text(Ctl::DisplayLine0);
        if (text != current) {
            // Font C while the text is long, font A otherwise; judged by the font the line
            // has rather than by its old text, which the link's prompts set alone.
            const FontId font = text.size() > kLine0LargeFontMax ? FontId::C : FontId::A;
            if (face.Get(Ctl::DisplayLine0).font != font) face.SetFont(Ctl::DisplayLine0, font);
            face.SetText(Ctl::DisplayLine0, text);
        }
        if (!text.empty()) {
            face.Show(Ctl::DisplayLine0, true);
            face.Show(Ctl::DisplayLine2, false);
            face.Show(Ctl::DisplayLine3, false);
            face.Show(Ctl::EntryEdit, false);
        }
        break;
    }
    case proto::Line::Second:
        SetTextIfDifferent(face, Ctl::DisplayLine1, text);
        face.Show(Ctl::DisplayLine1, true);
        break;
    case proto::Line::Third:
        SetTextIfDifferent(face, Ctl::DisplayLine2, text);
        if (!text.empty()) ShowLines23HideLine0(face);
        SetTextIfDifferent(face, Ctl::DisplayLine3, std::string());
        break;
    case proto::Line::Fourth:
        SetTextIfDifferent(face, Ctl::DisplayLine3, text);
        if (!text.empty()) ShowLines23HideLine0(face);
        break;
    case proto::Line::Block: {
        face.Show(Ctl::DisplayLine0, false);
        face.Show(Ctl::EntryEdit, false);
        face.Show(Ctl::DisplayLine1, true);
        face.Show(Ctl::DisplayLine2, true);
        face.Show(Ctl::DisplayLine3, true);
        // Lines the text does not reach keep what they show.
        const std::size_t first = text.find('\n');
        SetTextIfDifferent(face, Ctl::DisplayLine1, text.substr(0, first));
        if (first == std::string::npos) break;
        const std::size_t second = text.find('\n', first + 1);
        const std::size_t len2 =
            second == std::string::npos ? std::string::npos : second - first - 1;
        SetTextIfDifferent(face, Ctl::DisplayLine2, text.substr(first + 1, len2));
        if (second == std::string::npos) break;
        SetTextIfDifferent(face, Ctl::DisplayLine3, text.substr(second + 1));
        break;
    }
    default: break;
    }
}

void CDialerDlg::OnDisp(std::string_view msg) {
    const std::optional<proto::DispMsg> disp = proto::Read<proto::InKeyword::Disp>(msg);
    if (!disp) return;
    SetDisplayLine(disp->line, disp->text);
}

void CDialerDlg::OnTextKey(std::string_view msg) {
    const std::optional<proto::TextKeyMsg> key = proto::Read<proto::InKeyword::TextKey>(msg);
    if (!key) return;
    const std::string label = proto::Cut(key->label, proto::Width::DisplayText);
    int softKey = 0;
    bool hide = IsBlankLabel(label);
    switch (key->slot) {
    case 1:
        m_face.Show(Ctl::EditKey, false);
        softKey = Ctl::F1;
        // The device's own "Enter" label belongs to a key the face does not offer there.
        hide = hide || label.compare(0, 5, "Enter") == 0;
        break;
    case 2:
        m_face.Show(Ctl::DeleteKey, false);
        softKey = Ctl::F2;
        break;
    case 3:
        m_face.Show(Ctl::BackKey, false);
        softKey = Ctl::F3;
        break;
    default: return;
    }
    if (hide) {
        m_face.Show(softKey, false);
        return;
    }
    m_face.SetText(softKey, label);
    m_face.Show(softKey, true);
}

void CDialerDlg::OnIconKey(std::string_view msg) {
    const std::optional<proto::IconKeyMsg> key = proto::Read<proto::InKeyword::IconKey>(msg);
    if (!key) return;
    switch (key->slot) {
    case 1:
        if (key->iconCode == proto::KeyIcon::Edit)
            m_face.SetImages(Ctl::EditKey, NormalOnly(Bmp::Edit));
        if (key->iconCode == proto::KeyIcon::New)
            m_face.SetImages(Ctl::EditKey, NormalOnly(Bmp::New));
        m_face.Show(Ctl::F1, false);
        m_face.Redraw(Ctl::EditKey);
        m_face.Show(Ctl::EditKey, true);
        break;
    case 2:
        if (key->iconCode == proto::KeyIcon::Delete)
            m_face.SetImages(Ctl::DeleteKey, NormalOnly(Bmp::Delete));
        m_face.Show(Ctl::F2, false);
        m_face.Show(Ctl::DeleteKey, true);
        break;
    case 3:
        if (key->iconCode == proto::KeyIcon::Back)
            m_face.SetImages(Ctl::BackKey, NormalOnly(Bmp::Back));
        m_face.Show(Ctl::F3, false);
        m_face.Show(Ctl::BackKey, true);
        break;
    default: break;
    }
}

void CDialerDlg::OnClr(std::string_view msg) {
    const std::optional<int> what = proto::Read<proto::InKeyword::Clr>(msg);
    if (!what) return;
    switch (*what) {
    case proto::Clear::SmallIcons:
        m_face.Show(Ctl::UsbIcon, false);
        m_face.Show(Ctl::HdIcon, false);
        m_face.Show(Ctl::DndIcon, false);
        break;
    case proto::Clear::StatusAndVolume:
        m_face.Show(Ctl::StatusIcon, false);
        m_face.Show(Ctl::VolumeSlider, false);
        break;
    default: SetDisplayLine(*what, std::string()); break;
    }
}

void CDialerDlg::OnIcon(std::string_view msg) {
    const std::optional<proto::IconMsg> icon = proto::Read<proto::InKeyword::Icon>(msg);
    if (!icon) return;
    switch (icon->icon) {
    case proto::IconCode::UsbOn: m_face.Show(Ctl::UsbIcon, true); break;
    case proto::IconCode::UsbOff: m_face.Show(Ctl::UsbIcon, false); break;
    case proto::IconCode::Registered:
        m_face.Show(Ctl::PhoneIcon, true);
        m_face.Show(Ctl::PhoneOffIcon, false);
        break;
    case proto::IconCode::Unregistered:
        m_face.Show(Ctl::PhoneIcon, false);
        m_face.Show(Ctl::PhoneOffIcon, true);
        break;
    case proto::IconCode::DndOn: m_face.Show(Ctl::DndIcon, true); break;
    case proto::IconCode::HdOn: m_face.Show(Ctl::HdIcon, true); break;
    case proto::IconCode::HdOff: m_face.Show(Ctl::HdIcon, false); break;
    default:
        // Any other code is a status picture; an unknown one keeps the picture it has.
        m_face.Show(Ctl::StatusIcon, true);
        for (const StatusPicture& p : kStatusPictures) {
            if (p.code == icon->icon) {
                m_face.SetBitmap(Ctl::StatusIcon, p.bitmap);
                break;
            }
        }
        break;
    }
}

void CDialerDlg::OnVol(std::string_view msg) {
    // The volume screen replaces the contact editor; left open, the editor's controls would
    // overlap the volume screen and no later screen change would hide them.
    if (m_nFaceMode == FaceContactEditor) HideContactEditor();
    // Set before reading: even a message that fails to parse switches the mode.
    m_nFaceMode = FaceVolume;
    const std::optional<proto::VolMsg> vol = proto::Read<proto::InKeyword::Vol>(msg);
    if (!vol) return;
    SetDisplayLine(1, vol->text);
    m_face.Show(Ctl::EntryEdit, false);
    m_face.Show(Ctl::DisplayLine2, false);
    m_face.Show(Ctl::DisplayLine3, false);
    // While the user drags the slider, the device's value must not pull it away.
    if (!m_volumeDrag) m_face.SetSliderPos(Ctl::VolumeSlider, vol->percent);
    m_face.Show(Ctl::VolumeSlider, true);
    m_face.Show(Ctl::VolPlus, true);
    m_face.Show(Ctl::VolMinus, true);
    m_face.SetFocus(Ctl::VolumeSlider);
}

void CDialerDlg::OnShowNav() {
    m_face.Show(Ctl::MenuList, false);
    m_face.Show(Ctl::PhonebookList, false);
    m_face.Show(Ctl::CallLogList, false);
    m_face.Show(Ctl::DisplayLine0, true);
    m_face.Show(Ctl::DisplayLine1, true);
    m_face.Show(Ctl::DisplayLine2, true);
    m_face.Show(Ctl::DisplayLine3, true);
    m_face.Show(Ctl::VolPlus, true);
    m_face.Show(Ctl::VolMinus, true);
}

void CDialerDlg::OnShowMute(std::string_view msg) {
    const std::optional<int> show = proto::Read<proto::InKeyword::ShowMute>(msg);
    if (!show) return;
    m_face.Show(Ctl::Mute, *show != 0);
}

void CDialerDlg::OnInput(std::string_view msg) {
    // Read everything before the prompt opens: messages handled inside its modal loop
    // must not be able to change what this request asked.
    const std::optional<proto::InputRequest> read = proto::Read<proto::InKeyword::Input>(msg);
    if (!read) return;
    const proto::InputRequest& request = *read;
    TextInputRequest prompt;
    prompt.prompt = request.prompt;
    prompt.firstCaption = request.firstCaption;
    prompt.secondCaption = request.secondCaption;
    prompt.initialText = request.initialText;

    // One prompt at a time: a request that comes while one is open waits for it to close,
    // so replies go out in the order the prompts were answered and prompts never stack.
    if (m_promptOpen) {
        m_waitingPrompt = prompt;
        return;
    }
    m_promptOpen = true;
    std::optional<TextInputRequest> next = prompt;
    while (next && !m_ended) {
        const TextInputAnswer answer = m_ports.dialogs.RunTextInput(*next);
        m_nInputButton = answer.button;
        m_strInputText = answer.text;
        // The device waits for an answer however the prompt was closed.
        SendCommand(proto::Write<proto::OutKeyword::InputReply>(m_nInputButton, m_strInputText));
        next = std::move(m_waitingPrompt);
        m_waitingPrompt.reset();
    }
    m_promptOpen = false;
}

void CDialerDlg::OnLinuxEnd() {
    // One box at a time: an answer that ends while the box is open is shown when it closes.
    if (m_consoleBoxOpen) {
        m_consoleBoxWaiting = true;
        return;
    }
    m_consoleBoxOpen = true;
    m_bDispatching = 0;
    do {
        m_consoleBoxWaiting = false;
        // The box shows the answer as it stands now; fragments arriving while it is open
        // collect for the next box.
        const std::string text = m_strLinuxResponse;
        m_ports.dialogs.MessageBox(text, "Linux Response", MsgButtons::Ok, MsgIcon::Information,
                                   true);
    } while (m_consoleBoxWaiting && !m_ended);
    m_consoleBoxOpen = false;
}

void CDialerDlg::AppendConsoleOutput(std::string_view fragment) {
    // A box of megabytes would hold the window for seconds: keep the first part and say
    // that the rest was cut.
    if (m_consoleCut) return;
    const std::size_t room =
        kMaxConsoleOutput - std::min(kMaxConsoleOutput, m_strLinuxResponse.size());
    if (fragment.size() <= room) {
        m_strLinuxResponse += fragment;
        return;
    }
    m_strLinuxResponse += fragment.substr(0, room);
    m_strLinuxResponse += "\n[The rest of the output was cut: more than 64 KB.]";
    m_consoleCut = true;
}

} // namespace orvane
