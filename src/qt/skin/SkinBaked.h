// The skin's pictures as orvane-skin-bake wrote them while the program was built: the
// pixel rows of each picture, compiled into the program (the generated SkinBaked.cpp).
#pragma once

#include <cstddef>

namespace orvane::skin::baked {

struct Picture {
    int id;
    int width;
    int height;
    int bytesPerLine; // a multiple of 4, as a QImage's rows are
    int format;       // the QImage::Format of the rows
    const unsigned char* bits;
};

// Bitmaps in increasing id order; icon images in increasing id order, then size.
extern const Picture kBitmaps[];
extern const std::size_t kBitmapCount;
extern const Picture kIcons[];
extern const std::size_t kIconCount;

} // namespace orvane::skin::baked
