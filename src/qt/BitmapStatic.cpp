#include "BitmapStatic.h"

#include "Skin.h"

#include <QPainter>

BitmapStatic::BitmapStatic(bool clip, QWidget* parent) : QWidget(parent), m_clip(clip) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void BitmapStatic::setBitmap(int id) {
    m_bitmap = id;
    if (!m_clip) {
        // The control takes the picture's size, from its top left corner.
        const QPixmap picture = orvane::skin::Bitmap(id);
        if (!picture.isNull()) resize(picture.deviceIndependentSize().toSize());
    }
    update();
}

void BitmapStatic::paintEvent(QPaintEvent*) {
    // The picture at its own size; a clipped control shows what fits.
    const QPixmap picture = orvane::skin::Bitmap(m_bitmap);
    if (picture.isNull()) return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture);
}
