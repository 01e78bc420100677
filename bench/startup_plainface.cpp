// A second reference for the start-up benchmark: the dialer's face as plain Qt widgets.
// One stock widget per control of the face template, at its place and with its
// visibility, and the same two menus; no pictures, no dialog logic, no socket. The gap
// between this and the dialer is the dialer's own start-up work; the gap between this
// and the minimal dialog is what Qt's widgets themselves cost.
#include "FaceModel.h"
#include "FirstPaint.h"

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QStandardItemModel>
#include <QTreeView>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const orvane::FaceModel face;
    QDialog dialog;
    const QFontMetrics metrics(dialog.font());
    const int baseX = std::max(1, metrics.averageCharWidth() / 4);
    const int baseY = std::max(1, metrics.height() / 8);
    auto menuBar = new QMenuBar(&dialog);
    for (const char* title : {"Devices", "Help"}) {
        QMenu* menu = menuBar->addMenu(QString::fromLatin1(title));
        for (const orvane::MenuItem& item : face.MenuItems())
            if (item.id != 0 && QString::fromLatin1(title) == (item.menu == 1 ? "Help" : "Devices"))
                menu->addAction(QString::fromStdString(item.text));
    }
    const int top = menuBar->sizeHint().height();
    for (const orvane::Control& c : face.Controls()) {
        QWidget* w = nullptr;
        const QString text = QString::fromStdString(c.text);
        switch (c.kind) {
        case orvane::ControlKind::PushButton:
        case orvane::ControlKind::ImageButton:
        case orvane::ControlKind::MyButton: w = new QPushButton(text, &dialog); break;
        case orvane::ControlKind::Text:
        case orvane::ControlKind::Bitmap: w = new QLabel(text, &dialog); break;
        case orvane::ControlKind::Edit: w = new QLineEdit(text, &dialog); break;
        case orvane::ControlKind::Slider: w = new QSlider(Qt::Horizontal, &dialog); break;
        case orvane::ControlKind::List: {
            auto* tree = new QTreeView(&dialog);
            tree->setModel(new QStandardItemModel(0, 6, tree));
            w = tree;
            break;
        }
        }
        w->setGeometry(c.rect.x * baseX, top + c.rect.y * baseY, c.rect.w * baseX,
                       c.rect.h * baseY);
        w->setVisible(c.visible);
    }
    dialog.setFixedSize(170 * baseX, top + 279 * baseY);
    menuBar->setGeometry(0, 0, dialog.width(), top);
    FirstPaintReport report(dialog);
    dialog.exec();
    return 1;
}
