// What the user's keys and clicks do: the keypad and the entry edit, the call, volume,
// tab and soft keys, list selections and the contact editor.
#include "CDialerDlg.h"

#include "FaceIds.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace orvane {

namespace {

constexpr const char* kCaption = kWindowTitle;
// The entry edit's mark while SEND sends its line to the phone's console.
constexpr const char* kConsoleTag = "console";

// The name each keypad key sends while the hook flag is clear, by id - 1000.
constexpr const char* kKeyNames[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "10", "11"};

// Characters that make an entry a console command line instead of a number.
bool IsConsoleLine(const std::string& entry) {
    return entry.find_first_of("abcdefghijklmnopqrstuvwxyz/.") != std::string::npos;
}

// The entry edit's selection, clamped to the text so arithmetic on it stays in range.
std::pair<int, int> EntrySelection(const Control& edit) {
    const int len = static_cast<int>(edit.text.size());
    const int start = std::clamp(edit.selStart, 0, len);
    const int end = std::clamp(edit.selEnd, start, len);
    return {start, end};
}

} // namespace

// --- Keypad and entry ----------------------------------------------------------------------

void CDialerDlg::SendKeyCode(int code) {
    if (code == proto::KeyCode::Send) {
        OnSendAction();
        return;
    }
    SendCommand(proto::Write<proto::OutKeyword::Key>(code));
}

void CDialerDlg::OnKeypad(int id) {
    if (id < Ctl::Key1 || id > Ctl::KeyHash) return;
    const std::string name = kKeyNames[id - Ctl::Key1];
    std::string entry = EntryText();

    // While an address or a password is typed, the keypad types into it: sent as key
    // presses, a password would reach the phone in clear.
    const bool typingIntoEntry = m_bSetIpPending || m_bPasswordPending;
    if (!m_hookOn && !typingIntoEntry) {
        // The text was just read from the edit, so there is nothing to write back.
        SendCommand(proto::Write<proto::OutKeyword::Key>(name));
        return;
    }

    if (m_hookOn && !typingIntoEntry && entry.empty()) {
        // The dialling face: the entry takes the place of the display, and the Delete
        // and Back icon keys take the soft keys' slots.
        for (int line : {Ctl::DisplayLine0, Ctl::DisplayLine2, Ctl::DisplayLine3})
            m_face.Show(line, false);
        m_face.Show(Ctl::EntryEdit, true);
        m_face.SetFocus(Ctl::EntryEdit);
        for (int key : {Ctl::F1, Ctl::F2, Ctl::F3})
            m_face.Show(key, false);
        m_face.SetImages(Ctl::DeleteKey, {Bmp::Delete, 0, 0, 0});
        m_face.SetImages(Ctl::BackKey, {Bmp::Back, 0, 0, 0});
        m_face.Show(Ctl::DeleteKey, true);
        m_face.Show(Ctl::BackKey, true);
    }

    const char c = name == "10" ? '*' : name == "11" ? '#' : name[0];
    const Control& edit = m_face.Get(Ctl::EntryEdit);
    // An address or a password holds no more than its field does.
    if (typingIntoEntry && edit.maxLength > 0 &&
        entry.size() >= static_cast<std::size_t>(edit.maxLength))
        return;
    const auto [start, end] = EntrySelection(edit);
    // The character goes in front of a selection without replacing it; the selection
    // moves on with the text it covered.
    entry.insert(static_cast<std::size_t>(start), 1, c);
    SetEntryText(entry);
    m_face.SetEditSel(Ctl::EntryEdit, start + 1, end + 1);
    m_face.SetFocus(Ctl::EntryEdit);
}

bool CDialerDlg::OnKeyboardKeypad(char key) {
    EventScope after{*this};
    static constexpr char kGlyphs[] = "1234567890*#"; // in id order from Key1
    const char* at = key != '\0' ? std::strchr(kGlyphs, key) : nullptr;
    if (at == nullptr) return false;
    const int id = Ctl::Key1 + static_cast<int>(at - kGlyphs);
    const Control& pad = m_face.Get(id);
    if (!pad.visible || !pad.enabled) return false;
    // In the entry edit with no number being dialled, the user types the entry's own text;
    // the contact editor's fields take the keyboard only.
    const int focus = m_face.Focus();
    if ((focus == Ctl::EntryEdit && !m_hookOn) || focus == Ctl::NameEdit ||
        focus == Ctl::NumberEdit)
        return false;
    OnKeypad(id);
    return true;
}

bool CDialerDlg::OnKeyboardBackspace() {
    EventScope after{*this};
    if (m_bSetIpPending || m_bPasswordPending || m_nFaceMode != FaceDialpad || !m_hookOn ||
        EntryText().empty())
        return false;
    OnBackspace();
    return true;
}

