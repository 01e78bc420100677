#pragma once

#include "FacePaint.h"

#include <QAbstractButton>

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
