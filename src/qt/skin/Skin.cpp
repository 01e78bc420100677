#include "Skin.h"

#include "SkinBaked.h"

#include <QImage>
#include <algorithm>
#include <map>

namespace orvane::skin {

namespace {

using baked::Picture;

const Picture* FindBitmap(int id) {
    const Picture* end = baked::kBitmaps + baked::kBitmapCount;
    const Picture* it = std::lower_bound(baked::kBitmaps, end, id,
                                         [](const Picture& p, int key) { return p.id < key; });
    return it != end && it->id == id ? it : nullptr;
}

// The compiled-in rows as a pixmap. The image only refers to them, and so does the pixmap
// made from it in the image's own format: nothing is copied, and a picture nobody shows is
// never read from the program file.
QPixmap ToPixmap(const Picture& picture) {
    const QImage image(picture.bits, picture.width, picture.height, picture.bytesPerLine,
                       static_cast<QImage::Format>(picture.format));
    return QPixmap::fromImage(image, Qt::NoFormatConversion);
}

} // namespace

// The skin is used from the GUI thread only, like the pixmaps it makes.
QPixmap Bitmap(int id) {
    // Kept for the whole run, like the window's own resources; never freed, so no pixmap
    // outlives the application object at exit.
    static auto* cache = new std::map<int, QPixmap>;
    const auto hit = cache->find(id);
    if (hit != cache->end()) return hit->second;
    const Picture* picture = FindBitmap(id);
    if (picture == nullptr) return {};
    QPixmap pixmap = ToPixmap(*picture);
    cache->emplace(id, pixmap);
    return pixmap;
}

QIcon Icon(int id) {
    static auto* cache = new std::map<int, QIcon>;
    const auto hit = cache->find(id);
    if (hit != cache->end()) return hit->second;
    QIcon icon;
    for (std::size_t i = 0; i < baked::kIconCount; ++i)
        if (baked::kIcons[i].id == id) icon.addPixmap(ToPixmap(baked::kIcons[i]));
    if (icon.isNull()) return {};
    cache->emplace(id, icon);
    return icon;
}

std::vector<int> BitmapIds() {
    std::vector<int> ids;
    for (std::size_t i = 0; i < baked::kBitmapCount; ++i)
        ids.push_back(baked::kBitmaps[i].id);
    return ids;
}

std::vector<int> IconIds() {
    std::vector<int> ids;
    for (std::size_t i = 0; i < baked::kIconCount; ++i)
        if (ids.empty() || ids.back() != baked::kIcons[i].id) ids.push_back(baked::kIcons[i].id);
    return ids;
}

} // namespace orvane::skin
