#include "DialerAdapter.h"

#include "CDialerDlg.h"

orvane::FaceModel& DialerAdapter::face() {
    return m_dialog.Face();
}

void DialerAdapter::setStartAddress(const std::string& address) {
    m_dialog.SetStartAddress(address);
}

void DialerAdapter::initDialog(const std::string& privateContactsPath) {
    m_dialog.OnInitDialog(privateContactsPath);
}

void DialerAdapter::ok() {
    m_dialog.OnOK();
}

void DialerAdapter::cancel() {
    m_dialog.OnCancel();
}

void DialerAdapter::close() {
    m_dialog.OnClose();
}

bool DialerAdapter::ended() const {
    return m_dialog.IsEnded();
}

void DialerAdapter::timer(int id) {
    m_dialog.OnTimer(id);
}

void DialerAdapter::command(int id) {
    m_dialog.OnCommand(id);
}

void DialerAdapter::listClick(int listId, int row) {
    m_dialog.OnListClick(listId, row);
}

void DialerAdapter::listActivate(int listId, int row, bool clicked) {
    m_dialog.OnListActivate(listId, row, clicked);
}

bool DialerAdapter::keyboardKeypad(char key) {
    return m_dialog.OnKeyboardKeypad(key);
}

bool DialerAdapter::keyboardBackspace() {
    return m_dialog.OnKeyboardBackspace();
}

void DialerAdapter::volumeSlider() {
    m_dialog.OnVolumeSlider();
}

void DialerAdapter::socketReadable() {
    m_dialog.Socket().OnReceive(0);
}

void DialerAdapter::socketWritable() {
    m_dialog.Socket().OnSend(0);
}

bool DialerAdapter::privateController() const {
    return m_dialog.isPrivateController();
}

std::string DialerAdapter::deviceAddress() const {
    return m_dialog.Socket().DeviceAddr();
}
