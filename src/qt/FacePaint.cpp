#include "FacePaint.h"

#include <QPainter>
#include <iterator>
#include <qdrawutil.h>
#include <tuple>

namespace facepaint {

namespace {
// A text is made no smaller than this to fit its place (then it is clipped after all).
constexpr int kSmallestFittedPx = 8;
} // namespace

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

void LookCache::paint(QPainter& painter, const LookKey& key, const QColor& ground,
                      const std::function<void(QPainter&)>& draw) {
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (!m_entries[i].pixmap.isNull() && m_entries[i].key == key) {
            m_older = 1 - i;
            painter.drawPixmap(0, 0, m_entries[i].pixmap);
            return;
        }
    }
    if (!m_paintedOnce) {
        m_paintedOnce = true;
        painter.fillRect(QRect(QPoint(0, 0), key.size), ground);
        draw(painter);
        return;
    }
    Entry& entry = m_entries[m_older];
    m_older = 1 - m_older;
    entry.key = key;
    entry.pixmap = QPixmap(key.size * key.dpr);
    entry.pixmap.setDevicePixelRatio(key.dpr);
    // An opaque ground keeps the pixmap opaque, and copying it a plain copy.
    entry.pixmap.fill(ground);
    QPainter p(&entry.pixmap);
    draw(p);
    p.end();
    ++m_painted;
    painter.drawPixmap(0, 0, entry.pixmap);
}

QFont fitting(const QFont& font, const QRect& box, int flags, const QString& text) {
    auto fits = [&](const QFont& f) {
        const QRect need = QFontMetrics(f).boundingRect(box, flags, text);
        return need.width() <= box.width() && need.height() <= box.height();
    };
    if (text.isEmpty() || fits(font)) return font;
    QFont smaller = font;
    for (int px = font.pixelSize() > 0 ? font.pixelSize() : QFontMetrics(font).height();
         px > kSmallestFittedPx;) {
        smaller.setPixelSize(--px);
        if (fits(smaller)) break;
    }
    return smaller;
}

LookKey lookKeyOf(const QWidget& widget, qreal dpr, int picture, int state) {
    // Ground, face and every shade the edges are drawn with.
    static constexpr QPalette::ColorRole kRoles[] = {
        QPalette::Window, QPalette::Button, QPalette::Light, QPalette::Midlight,
        QPalette::Mid,    QPalette::Dark,   QPalette::Shadow};
    static_assert(std::size(kRoles) == std::tuple_size<decltype(LookKey::colours)>::value);
    const QPalette& palette = widget.palette();
    LookKey key;
    key.size = widget.size();
    key.dpr = dpr;
    key.picture = picture;
    key.state = state;
    bool solid = true;
    for (std::size_t i = 0; i < std::size(kRoles); ++i) {
        const QBrush& brush = palette.brush(kRoles[i]);
        key.colours[i] = brush.color().rgba();
        solid = solid && brush.style() == Qt::SolidPattern;
    }
    if (!solid) key.palette = palette.cacheKey();
    return key;
}

} // namespace facepaint
