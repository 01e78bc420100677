// The About box: the application icon and one line naming the product and its version.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

class CAboutDlg : public QDialog {
    Q_OBJECT
  public:
    CAboutDlg(const QString& versionLine, QWidget* parent = nullptr);

    QLabel* versionLabel() const { return m_version; }
    QPushButton* okButton() const { return m_ok; }

  private:
    QLabel* m_version = nullptr;
    QPushButton* m_ok = nullptr;
};
