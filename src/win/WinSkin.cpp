#include "WinSkin.h"

#include "SkinBaked.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

namespace winskin {

namespace {

using orvane::skin::baked::Picture;

// The rows' format as the skin's tool records it: 32-bit pixels, the fourth byte unused.
constexpr int kOpaqueFormat = 4;

const Picture* FindBitmap(int id) {
    namespace baked = orvane::skin::baked;
    const Picture* end = baked::kBitmaps + baked::kBitmapCount;
    const Picture* it = std::lower_bound(baked::kBitmaps, end, id,
                                         [](const Picture& p, int key) { return p.id < key; });
    return it != end && it->id == id ? it : nullptr;
}

// The baked rows are little-endian 32-bit pixels, blue first: a top-down DIB's own layout.
HBITMAP ToDib(const Picture& picture, bool straightAlpha) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib == nullptr || bits == nullptr) return dib;
    auto* out = static_cast<unsigned char*>(bits);
    const std::size_t rowBytes = static_cast<std::size_t>(picture.width) * 4;
    for (int y = 0; y < picture.height; ++y) {
        const unsigned char* row =
            picture.bits +
            static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.bytesPerLine);
        unsigned char* dst = out + static_cast<std::size_t>(y) * rowBytes;
        std::memcpy(dst, row, rowBytes);
        if (!straightAlpha) continue;
        // Icons take straight alpha; the skin's rows are premultiplied.
        for (std::size_t x = 0; x < rowBytes; x += 4) {
            const unsigned a = dst[x + 3];
            if (a == 0 || a == 255) continue;
            for (int c = 0; c < 3; ++c)
                dst[x + static_cast<std::size_t>(c)] = static_cast<unsigned char>(
                    std::min(255u, (dst[x + static_cast<std::size_t>(c)] * 255u + a / 2) / a));
        }
    }
    GdiFlush();
    return dib;
}

} // namespace

HBITMAP Bitmap(int id) {
    static auto* cache = new std::map<int, HBITMAP>;
    const auto hit = cache->find(id);
    if (hit != cache->end()) return hit->second;
    const Picture* picture = FindBitmap(id);
    HBITMAP dib = picture != nullptr ? ToDib(*picture, false) : nullptr;
    cache->emplace(id, dib);
    return dib;
}

SIZE BitmapSize(int id) {
    const Picture* picture = FindBitmap(id);
    if (picture == nullptr) return SIZE{0, 0};
    return SIZE{picture->width, picture->height};
}

bool DrawBitmap(HDC dc, int id, const RECT& target) {
    const Picture* picture = FindBitmap(id);
    if (picture == nullptr) return false;
    const int w = target.right - target.left;
    const int h = target.bottom - target.top;
    if (picture->format == kOpaqueFormat && picture->bytesPerLine == picture->width * 4) {
        // An opaque picture is drawn straight from the rows compiled into the program: no
        // copy of its pixels, no bitmap object.
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = picture->width;
        info.bmiHeader.biHeight = -picture->height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        const bool scaled = w != picture->width || h != picture->height;
        const int oldMode = SetStretchBltMode(dc, scaled ? HALFTONE : COLORONCOLOR);
        if (scaled) SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchDIBits(dc, target.left, target.top, w, h, 0, 0, picture->width, picture->height,
                      picture->bits, &info, DIB_RGB_COLORS, SRCCOPY);
        SetStretchBltMode(dc, oldMode);
        return true;
    }
    HBITMAP dib = Bitmap(id);
    if (dib == nullptr) return false;
    const SIZE size = BitmapSize(id);
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, dib);
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    if (w == size.cx && h == size.cy) {
        AlphaBlend(dc, target.left, target.top, w, h, source, 0, 0, size.cx, size.cy, blend);
    } else {
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        AlphaBlend(dc, target.left, target.top, w, h, source, 0, 0, size.cx, size.cy, blend);
    }
    SelectObject(source, old);
    DeleteDC(source);
    return true;
}

HICON Icon(int id, int size) {
    namespace baked = orvane::skin::baked;
    static auto* cache = new std::map<std::pair<int, int>, HICON>;
    const auto key = std::make_pair(id, size);
    const auto hit = cache->find(key);
    if (hit != cache->end()) return hit->second;
    const Picture* best = nullptr;
    for (std::size_t i = 0; i < baked::kIconCount; ++i) {
        const Picture& p = baked::kIcons[i];
        if (p.id != id) continue;
        if (best == nullptr || std::abs(p.width - size) < std::abs(best->width - size)) best = &p;
    }
    HICON icon = nullptr;
    if (best != nullptr) {
        HBITMAP color = ToDib(*best, true);
        std::vector<unsigned char> maskBits(
            static_cast<std::size_t>((best->width + 15) / 16 * 2 * best->height), 0);
        HBITMAP mask = CreateBitmap(best->width, best->height, 1, 1, maskBits.data());
        ICONINFO info{};
        info.fIcon = TRUE;
        info.hbmColor = color;
        info.hbmMask = mask;
        icon = CreateIconIndirect(&info);
        DeleteObject(color);
        DeleteObject(mask);
    }
    cache->emplace(key, icon);
    return icon;
}

} // namespace winskin
