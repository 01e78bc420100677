#include "FacePaint.h"

#include <QPaintDevice>
#include <QPainter>
#include <iterator>
#include <qdrawutil.h>
#include <tuple>

namespace facepaint {

namespace {
// A text is made no smaller than this to fit its place (then it is clipped after all).
constexpr int kSmallestFittedPx = 8;
} // namespace

namespace {

// Edges are drawn as one-pixel rectangles: at a device pixel ratio of 1, under a painter
// that is only moved, the same pixels as the system's edge functions draw with a cosmetic
// pen, at a fraction of the cost (a face of twenty keys has sixty edges to draw at start).
// Rectangles a few pixels small, where the system's lines run backwards, are left to it.
bool plainPixels(const QPainter& painter, const QRect& rect) {
    const QTransform& t = painter.worldTransform();
    return rect.width() >= 6 && rect.height() >= 6 && painter.device()->devicePixelRatio() == 1.0 &&
           t.type() <= QTransform::TxTranslate && t.dx() == qRound(t.dx()) &&
           t.dy() == qRound(t.dy());
}

void row(QPainter& p, int x1, int x2, int y, const QColor& c) {
    if (x2 >= x1) p.fillRect(QRect(x1, y, x2 - x1 + 1, 1), c);
}

void column(QPainter& p, int x, int y1, int y2, const QColor& c) {
    if (y2 >= y1) p.fillRect(QRect(x, y1, 1, y2 - y1 + 1), c);
}

// The two-pixel edge of a Windows panel or button: outer top-left, outer bottom-right,
// inner top-left, inner bottom-right, then the face.
void winShades(QPainter& p, const QRect& r, const QColor& c1, const QColor& c2, const QColor& c3,
               const QColor& c4, const QBrush* fill) {
    const int x = r.x(), y = r.y(), w = r.width(), h = r.height();
    column(p, x, y, y + h - 2, c1);
    row(p, x, x + w - 2, y, c1);
    row(p, x, x + w - 1, y + h - 1, c2);
    column(p, x + w - 1, y, y + h - 1, c2);
    column(p, x + 1, y + 1, y + h - 3, c3);
    row(p, x + 1, x + w - 3, y + 1, c3);
    row(p, x + 1, x + w - 2, y + h - 2, c4);
    column(p, x + w - 2, y + 1, y + h - 2, c4);
    if (fill != nullptr) p.fillRect(QRect(x + 2, y + 2, w - 4, h - 4), *fill);
}

} // namespace

QRect drawStaticEdge(QPainter& painter, const QRect& rect, const QPalette& palette) {
    if (!plainPixels(painter, rect)) {
        qDrawShadeRect(&painter, rect, palette, true, 1, 0);
    } else {
        // Sunken: a dark frame one pixel short of the bottom-right, light inside its
        // top-left and along the outer bottom-right.
        const int x1 = rect.left(), y1 = rect.top(), x2 = rect.right(), y2 = rect.bottom();
        const QColor dark = palette.dark().color(), light = palette.light().color();
        row(painter, x1, x2 - 1, y1, dark);
        row(painter, x1, x2 - 1, y2 - 1, dark);
        column(painter, x1, y1 + 1, y2 - 2, dark);
        column(painter, x2 - 1, y1 + 1, y2 - 2, dark);
        row(painter, x1 + 1, x2 - 2, y1 + 1, light);
        column(painter, x1 + 1, y1 + 2, y2 - 2, light);
        row(painter, x1, x2, y2, light);
        column(painter, x2, y1, y2 - 1, light);
    }
    return rect.adjusted(1, 1, -1, -1);
}

QRect drawClientEdge(QPainter& painter, const QRect& rect, const QPalette& palette) {
    if (plainPixels(painter, rect))
        winShades(painter, rect, palette.dark().color(), palette.light().color(),
                  palette.shadow().color(), palette.midlight().color(), nullptr);
    else
        qDrawWinPanel(&painter, rect, palette, true);
    return rect.adjusted(2, 2, -2, -2);
}

QRect drawButtonFace(QPainter& painter, const QRect& rect, const QPalette& palette, bool down) {
    const QBrush face = palette.brush(QPalette::Button);
    if (!plainPixels(painter, rect))
        qDrawWinButton(&painter, rect, palette, down, &face);
    else if (down)
        winShades(painter, rect, palette.shadow().color(), palette.light().color(),
                  palette.dark().color(), palette.button().color(), &face);
    else
        winShades(painter, rect, palette.light().color(), palette.shadow().color(),
                  palette.button().color(), palette.dark().color(), &face);
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