void CDialerDlg::OnSendAction() {
    // Kept aside: a box opened by the send of "DISP:" lets messages in that may change
    // the entry before the number goes out.
    const std::string entry = EntryText();
    if (entry.empty()) {
        m_hookOn = false;
        SendCommand(proto::Write<proto::OutKeyword::Key>(proto::KeyCode::Send));
        return;
    }

    // A cut command would run a different command line or dial the wrong person, so an
    // entry too long for its command is refused and left for the user to correct.
    if (IsConsoleLine(entry)) {
        if (entry.size() > proto::kMaxLinuxLength) {
            m_ports.dialogs.MessageBox("The command line is too long (at most 56 characters).",
                                       kCaption, MsgButtons::Ok, MsgIcon::Warning, true);
            return;
        }
        SendCommand(proto::Write<proto::OutKeyword::Linux>(entry));
        return;
    }
    if (entry.size() > proto::kMaxDialLength) {
        m_ports.dialogs.MessageBox("The number is too long to dial (at most 25 characters).",
                                   kCaption, MsgButtons::Ok, MsgIcon::Warning, true);
        return;
    }

    ShowDialpadScreen();
    SendCommand(proto::Write<proto::OutKeyword::Dial>(entry));
    SetEntryText("");
}

void CDialerDlg::OnBackspace() {
    const auto [start, end] = EntrySelection(m_face.Get(Ctl::EntryEdit));
    std::string entry = EntryText();
    if (start > 0) entry.erase(static_cast<std::size_t>(start - 1), 1);
    SetEntryText(entry);

    if (entry.empty()) {
        // The device shows its own display again; the next keypad key brings the
        // dialling face back, since the hook flag stays set.
        SendCommand(proto::Write<proto::OutKeyword::DispRequest>());
        m_face.Show(Ctl::EntryEdit, false);
        return;
    }
    if (start > 0)
        m_face.SetEditSel(Ctl::EntryEdit, start - 1, end - 1);
    else
        m_face.SetEditSel(Ctl::EntryEdit, 0, 0); // nothing removed; the selection is dropped
    m_face.SetFocus(Ctl::EntryEdit);
}

void CDialerDlg::OnLinuxSecret() {
    // The entry takes a password or an address now; as a console line it would go out in
    // clear.
    if (EntryTakesPrompt()) return;
    if (m_consoleMode)
        LeaveConsoleMode(true);
    else
        EnterConsoleMode();
}

void CDialerDlg::EnterConsoleMode() {
    // The console starts from what the face shows: text left in the hidden entry (an
    // applied address, a contact's number) would go out in front of the typed command.
    if (!m_face.IsVisible(Ctl::EntryEdit)) {
        SetEntryText("");
    }
    for (std::size_t i = 0; i < m_consoleLines.size(); ++i)
        m_consoleLines[i] = m_face.IsVisible(Ctl::DisplayLine0 + static_cast<int>(i));
    for (int line : {Ctl::DisplayLine0, Ctl::DisplayLine1, Ctl::DisplayLine2, Ctl::DisplayLine3})
        m_face.Show(line, false);
    m_face.Show(Ctl::EntryEdit, true);
    m_face.SetFocus(Ctl::EntryEdit);
    m_face.SetTag(Ctl::EntryEdit, kConsoleTag);
    m_consoleMode = true;
}

void CDialerDlg::LeaveConsoleMode(bool giveDisplayBack) {
    m_consoleMode = false;
    m_face.SetTag(Ctl::EntryEdit, "");
    // The console line goes with the mode, so SEND never sends it again unseen.
    SetEntryText("");
    if (!giveDisplayBack) return;
    m_face.Show(Ctl::EntryEdit, false);
    for (std::size_t i = 0; i < m_consoleLines.size(); ++i)
        if (m_consoleLines[i]) m_face.Show(Ctl::DisplayLine0 + static_cast<int>(i), true);
    // What the phone showed meanwhile is on its own screen; it sends it again.
    SendCommand(proto::Write<proto::OutKeyword::DispRequest>());
}

void CDialerDlg::FollowConsoleMode() {
    if (!m_consoleMode) return;
    if (!m_face.IsVisible(Ctl::EntryEdit) || EntryTakesPrompt()) LeaveConsoleMode(false);
}

// --- Function, tab and volume keys ---------------------------------------------------------

void CDialerDlg::OnF1() {
    if (m_nFaceMode == FaceContactEditor) {
        SendContact();
        return;
    }
    SendKeyCode(proto::KeyCode::F1);
}

