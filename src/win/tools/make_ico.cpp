// Writes the window icon (the skin's icon 128 at every size it has) as an .ico file, for
// the program file's icon resource. Built and run on the build machine.
#include "SkinBaked.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

void put16(std::vector<unsigned char>& out, unsigned v) {
    out.push_back(static_cast<unsigned char>(v & 0xFF));
    out.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
}
void put32(std::vector<unsigned char>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// One icon image: a bottom-up 32-bit bitmap with straight alpha and an empty mask.
std::vector<unsigned char> image(const orvane::skin::baked::Picture& p) {
    std::vector<unsigned char> out;
    const int w = p.width, h = p.height;
    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(w));
    put32(out, static_cast<std::uint32_t>(h * 2));
    put16(out, 1);
    put16(out, 32);
    for (int i = 0; i < 6; ++i)
        put32(out, 0);
    for (int y = h - 1; y >= 0; --y) {
        const unsigned char* row = p.bits + y * p.bytesPerLine;
        for (int x = 0; x < w; ++x) {
            unsigned char px[4] = {row[4 * x], row[4 * x + 1], row[4 * x + 2], row[4 * x + 3]};
            const unsigned a = px[3];
            if (a != 0 && a != 255)
                for (int c = 0; c < 3; ++c) {
                    const unsigned v = (px[c] * 255u + a / 2) / a;
                    px[c] = static_cast<unsigned char>(v > 255 ? 255 : v);
                }
            out.insert(out.end(), px, px + 4);
        }
    }
    const int maskRow = (w + 31) / 32 * 4;
    out.insert(out.end(), static_cast<std::size_t>(maskRow * h), 0);
    return out;
}

} // namespace

int main(int argc, char** argv) {
    namespace baked = orvane::skin::baked;
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_ico ICON-ID OUT.ico\n");
        return 2;
    }
    const int id = std::atoi(argv[1]);
    std::vector<std::vector<unsigned char>> images;
    std::vector<const baked::Picture*> pictures;
    for (std::size_t i = 0; i < baked::kIconCount; ++i)
        if (baked::kIcons[i].id == id) {
            pictures.push_back(&baked::kIcons[i]);
            images.push_back(image(baked::kIcons[i]));
        }
    if (images.empty()) {
        std::fprintf(stderr, "make_ico: the skin has no icon %d\n", id);
        return 1;
    }
    std::vector<unsigned char> out;
    put16(out, 0);
    put16(out, 1);
    put16(out, static_cast<unsigned>(images.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const baked::Picture& p = *pictures[i];
        out.push_back(static_cast<unsigned char>(p.width >= 256 ? 0 : p.width));
        out.push_back(static_cast<unsigned char>(p.height >= 256 ? 0 : p.height));
        out.push_back(0);
        out.push_back(0);
        put16(out, 1);
        put16(out, 32);
        put32(out, static_cast<std::uint32_t>(images[i].size()));
        put32(out, offset);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const auto& img : images)
        out.insert(out.end(), img.begin(), img.end());
    FILE* f = std::fopen(argv[2], "wb");
    if (f == nullptr || std::fwrite(out.data(), 1, out.size(), f) != out.size()) {
        std::fprintf(stderr, "make_ico: cannot write %s\n", argv[2]);
        return 1;
    }
    return std::fclose(f) == 0 ? 0 : 1;
}
