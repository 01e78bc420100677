// The tour's pictures show the program's real top-level windows where they stand: the
// main window, and an open box over it exactly as the box draws itself, with nothing
// drawn by the picture itself (no title bar, no caption of its own).
#include "Tour.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(TourPicture, ShowsTheRealWindowsWhereTheyStand) {
    QLabel window(QStringLiteral("the main window"));
    window.setGeometry(100, 100, 300, 400);
    window.show();
    QMessageBox box(QMessageBox::Information, QStringLiteral("Device is busy"),
                    QStringLiteral("A question"), QMessageBox::Yes | QMessageBox::No, &window);
    box.show();
    box.move(150, 250);
    QTest::qWait(50);

    const QImage shot = orvane::demo::ScreenPicture(window).toImage();
    const QRect area = window.geometry() | box.geometry();
    ASSERT_EQ(shot.size(), area.size());
    const QImage face = window.grab().toImage();
    const QImage over = box.grab().toImage();
    const QPoint boxAt = box.geometry().topLeft() - area.topLeft();
    const QPoint windowAt = window.geometry().topLeft() - area.topLeft();
    // The box as it draws itself, pixel for pixel, where it stands.
    for (int y = 0; y < over.height(); y += 7)
        for (int x = 0; x < over.width(); x += 7)
            ASSERT_EQ(shot.pixel(boxAt + QPoint(x, y)), over.pixel(x, y)) << x << "," << y;
    // Around it the window as it draws itself: nothing added above the box.
    for (int y = 0; y < face.height(); y += 5) {
        for (int x = 0; x < face.width(); x += 5) {
            const QPoint at = windowAt + QPoint(x, y);
            if (QRect(boxAt, over.size()).contains(at)) continue;
            ASSERT_EQ(shot.pixel(at), face.pixel(x, y)) << x << "," << y;
        }
    }
}

} // namespace
