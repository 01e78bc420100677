// The skin: every bitmap and icon id of the face, drawn by our own code. Pictures are
// drawn once, at their listed pixel size, and kept.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <vector>

namespace orvane::skin {

// The bitmap with this id at its own size; a null pixmap for an id the skin lacks.
QPixmap Bitmap(int id);
// The 16 x 16 list image (icons 175 to 179) or the window icon (128, at 16, 32 and 48).
QIcon Icon(int id);
// Every bitmap id and every icon id the skin draws.
std::vector<int> BitmapIds();
std::vector<int> IconIds();

} // namespace orvane::skin
