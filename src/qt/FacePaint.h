// The plain controls of the phone face that Qt has no widget for: picture keys, text
// keys with word-wrapped labels, bitmap statics, and the '*' password style.
#pragma once

#include <QAbstractButton>
#include <QPalette>
#include <QPixmap>
#include <QProxyStyle>
#include <QWidget>
#include <array>
#include <functional>
#include <vector>

class QPainter;

namespace facepaint {
// One-pixel sunken edge around a control; returns the rectangle inside it.
QRect drawStaticEdge(QPainter& painter, const QRect& rect, const QPalette& palette);
// Two-pixel sunken edge; returns the rectangle inside it.
QRect drawClientEdge(QPainter& painter, const QRect& rect, const QPalette& palette);
// A push button's raised (or, pressed, sunken) face; returns the content rectangle.
QRect drawButtonFace(QPainter& painter, const QRect& rect, const QPalette& palette, bool down);

// Everything a control's finished look depends on: equal keys, equal pixels.
struct LookKey {
    QSize size;
    qreal dpr = 1;
    // The palette's colours a key is drawn with, in its current group: a window that
    // turns inactive with the same colours needs no new looks.
    std::array<QRgb, 7> colours{};
    qint64 palette = 0; // QPalette::cacheKey(), only when a brush is more than a colour
    int picture = 0;
    int state = 0; // the control's own flags (pressed, enabled, ...)
    bool operator==(const LookKey& o) const {
        return size == o.size && dpr == o.dpr && colours == o.colours && palette == o.palette &&
               picture == o.picture && state == o.state;
    }
};

// The last two finished looks of one control, each painted once into a pixmap: a key
// pressed and released again is then repainted with one copy of its pixels instead of its
// edges drawn line by line and its picture scaled. A look is painted anew as soon as
// anything in its key differs, so a kept look never goes stale. A control's first paint
// is drawn straight onto the screen and kept nowhere: most keys are painted once and never
// pressed, and a kept look would only cost memory.
class LookCache {
  public:
    // Paints the look for key at (0, 0): the kept one, or one that draw paints (in the
    // control's own coordinates, over ground).
    void paint(QPainter& painter, const LookKey& key, const QColor& ground,
               const std::function<void(QPainter&)>& draw);
    // How many looks have been painted into pixmaps so far.
    int painted() const { return m_painted; }

  private:
    struct Entry {
        LookKey key;
        QPixmap pixmap;
    };
    std::array<Entry, 2> m_entries;
    std::size_t m_older = 0; // the entry a new look replaces
    bool m_paintedOnce = false;
    int m_painted = 0;
};

// `font`, or the largest smaller size of it at which `text` fits `box` (drawn with the
// given text flags, word wrap included): a text never loses its ends to a clip.
QFont fitting(const QFont& font, const QRect& box, int flags, const QString& text);

// The key of a widget's look in its current palette, size and device pixel ratio.
LookKey lookKeyOf(const QWidget& widget, qreal dpr, int picture, int state);
} // namespace facepaint

// A push button showing one bitmap (keypad keys, Vol + and Vol -): the picture is scaled
// to fit inside the button's face, keeping its proportions. The key paints every pixel of
// its rectangle, so nothing behind it is painted first.
class ImageKey : public QAbstractButton {
    Q_OBJECT
  public:
    ImageKey(bool clientEdge, QWidget* parent = nullptr);
    void setBitmap(int id);
    int bitmap() const { return m_bitmap; }
    const facepaint::LookCache& looks() const { return m_looks; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void paintLook(QPainter& painter) const;

    bool m_clientEdge = false;
    int m_bitmap = 0;
    facepaint::LookCache m_looks;
};

// A text push button whose label wraps onto several lines (the soft keys). The label is
// shown as it is: an ampersand is no mnemonic here.
class SoftKey : public QAbstractButton {
    Q_OBJECT
  public:
    explicit SoftKey(QWidget* parent = nullptr);
    void setLabel(const QString& label);
    QString label() const { return m_label; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString m_label;
};

// A static showing one bitmap at its own size: either the control takes the picture's
// size, or the picture is clipped to the control.
class BitmapStatic : public QWidget {
    Q_OBJECT
  public:
    BitmapStatic(bool clip, QWidget* parent = nullptr);
    void setBitmap(int id);
    int bitmap() const { return m_bitmap; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    bool m_clip = false;
    int m_bitmap = 0;
};

// The program's style: the platform's own, with three changes for the face.
// - Edits that mask their text show '*' for every character, as the dialer always has.
// - Under Fusion an edit's rounded frame is drawn with antialiased strokes, which costs more
//   than all the rest of the edit, and the display lines overlap the entry edit, so it is
//   repainted with every changed line: each look of an edit's panel (ground and frame) is
//   drawn once into a pixmap and copied from then on.
// - The menu bar's overflow button is made with the menu bar and shown only when the menus
//   do not fit, which ours always do: its icon is read from the style's files when it is
//   first painted, not while the window is built.
class FaceStyle : public QProxyStyle {
    Q_OBJECT
  public:
    using QProxyStyle::QProxyStyle;
    // Makes the application's style a FaceStyle over the style it has (once).
    static void install();

    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
    // How many edit panels (ground and frame) have been drawn into pixmaps so far.
    int panelsPainted() const { return m_panelsPainted; }

  private:
    struct PanelLook {
        QSize size;
        qreal dpr = 1;
        qint64 palette = 0;
        int colorGroup = 0;
        int state = 0;
        int direction = 0;
        int lineWidth = 0;
        int midLineWidth = 0;
        int features = 0;
        int shape = 0;
        bool operator==(const PanelLook& o) const;
    };
    struct CachedPanel {
        PanelLook key;
        QPixmap pixmap;
    };
    mutable std::vector<CachedPanel> m_panels; // newest last
    mutable int m_panelsPainted = 0;
};
