// The core's ports on Qt: the datagram socket (a system socket watched by a
// QSocketNotifier, so no Qt Network), the dialog's timers on QTimer, the modal boxes on
// QMessageBox and the two small dialogs, and the machine.
#pragma once

#include "ports.h"

#include <QByteArray>
#include <QLoggingCategory>
#include <QObject>
#include <QPointer>
#include <deque>
#include <map>
#include <string>

class QTimer;
class QSocketNotifier;
class DialerWindow;

Q_DECLARE_LOGGING_CATEGORY(lcDialer)

// Where the ports deliver the socket's and the timers' notifications: the window runs
// each as a handler call (copy back, call, bring the window in step).
class QtDatagramPort : public QObject, public orvane::DatagramPort {
    Q_OBJECT
  public:
    explicit QtDatagramPort(QObject* parent = nullptr);
    ~QtDatagramPort() override;

    // From now on the socket's notifications reach the dialog through this window.
    void attach(DialerWindow* window);

    bool Create() override;
    bool SetBroadcast(bool on) override;
    bool SendTo(const void* data, std::size_t length, const std::string& host,
                std::uint16_t port) override;
    int ReceiveFrom(void* buffer, std::size_t capacity, std::string& senderAddr,
                    unsigned& senderPort) override;
    void Close() override;
    int LastError() const override { return m_lastError; }

    // The local port the socket is bound to (0 when there is none).
    std::uint16_t localPort() const;

    // Platform error numbers as the Windows Sockets numbers the messages show.
    static int mapErrno(int error);

  private:
    // One datagram taken off the socket, or the error reading it gave.
    struct Incoming {
        QByteArray bytes;
        std::string from;
        unsigned port = 0;
        int error = 0;
    };
    void onReadyRead();
    void drain();
    void scheduleDrain();
    void reportWritable();

    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
    QPointer<DialerWindow> m_window;
    int m_lastError = 0;
    bool m_drainQueued = false;
    bool m_writablePending = false;
    unsigned m_reads = 0; // ReceiveFrom calls, so a drain never spins on an unread datagram
    // Datagrams are taken off the socket as soon as it reports them and handed to the
    // dialog one at a time from the event loop, so the dialog's handlers (and the modal
    // boxes they open) never run inside the socket's notification.
    std::deque<Incoming> m_inbox;
    std::size_t m_inboxBytes = 0;
};

class QtTimerHost : public QObject, public orvane::TimerHost {
    Q_OBJECT
  public:
    explicit QtTimerHost(QObject* parent = nullptr);
    void attach(DialerWindow* window);

    void SetTimer(int id, unsigned periodMs) override;
    void KillTimer(int id) override;
    bool isRunning(int id) const;

  private:
    std::map<int, QTimer*> m_timers;
    QPointer<DialerWindow> m_window;
};

class QtDialogs : public orvane::Dialogs {
  public:
    void attach(DialerWindow* window);
    // Once the program is being shut down from outside, no box opens any more.
    void setQuitting(bool quitting) { m_quitting = quitting; }

    orvane::MsgAnswer MessageBox(const std::string& text, const std::string& caption,
                                 orvane::MsgButtons buttons, orvane::MsgIcon icon,
                                 bool ownedByDialog) override;
    orvane::TextInputAnswer RunTextInput(const orvane::TextInputRequest& request) override;
    void ShowAbout(const std::string& versionLine) override;

  private:
    QWidget* owner() const;
    QPointer<DialerWindow> m_window;
    bool m_quitting = false;
};

class QtPlatform : public orvane::Platform {
  public:
    void Sleep(unsigned ms) override;
    std::optional<Adapter> FirstAdapter() override;
    int PrimaryScreenWidth() override;
    void StdOut(const std::string& text) override;
    void StdErr(const std::string& text) override;
    void DebugOut(const std::string& text) override;
};
