// Everything the Windows shell asks of the dialog, in one place: the face it draws and the
// handlers it calls. Only this file's implementation names the dialog's own members, so a
// rename there is a change here alone.
#pragma once

#include <string>

namespace orvane {
class CDialerDlg;
class FaceModel;
} // namespace orvane

class DialerAdapter {
  public:
    explicit DialerAdapter(orvane::CDialerDlg& dialog) : m_dialog(dialog) {}

    orvane::FaceModel& face();

    // Start-up: an address named on the command line, then the dialog's initialisation.
    void setStartAddress(const std::string& address);
    void initDialog(const std::string& privateContactsPath);

    void ok();
    void cancel();
    void close();
    bool ended() const;

    void timer(int id);
    void command(int id);
    void listClick(int listId, int row);
    void listActivate(int listId, int row, bool clicked);
    bool keyboardKeypad(char key);
    bool keyboardBackspace();
    void volumeSlider();

    // The socket has datagrams to read / can be written to.
    void socketReadable();
    void socketWritable();

    // Attached to a phone as its private controller, and that phone's address.
    bool privateController() const;
    std::string deviceAddress() const;

  private:
    orvane::CDialerDlg& m_dialog;
};
