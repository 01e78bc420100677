// The owner-drawn key of the phone face: four image slots (normal, pressed, focus,
// disabled); the picture for the key's state is stretched over the whole key.
#pragma once

#include "FaceModel.h"
#include "FacePaint.h"

#include <QAbstractButton>

class CMyButton : public QAbstractButton {
    Q_OBJECT
  public:
    explicit CMyButton(QWidget* parent = nullptr);

    // Replaces all four slots (a slot given 0 becomes empty).
    void setImages(const orvane::ImageSet& images);
    const orvane::ImageSet& images() const { return m_images; }
    // The bitmap id the key shows now; 0 when it draws nothing.
    int currentImage() const;
    const facepaint::LookCache& looks() const { return m_looks; }

    QSize sizeHint() const override { return QSize(56, 52); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    orvane::ImageSet m_images;
    facepaint::LookCache m_looks;
};
