#include "ModalWatch.h"

#include "CTextInputDlg.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace orvane::demo {

ModalWatch::ModalWatch(QObject* parent) : QObject(parent) {
    m_timer.setInterval(15);
    connect(&m_timer, &QTimer::timeout, this, &ModalWatch::poll);
    m_timer.start();
}

void ModalWatch::answerNext(Answer answer) {
    m_answers.push_back(std::move(answer));
}

namespace {

void press(QWidget* box, QMessageBox::StandardButton which) {
    auto* message = qobject_cast<QMessageBox*>(box);
    if (message == nullptr) return;
    QAbstractButton* button = message->button(which);
    if (button == nullptr && !message->buttons().isEmpty()) button = message->buttons().first();
    if (button != nullptr) button->click();
}

} // namespace

ModalWatch::Answer ModalWatch::yes() {
    return [](QWidget* box) { press(box, QMessageBox::Yes); };
}

ModalWatch::Answer ModalWatch::no() {
    return [](QWidget* box) { press(box, QMessageBox::No); };
}

ModalWatch::Answer ModalWatch::ok() {
    return [](QWidget* box) { press(box, QMessageBox::Ok); };
}

ModalWatch::Answer ModalWatch::prompt(int button, const QString& text) {
    return [button, text](QWidget* box) {
        auto* dlg = qobject_cast<CTextInputDlg*>(box);
        if (dlg == nullptr) return;
        dlg->edit()->selectAll();
        dlg->edit()->insert(text);
        (button == 1 ? dlg->firstButton() : dlg->secondButton())->click();
    };
}

int ModalWatch::count(Kind kind) const {
    int n = 0;
    for (const Seen& s : m_seen)
        if (s.kind == kind) ++n;
    return n;
}

void ModalWatch::poll() {
    QWidget* box = QApplication::activeModalWidget();
    if (box == nullptr || !box->isVisible() || box == m_current) return;
    m_current = box;
    Seen seen;
    seen.caption = box->windowTitle();
    if (auto* message = qobject_cast<QMessageBox*>(box)) {
        seen.kind = Kind::MessageBox;
        seen.text = message->text();
        seen.detail = message->detailedText();
    } else if (auto* prompt = qobject_cast<CTextInputDlg*>(box)) {
        seen.kind = Kind::TextPrompt;
        seen.text = prompt->promptLabel()->text();
        seen.initial = prompt->edit()->text();
        seen.first = prompt->firstButton()->text();
        seen.second = prompt->secondButton()->text();
    }
    m_seen.push_back(seen);
    if (m_hook) m_hook(box, seen);
    Answer answer;
    if (!m_answers.empty()) {
        answer = std::move(m_answers.front());
        m_answers.pop_front();
    } else if (seen.kind == Kind::TextPrompt) {
        answer = [](QWidget* w) { qobject_cast<CTextInputDlg*>(w)->secondButton()->click(); };
    } else if (seen.kind == Kind::MessageBox) {
        answer = no();
    } else {
        answer = [](QWidget* w) { w->close(); };
    }
    // Answered from the event loop, so the box's own loop is the one that returns.
    QTimer::singleShot(0, box, [box, answer] { answer(box); });
}

} // namespace orvane::demo
