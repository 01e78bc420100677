// How the face's keys are drawn: Windows-style edges and faces, the kept looks of a key,
// and a text made small enough to fit its place.
#pragma once

#include <QFont>
#include <QPalette>
#include <QPixmap>
#include <QRect>
#include <QWidget>
#include <array>
#include <functional>

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
