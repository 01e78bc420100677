// The device's text prompt: one line of prompt text, an edit field with an initial text
// and two buttons whose captions the device chooses. Every way out gives an answer: the
// buttons, Enter (as the first button) and Escape (as the second), each with the text
// then in the field. The field takes at most 30 characters, all the reply has room for.
#pragma once

#include "ports.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class CTextInputDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kMaxText = 30;

    CTextInputDlg(const orvane::TextInputRequest& request, QWidget* parent = nullptr);

    // The button (1 or 2) and the field's text when it was chosen.
    orvane::TextInputAnswer answer() const { return m_answer; }

    // The request's initial text as the field shows it: cut to what the field takes.
    static QString initialText(const orvane::TextInputRequest& request);

    QLabel* promptLabel() const { return m_prompt; }
    QLineEdit* edit() const { return m_edit; }
    QPushButton* firstButton() const { return m_first; }
    QPushButton* secondButton() const { return m_second; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void reject() override;

  private:
    void choose(int button);

    QLabel* m_prompt = nullptr;
    QLineEdit* m_edit = nullptr;
    QPushButton* m_first = nullptr;
    QPushButton* m_second = nullptr;
    orvane::TextInputAnswer m_answer;
};
