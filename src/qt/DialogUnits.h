// Dialog units and the fonts of the dialog templates. A dialog template places its
// controls in dialog units of its own font: a quarter of the font's average character
// width across, an eighth of its height down.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

class DialogUnits {
  public:
    explicit DialogUnits(const QFont& dialogFont);

    int baseX() const { return m_baseX; }
    int baseY() const { return m_baseY; }

    // Converts each edge of (x, y, x + w, y + h), so controls that meet in dialog units
    // meet in pixels too.
    QRect rect(int x, int y, int w, int h) const;
    QSize size(int w, int h) const;

  private:
    int m_baseX = 1;
    int m_baseY = 1;
};

namespace dialogfont {
// A template font given in points ("Microsoft Sans Serif" 10, "MS Shell Dlg" 8), as the
// nearest font installed here, sized in whole pixels as the original system sizes it.
QFont templateFont(int points);
// Arial bold whose cell (ascent plus descent) is `cellHeight` pixels high: the faces of
// the phone give their fonts as cell heights.
QFont arialBoldCell(int cellHeight);
} // namespace dialogfont
