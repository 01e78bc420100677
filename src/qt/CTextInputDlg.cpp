#include "CTextInputDlg.h"

#include "DialogUnits.h"
#include "ModelText.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <qdrawutil.h>

namespace {

constexpr int kFrame = 3; // the modal frame drawn around the caption-less window

} // namespace

QString CTextInputDlg::initialText(const orvane::TextInputRequest& request) {
    return modeltext::toQt(request.initialText).left(kMaxText);
}

CTextInputDlg::CTextInputDlg(const orvane::TextInputRequest& request, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    const QFont font = dialogfont::templateFont(10);
    setFont(font);
    const DialogUnits units(font);
    auto place = [&](QWidget* w, int x, int y, int width, int height) {
        w->setGeometry(units.rect(x, y, width, height).translated(kFrame, kFrame));
    };

    m_prompt = new QLabel(this);
    m_prompt->setTextFormat(Qt::PlainText);
    m_prompt->setAlignment(Qt::AlignCenter);
    m_prompt->setText(modeltext::toQt(request.prompt));
    place(m_prompt, 7, 7, 139, 16);

    m_edit = new QLineEdit(this);
    m_edit->setMaxLength(kMaxText);
    m_edit->setText(initialText(request));
    place(m_edit, 7, 32, 140, 22);

    m_first = new QPushButton(modeltext::toQt(request.firstCaption), this);
    m_second = new QPushButton(modeltext::toQt(request.secondCaption), this);
    for (QPushButton* button : {m_first, m_second}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    place(m_first, 7, 67, 60, 20);
    place(m_second, 87, 67, 60, 20);
    connect(m_first, &QPushButton::clicked, this, [this] { choose(1); });
    connect(m_second, &QPushButton::clicked, this, [this] { choose(2); });

    const QSize client = units.size(154, 94);
    setFixedSize(client.width() + 2 * kFrame, client.height() + 2 * kFrame);
    setModal(true);

    // Closed any other way, the prompt still answers: as the second button would.
    m_answer = {2, modeltext::toModel(m_edit->text())};

    // The field has the focus with its text selected, as a dialog gives it.
    m_edit->setFocus();
    m_edit->selectAll();
}

void CTextInputDlg::choose(int button) {
    m_answer = {button, modeltext::toModel(m_edit->text())};
    done(button);
}

void CTextInputDlg::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (mods == Qt::NoModifier) {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            // A button with the focus is pressed; anywhere else Enter is the first button.
            if (focusWidget() == m_second)
                choose(2);
            else
                choose(1);
            return;
        }
        if (event->key() == Qt::Key_Escape) {
            choose(2);
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

void CTextInputDlg::reject() {
    choose(2);
}

void CTextInputDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QBrush face = palette().brush(QPalette::Window);
    qDrawWinPanel(&painter, rect(), palette(), false, &face);
}
