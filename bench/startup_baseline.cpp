// The start-up benchmark's baseline: a minimal Qt Widgets dialog with one label, started
// and measured exactly as the dialer is.
#include "FirstPaint.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QDialog dialog;
    QLabel label(QStringLiteral("Hello"), &dialog);
    label.move(10, 10);
    FirstPaintReport report(dialog);
    dialog.exec();
    return 1;
}
