// The screens of the phone face: the dial pad, the three list screens, and the tab
// highlight that goes with them.
#include "CDialerDlg.h"

#include "FaceIds.h"

namespace orvane {

void CDialerDlg::SetTabImages(TabState state) {
    const TabImages images = TabImagesFor(state);
    const std::pair<int, ImageSet> order[] = {{Ctl::MenuTab, images.menu},
                                              {Ctl::ContactsTab, images.contacts},
                                              {Ctl::CallLogsTab, images.callLogs},
                                              {Ctl::DialpadTab, images.dialpad}};
    for (const auto& [id, set] : order) {
        m_face.SetImages(id, set);
        m_face.Redraw(id);
    }
}

void CDialerDlg::ShowKeypad(bool show) {
    if (show && m_nFaceMode == FaceContactEditor) HideContactEditor();
    for (int id = Ctl::Key1; id <= Ctl::KeyHash; ++id)
        m_face.Show(id, show);
}

void CDialerDlg::ShowDialpadScreen() {
    SetTabImages(TabState::Dialpad);
    ShowKeypad(true);
    m_nFaceMode = FaceDialpad;
    for (int id : {Ctl::DeviceList, Ctl::MenuList, Ctl::VolumeSlider})
        m_face.Show(id, false);
    for (int id : {Ctl::VolPlus, Ctl::VolMinus, Ctl::MenuTab})
        m_face.Show(id, true);
    for (int id : {Ctl::PhonebookList, Ctl::CallLogList})
        m_face.Show(id, false);
    m_face.Show(Ctl::Send, true);
    m_face.Enable(Ctl::Send, true);
    m_face.Show(Ctl::End, true);
    // Ask the device for its display, unless the device itself asked for this screen.
    if (m_dialpadNotify) SendCommand(proto::Write<proto::OutKeyword::DispRequest>());
}

void CDialerDlg::ShowPhonebookScreen() {
    if (m_nFaceMode == FaceContactEditor) HideContactEditor();
    m_nFaceMode = FacePhonebook;
    ShowKeypad(false);
    for (int id : {Ctl::DeviceList, Ctl::MenuList, Ctl::CallLogList, Ctl::EntryEdit,
                   Ctl::VolumeSlider, Ctl::VolPlus, Ctl::VolMinus, Ctl::StatusIcon})
        m_face.Show(id, false);
    for (int id : {Ctl::MenuTab, Ctl::DialpadTab, Ctl::PhonebookList, Ctl::End})
        m_face.Show(id, true);
    m_face.Enable(Ctl::Send, false);
}

void CDialerDlg::ShowCallLogScreen() {
    if (m_nFaceMode == FaceContactEditor) HideContactEditor();
    m_nFaceMode = FaceCallLog;
    ShowKeypad(false);
    for (int id : {Ctl::DeviceList, Ctl::MenuList, Ctl::PhonebookList, Ctl::EntryEdit,
                   Ctl::VolumeSlider, Ctl::VolPlus, Ctl::VolMinus, Ctl::StatusIcon,
                   Ctl::DisplayLine0, Ctl::DisplayLine1, Ctl::DisplayLine2, Ctl::DisplayLine3})
        m_face.Show(id, false);
    for (int id : {Ctl::MenuTab, Ctl::DialpadTab, Ctl::CallLogList, Ctl::End})
        m_face.Show(id, true);
    m_face.Enable(Ctl::Send, false);
}

void CDialerDlg::ShowMenuScreen() {
    if (m_nFaceMode == FaceContactEditor) HideContactEditor();
    m_nFaceMode = FaceMenu;
    ShowKeypad(false);
    for (int id :
         {Ctl::DeviceList, Ctl::PhonebookList, Ctl::CallLogList, Ctl::EntryEdit, Ctl::DisplayLine0,
          Ctl::DisplayLine1, Ctl::DisplayLine2, Ctl::DisplayLine3, Ctl::VolPlus, Ctl::VolMinus})
        m_face.Show(id, false);
    for (int id : {Ctl::MenuTab, Ctl::DialpadTab, Ctl::MenuList, Ctl::End, Ctl::Send})
        m_face.Show(id, true);
    m_face.Enable(Ctl::Send, false);
}

} // namespace orvane
