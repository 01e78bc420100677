#include "CMyButton.h"

#include "Skin.h"

#include <QPaintDevice>
#include <QPainter>

CMyButton::CMyButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::NoFocus); // the entry keeps its caret and selection
}

void CMyButton::setImages(const orvane::ImageSet& images) {
    m_images = images;
    // With a normal picture the key covers itself: its edge and a picture in every state.
    // Without one it stays blank and what lies behind it shows.
    setAttribute(Qt::WA_OpaquePaintEvent, images.normal != 0);
    update();
}

int CMyButton::currentImage() const {
    return orvane::ChooseButtonImage(m_images, isDown(), hasFocus(), !isEnabled());
}

void CMyButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int id = currentImage();
    if (id == 0) {
        // An empty normal slot: the key stays blank inside its static edge.
        facepaint::drawStaticEdge(painter, rect(), palette());
        return;
    }
    const facepaint::LookKey key =
        facepaint::lookKeyOf(*this, painter.device()->devicePixelRatio(), id, 0);
    // The ground is the window's, where a picture the skin lacks leaves the key empty.
    m_looks.paint(painter, key, palette().color(QPalette::Window), [&](QPainter& p) {
        // The static edge belongs to the window, not to the drawing of the key.
        const QRect inner = facepaint::drawStaticEdge(p, rect(), palette());
        const QPixmap picture = orvane::skin::Bitmap(id);
        if (picture.isNull()) return;
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawPixmap(inner, picture);
    });
}