void CDialerDlg::OnF2() {
    if (m_bSetIpPending) {
        OnApplyAddress();
    } else if (m_bPasswordPending) {
        OnApplyPassword();
    } else if (m_nFaceMode == FaceDialpad && m_hookOn && !EntryText().empty()) {
        OnBackspace();
    } else {
        SendKeyCode(proto::KeyCode::F2);
    }
}

void CDialerDlg::OnF3() {
    if (m_nFaceMode == FaceVolume) ShowMenuScreen();
    SendKeyCode(proto::KeyCode::F3);
}

void CDialerDlg::OnTabKey(int code, TabState state) {
    SendKeyCode(code);
    SetTabImages(state);
}

void CDialerDlg::OnVolumeSlider() {
    EventScope after{*this};
    const Control& slider = m_face.Get(Ctl::VolumeSlider);
    const int percent = std::clamp(slider.pos, 0, 100);
    // Flag and timer first: the device's volume reports must not move the thumb back
    // even while the send below is busy (a failed send opens a box).
    m_volumeDrag = true;
    m_ports.timers.SetTimer(Timer::VolumeDrag, Timer::VolumeDragMs);
    SendCommand(proto::Write<proto::OutKeyword::Volume>(percent));
}

// --- Lists and the contact editor ----------------------------------------------------------

void CDialerDlg::OnNumberListClick(int listId, int row) {
    const bool phonebook = listId == Ctl::PhonebookList;
    int& selection = phonebook ? m_nContactSel : m_nCallSel;
    // Any row the list shows counts, also one past the count after the device resent lower
    // numbers (rows are only ever appended); each row shows the record of its number.
    const std::size_t stored = phonebook ? m_Phonebook.size() : m_CallLog.size();
    const int count = std::min(m_face.ListRowCount(listId), static_cast<int>(stored));
    if (row < 0 || row >= count) {
        // A click below the last row selects nothing, so a later "MOD:" is ignored.
        selection = -1;
        return;
    }
    selection = row;
    const auto i = static_cast<std::size_t>(row);
    SetEntryText(phonebook ? m_Phonebook.read(i).number : m_CallLog.read(i).Number);
    m_face.Show(Ctl::End, true);
    m_face.Show(Ctl::Send, true);
    m_face.Enable(Ctl::Send, true);
    SendCommand(proto::Write<proto::OutKeyword::Select>(row));
}

void CDialerDlg::OnMenuListClick(int row) {
    if (row < 0 || row >= m_face.ListRowCount(Ctl::MenuList)) return;
    SendCommand(proto::Write<proto::OutKeyword::Select>(row));
}

void CDialerDlg::ShowContactEditor(bool modify) {
    if (modify) {
        const int count = std::min(m_nPhonebookCount, static_cast<int>(m_Phonebook.size()));
        if (m_nContactSel < 0 || m_nContactSel >= count) return;
        const PhonebookEntry& entry = m_Phonebook.read(static_cast<std::size_t>(m_nContactSel));
        m_face.SetText(Ctl::NameEdit, entry.name);
        m_face.SetText(Ctl::NumberEdit, entry.number);
    } else {
        m_face.SetText(Ctl::NameEdit, "");
        m_face.SetText(Ctl::NumberEdit, "");
        m_nContactSel = -1;
    }
    // The fields hold what the phonebook holds, so every "ADD:" and "MOD:" line fits
    // the command-line limit.
    m_face.SetLimitText(Ctl::NumberEdit, static_cast<int>(proto::Width::PbookNumber));
    m_face.SetLimitText(Ctl::NameEdit, static_cast<int>(proto::Width::PbookName));

    for (int id : {Ctl::PhonebookList, Ctl::DisplayLine1, Ctl::DisplayLine2, Ctl::DisplayLine3})
        m_face.Show(id, false);
    for (int id : {Ctl::NameEdit, Ctl::NumberEdit, Ctl::NameLabel, Ctl::NumberLabel})
        m_face.Show(id, true);
    m_face.SetImages(Ctl::EditKey, {Bmp::Save, 0, 0, 0});
    m_nFaceMode = FaceContactEditor;
}

void CDialerDlg::SendContact() {
    // The edits limit what the user types; text put there another way is cut all the same.
    const std::string number = proto::Cut(m_face.Text(Ctl::NumberEdit), proto::Width::PbookNumber);
    const std::string name = proto::Cut(m_face.Text(Ctl::NameEdit), proto::Width::PbookName);
    if (m_nContactSel == -1)
        SendCommand(proto::Write<proto::OutKeyword::Add>(number, name));
    else
        SendCommand(proto::Write<proto::OutKeyword::Mod>(m_nContactSel, number, name));
}

} // namespace orvane
