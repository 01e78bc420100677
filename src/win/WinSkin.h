// The skin on Windows: the same pictures the Linux program shows, compiled in as pixel
// rows, made into device-independent bitmaps and icons when first asked for.
#pragma once

#include "WinApi.h"

namespace winskin {

// The bitmap with this id (32 bits a pixel, premultiplied alpha, top-down); null for an id
// the skin lacks. Kept for the whole run.
HBITMAP Bitmap(int id);
// The bitmap's own size; 0 x 0 for an id the skin lacks.
SIZE BitmapSize(int id);
// Draws the bitmap scaled into `target`. False when the skin lacks the id.
bool DrawBitmap(HDC dc, int id, const RECT& target);
// The icon with this id at the given size (the nearest the skin has); null if none.
HICON Icon(int id, int size);

} // namespace winskin
