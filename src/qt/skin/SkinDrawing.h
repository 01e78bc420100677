// The skin's drawing code: every bitmap and icon of the face, drawn from shapes. The
// program never runs it: orvane-skin-bake draws every picture while the program is built
// and the pictures are compiled in (see Skin.h). Tests and the skin benchmark use it to
// check and time those pictures.
#pragma once

#include <QImage>
#include <vector>

namespace orvane::skin::drawing {

// Every bitmap id, in increasing order.
std::vector<int> BitmapIds();
// The bitmap at its own size: RGB32 when every pixel is opaque, ARGB32_Premultiplied
// otherwise. A null image for an unknown id.
QImage DrawBitmap(int id);

// Every icon id, in increasing order, and the pixel sizes each is drawn at.
std::vector<int> IconIds();
std::vector<int> IconSizes(int id);
// One size of an icon, in the same formats as a bitmap; null for an unknown id or size.
QImage DrawIcon(int id, int size);

} // namespace orvane::skin::drawing
