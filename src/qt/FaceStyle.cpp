#include "FaceStyle.h"

#include <QApplication>
#include <QIconEngine>
#include <QPaintDevice>
#include <QPainter>
#include <QPointer>
#include <QStyleFactory>
#include <QStyleOption>
#include <algorithm>

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
