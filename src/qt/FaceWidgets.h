// The plain controls of the phone face that Qt has no widget for: picture keys, text
// keys with word-wrapped labels, bitmap statics, and the '*' password style.
#pragma once

#include <QAbstractButton>
#include <QPalette>
#include <QProxyStyle>
#include <QWidget>

class QPainter;

namespace facepaint {
// One-pixel sunken edge around a control; returns the rectangle inside it.
QRect drawStaticEdge(QPainter& painter, const QRect& rect, const QPalette& palette);
// Two-pixel sunken edge; returns the rectangle inside it.
QRect drawClientEdge(QPainter& painter, const QRect& rect, const QPalette& palette);
// A push button's raised (or, pressed, sunken) face; returns the content rectangle.
QRect drawButtonFace(QPainter& painter, const QRect& rect, const QPalette& palette, bool down);
} // namespace facepaint

// A push button showing one bitmap (keypad keys, Vol + and Vol -): the picture is scaled
// to fit inside the button's face, keeping its proportions.
class ImageKey : public QAbstractButton {
    Q_OBJECT
  public:
    ImageKey(bool clientEdge, QWidget* parent = nullptr);
    void setBitmap(int id);
    int bitmap() const { return m_bitmap; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    bool m_clientEdge = false;
    int m_bitmap = 0;
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

// A static showing one bitmap: either scaled down into the control (the control takes
// the picture's size, kept inside its place) or at its own size, clipped to the control.
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

// Edits that mask their text show '*' for every character, as the dialer always has.
class StarPasswordStyle : public QProxyStyle {
    Q_OBJECT
  public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
};
