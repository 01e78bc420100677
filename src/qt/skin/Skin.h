// The skin: every bitmap and icon id of the face. The pictures are drawn by our own code
// (SkinDrawing.h) while the program is built and compiled in, so the window shows them at
// start without drawing a single one.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <vector>

namespace orvane::skin {

// The bitmap with this id at its own size; a null pixmap for an id the skin lacks.
QPixmap Bitmap(int id);
// The 16 x 16 list image (icons 175 to 179) or the window icon (128, at 16, 32 and 48).
QIcon Icon(int id);
// Every bitmap id and every icon id the skin has.
std::vector<int> BitmapIds();
std::vector<int> IconIds();

} // namespace orvane::skin
