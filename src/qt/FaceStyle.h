#pragma once

#include <QPixmap>
#include <QProxyStyle>
#include <vector>

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
