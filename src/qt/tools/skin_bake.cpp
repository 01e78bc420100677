// orvane-skin-bake OUT.cpp: draws every skin picture and writes them as C++ arrays of
// their pixel rows, for the build to compile into the program (see skin/SkinBaked.h).
// Runs on the offscreen platform; writes OUT.cpp whole or not at all.
#include "SkinDrawing.h"

#include <QFile>
#include <QGuiApplication>
#include <QSaveFile>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace orvane::skin;

struct Baked {
    int id;
    QImage image;
};

// The rows of one picture as an array named name.
void WriteRows(std::string& out, const std::string& name, const QImage& image) {
    out += "alignas(4) const unsigned char " + name + "[] = {";
    const auto* bits = image.constBits();
    const auto size = static_cast<std::size_t>(image.sizeInBytes());
    for (std::size_t i = 0; i < size; ++i) {
        if (i % 24 == 0) out += "\n   ";
        out += ' ';
        out += std::to_string(bits[i]);
        out += ',';
    }
    out += "\n};\n";
}

void WriteTable(std::string& out, const char* table, const char* count, const char* prefix,
                const std::vector<Baked>& pictures) {
    out += "const Picture " + std::string(table) + "[] = {\n";
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const QImage& image = pictures[i].image;
        out += "    {" + std::to_string(pictures[i].id) + ", " + std::to_string(image.width()) +
               ", " + std::to_string(image.height()) + ", " + std::to_string(image.bytesPerLine()) +
               ", " + std::to_string(static_cast<int>(image.format())) + ", " + prefix +
               std::to_string(i) + "},\n";
    }
    out += "};\nconst std::size_t " + std::string(count) + " = " + std::to_string(pictures.size()) +
           ";\n\n";
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: orvane-skin-bake OUT.cpp\n");
        return 2;
    }

    std::vector<Baked> bitmaps, icons;
    for (int id : drawing::BitmapIds())
        bitmaps.push_back({id, drawing::DrawBitmap(id)});
    for (int id : drawing::IconIds())
        for (int size : drawing::IconSizes(id))
            icons.push_back({id, drawing::DrawIcon(id, size)});
    for (const auto* list : {&bitmaps, &icons}) {
        for (const Baked& b : *list) {
            if (b.image.isNull() || b.image.bytesPerLine() % 4 != 0) {
                std::fprintf(stderr, "orvane-skin-bake: picture %d could not be drawn\n", b.id);
                return 1;
            }
        }
    }

    std::string out =
        "// Written by orvane-skin-bake from the skin's drawing code while the program is\n"
        "// built; not to be edited.\n"
        "#include \"SkinBaked.h\"\n\n"
        "namespace orvane::skin::baked {\n\nnamespace {\n\n";
    for (std::size_t i = 0; i < bitmaps.size(); ++i)
        WriteRows(out, "kBitmap" + std::to_string(i), bitmaps[i].image);
    for (std::size_t i = 0; i < icons.size(); ++i)
        WriteRows(out, "kIcon" + std::to_string(i), icons[i].image);
    out += "\n} // namespace\n\n";
    WriteTable(out, "kBitmaps", "kBitmapCount", "kBitmap", bitmaps);
    WriteTable(out, "kIcons", "kIconCount", "kIcon", icons);
    out += "} // namespace orvane::skin::baked\n";

    QSaveFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(out.data(), static_cast<qint64>(out.size())) !=
            static_cast<qint64>(out.size()) ||
        !file.commit()) {
        std::fprintf(stderr, "orvane-skin-bake: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
