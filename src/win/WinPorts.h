// The core's ports on Windows: a Winsock datagram socket that reports into the window's
// message loop, the dialog's timers as window timers, the modal boxes, and the machine.
#pragma once

#include "ports.h"

#include "WinApi.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

class FaceWindow;

// Window messages the ports post to the face window.
namespace winmsg {
constexpr UINT Socket = WM_APP + 1;   // WSAAsyncSelect: the socket's events
constexpr UINT Drain = WM_APP + 2;    // hand the datagrams taken off the socket to the dialog
constexpr UINT Writable = WM_APP + 3; // the socket can be written to
} // namespace winmsg

class WinDatagramPort : public orvane::DatagramPort {
  public:
    WinDatagramPort();
    ~WinDatagramPort() override;
    WinDatagramPort(const WinDatagramPort&) = delete;
    WinDatagramPort& operator=(const WinDatagramPort&) = delete;

    // From now on the socket's events reach the dialog through this window.
    void attach(FaceWindow* window);

    bool Create() override;
    bool SetBroadcast(bool on) override;
    bool SendTo(const void* data, std::size_t length, const std::string& host,
                std::uint16_t port) override;
    int ReceiveFrom(void* buffer, std::size_t capacity, std::string& senderAddr,
                    unsigned& senderPort) override;
    void Close() override;
    int LastError() const override { return m_lastError; }

    std::uint16_t localPort() const;

    // The window's messages for the socket.
    void onSocketMessage(WPARAM wParam, LPARAM lParam);
    void onDrain();
    void onWritable();

  private:
    struct Incoming {
        std::string bytes;
        std::string from;
        unsigned port = 0;
        int error = 0;
    };
    void readAll();
    void select();
    void post(UINT message);

    bool m_started = false; // WSAStartup succeeded
    SOCKET m_socket = INVALID_SOCKET;
    FaceWindow* m_window = nullptr;
    int m_lastError = 0;
    bool m_drainQueued = false;
    bool m_writablePending = false;
    unsigned m_reads = 0;
    std::deque<Incoming> m_inbox;
    std::size_t m_inboxBytes = 0;
};

class WinTimerHost : public orvane::TimerHost {
  public:
    void attach(FaceWindow* window);
    void SetTimer(int id, unsigned periodMs) override;
    void KillTimer(int id) override;
    bool isRunning(int id) const;

  private:
    FaceWindow* m_window = nullptr;
    std::map<int, unsigned> m_running; // id -> period
};

class WinDialogs : public orvane::Dialogs {
  public:
    void attach(FaceWindow* window) { m_window = window; }
    // Once the program is being shut down from outside, no box opens any more.
    void setQuitting(bool quitting) { m_quitting = quitting; }

    orvane::MsgAnswer MessageBox(const std::string& text, const std::string& caption,
                                 orvane::MsgButtons buttons, orvane::MsgIcon icon,
                                 bool ownedByDialog) override;
    orvane::TextInputAnswer RunTextInput(const orvane::TextInputRequest& request) override;
    void ShowAbout(const std::string& versionLine) override;

    // A long text as a box shows it: its first lines, marked as cut.
    static std::string BoxText(const std::string& text);

  private:
    HWND owner() const;
    FaceWindow* m_window = nullptr;
    bool m_quitting = false;
};

class WinPlatform : public orvane::Platform {
  public:
    void Sleep(unsigned ms) override;
    std::optional<Adapter> FirstAdapter() override;
    int PrimaryScreenWidth() override;
    void StdOut(const std::string& text) override;
    void StdErr(const std::string& text) override;
    void DebugOut(const std::string& text) override;
};
