#pragma once

#include <QAbstractButton>
#include <QString>

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
