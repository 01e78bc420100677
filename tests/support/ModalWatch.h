// Answers the modal boxes the dialer opens (its message boxes and the device's text prompt)
// as a user would, from a timer that keeps firing inside their event loops, and remembers
// every box it saw.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>
#include <vector>

namespace orvane::demo {

class ModalWatch : public QObject {
  public:
    enum class Kind { MessageBox, TextPrompt, Other };
    struct Seen {
        Kind kind = Kind::Other;
        QString caption;
        QString text;          // a message box's text; the prompt's prompt text
        QString detail;        // a message box's text under "Show Details..."
        QString initial;       // the prompt's initial text
        QString first, second; // the prompt's button captions
    };
    // How to answer one box; it gets the box and closes it.
    using Answer = std::function<void(QWidget*)>;

    explicit ModalWatch(QObject* parent = nullptr);

    // The next box gets `answer` (in the order queued); without one a message box gets its
    // "No" (or its only button), a prompt its second button.
    void answerNext(Answer answer);
    static Answer yes();
    static Answer no();
    static Answer ok();
    // Types `text` into the prompt's field (replacing what is there) and presses `button`.
    static Answer prompt(int button, const QString& text);

    // Called once for every box as it is seen, before it is answered (e.g. a screenshot).
    void onSeen(std::function<void(QWidget*, const Seen&)> hook) { m_hook = std::move(hook); }

    const std::vector<Seen>& seen() const { return m_seen; }
    int count(Kind kind) const;
    void clear() { m_seen.clear(); }

  private:
    void poll();

    QTimer m_timer;
    QPointer<QWidget> m_current;
    std::deque<Answer> m_answers;
    std::vector<Seen> m_seen;
    std::function<void(QWidget*, const Seen&)> m_hook;
};

} // namespace orvane::demo
