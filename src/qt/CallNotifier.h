// The desktop notice of a call ringing on the controlled phone: caller's name and number,
// with Answer and Reject, through the desktop's notification service. Withdrawn when the
// call is answered, rejected or missed; never shown while the dialer's window is active.
#pragma once

#include "IncomingCall.h"

#include <QObject>
#include <QString>
#include <optional>

class DialerWindow;
class QTimer;

// One notice on the desktop that needs no answer (a link that could not be dialled, from
// a start without a terminal to say it on). Waits at most a second for the service; false
// when none took it.
bool notifyDesktop(const QString& summary, const QString& body);

class CallNotifier : public QObject {
    Q_OBJECT
  public:
    explicit CallNotifier(DialerWindow& window, QObject* parent = nullptr);
    ~CallNotifier() override;

    // Looks at the face again: after every event of the dialog, and when the window's
    // activation changes.
    void update();

  private Q_SLOTS:
    void onActionInvoked(uint id, const QString& action);
    void onClosed(uint id, uint reason);

  private:
    void show(const orvane::IncomingCall& call);
    void withdraw();
    void pressKey(bool answer);

    DialerWindow& m_window;
    QTimer* m_settle = nullptr;
    // The call on the face, and the one the notice shows (id 0: none shown).
    std::optional<orvane::IncomingCall> m_ringing;
    std::optional<orvane::IncomingCall> m_shown;
    uint m_id = 0;
    bool m_pending = false;   // a Notify on its way: its id is not known yet
    bool m_dismissed = false; // the user closed the notice of this call
};
