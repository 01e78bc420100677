#include "FacePaint.h"

#include "Skin.h"

#include <QApplication>
#include <QIconEngine>
#include <QPaintDevice>
#include <QPainter>
#include <QPointer>
#include <QStyleFactory>
#include <QStyleOption>
#include <algorithm>
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

int FaceStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                         QStyleHintReturn* returnData) const {
    if (hint == QStyle::SH_LineEdit_PasswordCharacter) return '*';
    if (hint == QStyle::SH_LineEdit_PasswordMaskDelay) return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

bool FaceStyle::PanelLook::operator==(const PanelLook& o) const {
    return size == o.size && dpr == o.dpr && palette == o.palette && colorGroup == o.colorGroup &&
           state == o.state && direction == o.direction && lineWidth == o.lineWidth &&
           midLineWidth == o.midLineWidth && features == o.features && shape == o.shape;
}

void FaceStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                              QPainter* painter, const QWidget* widget) const {
    const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
    const QTransform& transform = painter->worldTransform();
    // Only Fusion's panel is known to depend on nothing but the option; other styles may
    // animate it. A scaled or rotated painter, or one half a pixel off, draws it directly.
    const bool cacheable =
        element == PE_PanelLineEdit && frame != nullptr && !option->rect.isEmpty() &&
        transform.type() <= QTransform::TxTranslate && transform.dx() == qRound(transform.dx()) &&
        transform.dy() == qRound(transform.dy()) &&
        baseStyle()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0;
    if (!cacheable) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    const qreal dpr = painter->device()->devicePixelRatio();
    const PanelLook key{option->rect.size(),
                        dpr,
                        option->palette.cacheKey(),
                        static_cast<int>(option->palette.currentColorGroup()),
                        static_cast<int>(option->state),
                        static_cast<int>(option->direction),
                        frame->lineWidth,
                        frame->midLineWidth,
                        static_cast<int>(frame->features),
                        static_cast<int>(frame->frameShape)};
    auto hit = std::find_if(m_panels.begin(), m_panels.end(),
                            [&key](const CachedPanel& f) { return f.key == key; });
    if (hit == m_panels.end()) {
        // A handful of edits in two or three states each; the longest kept look goes.
        constexpr std::size_t kMaxPanels = 12;
        if (m_panels.size() == kMaxPanels) m_panels.erase(m_panels.begin());
        QPixmap pixmap(option->rect.size() * dpr);
        pixmap.setDevicePixelRatio(dpr);
        pixmap.fill(Qt::transparent);
        QStyleOptionFrame moved = *frame;
        moved.rect.moveTopLeft(QPoint(0, 0));
        QPainter p(&pixmap);
        QProxyStyle::drawPrimitive(element, &moved, &p, widget);
        p.end();
        m_panels.push_back({key, pixmap});
        ++m_panelsPainted;
        hit = m_panels.end() - 1;
    }
    painter->drawPixmap(option->rect.topLeft(), hit->pixmap);
}

namespace {

// An icon of the base style, asked of it when it is first painted.
class StandardIconOnDemand : public QIconEngine {
  public:
    StandardIconOnDemand(QStyle* style, QStyle::StandardPixmap which)
        : m_style(style), m_which(which) {}
    QIconEngine* clone() const override { return new StandardIconOnDemand(m_style, m_which); }
    QString key() const override { return QStringLiteral("orvane-standard-icon"); }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return icon().availableSizes(mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().pixmap(size, 1.0, mode, state);
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }

  private:
    const QIcon& icon() {
        if (!m_loaded && m_style != nullptr) {
            m_icon = m_style->standardIcon(m_which);
            m_loaded = true;
        }
        return m_icon;
    }
    QPointer<QStyle> m_style; // the base style, owned by the application's style
    QStyle::StandardPixmap m_which;
    QIcon m_icon;
    bool m_loaded = false;
};

} // namespace

void FaceStyle::install() {
    if (qobject_cast<FaceStyle*>(QApplication::style()) != nullptr) return;
    // Over a new copy of the style the application has (the platform's, or one chosen with
    // -style); the application deletes its old one.
    QStyle* base = QStyleFactory::create(QApplication::style()->name());
    QApplication::setStyle(new FaceStyle(base));
}

QIcon FaceStyle::standardIcon(StandardPixmap icon, const QStyleOption* option,
                              const QWidget* widget) const {
    if (icon == SP_ToolBarHorizontalExtensionButton || icon == SP_ToolBarVerticalExtensionButton)
        return QIcon(new StandardIconOnDemand(baseStyle(), icon));
    return QProxyStyle::standardIcon(icon, option, widget);
}
