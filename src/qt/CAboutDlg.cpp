#include "CAboutDlg.h"

#include "DialogUnits.h"
#include "FaceIds.h"
#include "Skin.h"
#include "ports.h"

#include <QLabel>
#include <QPushButton>

CAboutDlg::CAboutDlg(const QString& versionLine, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    const QFont font = dialogfont::templateFont(8);
    setFont(font);
    const DialogUnits units(font);
    setWindowTitle(QStringLiteral("About ") + QString::fromUtf8(orvane::kWindowTitle));
    setWindowIcon(orvane::skin::Icon(orvane::Ico::App));

    // An icon static takes the icon's own size.
    auto* icon = new QLabel(this);
    icon->setPixmap(orvane::skin::Icon(orvane::Ico::App).pixmap(32, 32));
    icon->setGeometry(QRect(units.rect(11, 17, 20, 20).topLeft(), QSize(32, 32)));

    m_version = new QLabel(this);
    m_version->setTextFormat(Qt::PlainText);
    m_version->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_version->setText(versionLine);
    m_version->setGeometry(units.rect(42, 27, 171, 8));

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setDefault(true);
    m_ok->setGeometry(units.rect(178, 7, 50, 16));
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

    setFixedSize(units.size(235, 58));
    setModal(true);
}
