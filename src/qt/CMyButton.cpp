#include "CMyButton.h"

#include "FaceWidgets.h"
#include "Skin.h"

#include <QPainter>

CMyButton::CMyButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::ClickFocus);
}

void CMyButton::setImages(const orvane::ImageSet& images) {
    m_images = images;
    update();
}

int CMyButton::currentImage() const {
    return orvane::ChooseButtonImage(m_images, isDown(), hasFocus(), !isEnabled());
}

void CMyButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // The static edge belongs to the window, not to the drawing of the key.
    const QRect inner = facepaint::drawStaticEdge(painter, rect(), palette());
    const int id = currentImage();
    if (id == 0) return; // an empty normal slot: the key stays blank
    const QPixmap picture = orvane::skin::Bitmap(id);
    if (picture.isNull()) return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(inner, picture);
}
