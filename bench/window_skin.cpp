// Making the whole skin at start, and drawing it as the build does, each in a fresh process.
#include "WindowRig.h"

#include "FaceIds.h"
#include "Skin.h"
#include "SkinDrawing.h"

#include <QFont>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

using namespace orvane;

namespace bench {

// Child: every skin picture made once, cold, as the window makes them (compiled in), and
// every picture drawn by the skin's drawing code as the build does, after the fonts have
// been loaded (any program with a window loads them; that is start-up, not the skin).
// Then the floor: the same pictures' pixmaps made and filled, nothing drawn.
int SkinChild(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    {
        QImage warm(64, 16, QImage::Format_ARGB32_Premultiplied);
        QPainter p(&warm);
        p.setFont(QFont(QStringLiteral("Arial"), 12, QFont::Bold));
        p.drawText(QPointF(1, 12), QStringLiteral("Menu"));
    }
    const std::vector<int> bitmaps = skin::BitmapIds();
    const std::vector<int> icons = skin::IconIds();
    std::int64_t t0 = NowNs();
    std::size_t pictures = 0;
    for (int id : bitmaps) {
        skin::Bitmap(id);
        ++pictures;
    }
    for (int id : icons) {
        const QIcon icon = skin::Icon(id);
        for (const QSize& size : icon.availableSizes()) {
            icon.pixmap(size);
            ++pictures;
        }
    }
    std::int64_t t1 = NowNs();
    const double madeNs = static_cast<double>(t1 - t0);

    t0 = NowNs();
    for (int id : skin::drawing::BitmapIds())
        skin::drawing::DrawBitmap(id);
    for (int id : skin::drawing::IconIds())
        for (int size : skin::drawing::IconSizes(id))
            skin::drawing::DrawIcon(id, size);
    t1 = NowNs();
    const double drawnNs = static_cast<double>(t1 - t0);

    std::vector<QSize> sizes;
    for (int id : bitmaps)
        sizes.push_back(skin::Bitmap(id).size());
    for (int id : icons)
        for (const QSize& s : skin::Icon(id).availableSizes())
            sizes.push_back(s);
    t0 = NowNs();
    for (const QSize& s : sizes) {
        QImage image(s, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.end();
        QPixmap pixmap = QPixmap::fromImage(image);
        (void)pixmap;
    }
    t1 = NowNs();
    std::printf("SKIN %.0f %.0f %.0f %zu\n", madeNs, drawnNs, static_cast<double>(t1 - t0),
                pictures);
    return 0;
}

void BenchSkin() {
    const std::string self = SelfDir() + "/window_bench";
    QTemporaryDir dir;
    const auto env = ChildEnv(dir.path().toStdString());
    std::vector<double> made, drawn, floor;
    std::size_t pictures = 0;
    for (int i = 0; i < 12; ++i) {
        const ChildRun run = RunChild({self, "skin-child"}, env);
        double m = 0, d = 0, f = 0;
        if (std::sscanf(run.output.c_str(), "SKIN %lf %lf %lf %zu", &m, &d, &f, &pictures) != 4) {
            std::fprintf(stderr, "window_bench: skin child said: %s\n", run.output.c_str());
            continue;
        }
        if (i == 0) continue; // the first start warms the page cache
        made.push_back(m);
        drawn.push_back(d);
        floor.push_back(f);
    }
    const double figure = bench::Median(made) / kMs;
    Row r{"making the whole skin at start (" + std::to_string(pictures) +
              " pictures, compiled in, cold)",
          figure,
          bench::Median(floor) / kMs,
          "ms",
          "same pixmaps filled, nothing drawn",
          "<= 20 ms"};
    r.met = !made.empty() && figure <= 20;
    bench::Print(r);
    Row d{"  drawing the whole skin, as the build does once",
          bench::Median(drawn) / kMs,
          bench::Median(floor) / kMs,
          "ms",
          "same pixmaps filled, nothing drawn",
          ""};
    d.hasTarget = false;
    bench::Print(d);
}

} // namespace bench
