#pragma once

#include <QWidget>

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
