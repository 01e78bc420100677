#include "SoftKey.h"

#include "FacePaint.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOption>

SoftKey::SoftKey(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::NoFocus); // as the picture keys
}

void SoftKey::setLabel(const QString& label) {
    if (label == m_label) return;
    m_label = label;
    setAccessibleName(label);
    update();
}

void SoftKey::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QRect r = facepaint::drawStaticEdge(painter, rect(), palette());
    r = facepaint::drawClientEdge(painter, r, palette());
    const QRect content = facepaint::drawButtonFace(painter, r, palette(), isDown());
    const int flags = Qt::AlignCenter | Qt::TextWordWrap;
    painter.setFont(facepaint::fitting(font(), content, flags, m_label));
    if (isEnabled()) {
        painter.setPen(palette().color(QPalette::Active, QPalette::ButtonText));
        painter.drawText(content, flags, m_label);
    } else {
        // Greyed text, etched as the system draws a disabled caption.
        painter.setPen(palette().color(QPalette::Light));
        painter.drawText(content.translated(1, 1), flags, m_label);
        painter.setPen(palette().color(QPalette::Disabled, QPalette::ButtonText));
        painter.drawText(content, flags, m_label);
    }
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = content.adjusted(1, 1, -1, -1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}
