#include "FaceWidgets.h"

#include "Skin.h"

#include <QPainter>
#include <QStyleOption>
#include <qdrawutil.h>

namespace facepaint {

QRect drawStaticEdge(QPainter& painter, const QRect& rect, const QPalette& palette) {
    qDrawShadeRect(&painter, rect, palette, true, 1, 0);
    return rect.adjusted(1, 1, -1, -1);
}

QRect drawClientEdge(QPainter& painter, const QRect& rect, const QPalette& palette) {
    qDrawWinPanel(&painter, rect, palette, true);
    return rect.adjusted(2, 2, -2, -2);
}

QRect drawButtonFace(QPainter& painter, const QRect& rect, const QPalette& palette, bool down) {
    const QBrush face = palette.brush(QPalette::Button);
    qDrawWinButton(&painter, rect, palette, down, &face);
    QRect content = rect.adjusted(2, 2, -2, -2);
    if (down) content.translate(1, 1);
    return content;
}

} // namespace facepaint

ImageKey::ImageKey(bool clientEdge, QWidget* parent)
    : QAbstractButton(parent), m_clientEdge(clientEdge) {
    setFocusPolicy(Qt::ClickFocus);
}

void ImageKey::setBitmap(int id) {
    m_bitmap = id;
    update();
}

void ImageKey::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QRect r = facepaint::drawStaticEdge(painter, rect(), palette());
    if (m_clientEdge) r = facepaint::drawClientEdge(painter, r, palette());
    const QRect content = facepaint::drawButtonFace(painter, r, palette(), isDown());
    const QPixmap picture = orvane::skin::Bitmap(m_bitmap);
    if (picture.isNull() || content.isEmpty()) return;
    QSize fitted = picture.size().scaled(content.size(), Qt::KeepAspectRatio);
    QRect target(QPoint(0, 0), fitted);
    target.moveCenter(content.center());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setClipRect(content);
    painter.drawPixmap(target, picture);
    if (!isEnabled()) painter.fillRect(target, QColor(255, 255, 255, 110));
}

SoftKey::SoftKey(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::ClickFocus);
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
    painter.setFont(font());
    const int flags = Qt::AlignCenter | Qt::TextWordWrap;
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

BitmapStatic::BitmapStatic(bool clip, QWidget* parent) : QWidget(parent), m_clip(clip) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void BitmapStatic::setBitmap(int id) {
    m_bitmap = id;
    update();
}

void BitmapStatic::paintEvent(QPaintEvent*) {
    const QPixmap picture = orvane::skin::Bitmap(m_bitmap);
    if (picture.isNull()) return;
    QPainter painter(this);
    if (m_clip) {
        painter.drawPixmap(0, 0, picture);
        return;
    }
    const QSize fitted = picture.size().width() > width() || picture.size().height() > height()
                             ? picture.size().scaled(size(), Qt::KeepAspectRatio)
                             : picture.size();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(QRect(QPoint(0, 0), fitted), picture);
}

int StarPasswordStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                                 QStyleHintReturn* returnData) const {
    if (hint == QStyle::SH_LineEdit_PasswordCharacter) return '*';
    if (hint == QStyle::SH_LineEdit_PasswordMaskDelay) return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}
