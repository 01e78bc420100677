#include "ImageKey.h"

#include "Skin.h"

#include <QPaintDevice>
#include <QPainter>

ImageKey::ImageKey(bool clientEdge, QWidget* parent)
    : QAbstractButton(parent), m_clientEdge(clientEdge) {
    // A key never takes the focus: the entry keeps its caret and selection while keys are clicked.
    setFocusPolicy(Qt::NoFocus);
    // Edges and face cover the whole key.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ImageKey::setBitmap(int id) {
    m_bitmap = id;
    update();
}

void ImageKey::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int state = (isDown() ? 1 : 0) | (isEnabled() ? 2 : 0);
    const facepaint::LookKey key =
        facepaint::lookKeyOf(*this, painter.device()->devicePixelRatio(), m_bitmap, state);
    m_looks.paint(painter, key, palette().color(QPalette::Window),
                  [this](QPainter& p) { paintLook(p); });
}

void ImageKey::paintLook(QPainter& painter) const {
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
