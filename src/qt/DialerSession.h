// What the dialer does for the desktop session beyond the phone's face: numbers handed
// over by links (dialled once a phone is under control), the recent numbers offered from
// the entry, the incoming-call notice and the search of the phonebook and call log.
#pragma once

#include <QObject>
#include <QString>

class CallNotifier;
class DialerWindow;
class ListSearch;
class QCompleter;
class QLineEdit;
class QStringListModel;

namespace orvane {
class CRecentNumbers;
}

class DialerSession : public QObject {
    Q_OBJECT
  public:
    DialerSession(DialerWindow& window, orvane::CRecentNumbers& recent, QObject* parent = nullptr);
    ~DialerSession() override;

    // Dials a normalised number as SEND dials the entry, now if a phone is under control,
    // or else as soon as one is. A newer number replaces one still waiting.
    void dial(const QString& number);
    // The window to the front, as a second start of the program asks.
    void activate();
    // The number waiting for a phone; empty when none waits.
    QString waitingNumber() const { return m_waiting; }

  private:
    void afterEvent();
    void setUpEntry();
    void dialWaiting();
    void entryMenu(const QPoint& at);
    void refreshCompletion();

    DialerWindow& m_window;
    orvane::CRecentNumbers& m_recent;
    QString m_waiting;
    bool m_dialQueued = false;
    CallNotifier* m_notifier = nullptr;
    ListSearch* m_search = nullptr;
    QLineEdit* m_entry = nullptr;
    QCompleter* m_completer = nullptr;
    QStringListModel* m_completions = nullptr;
};
