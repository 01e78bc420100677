// orvane-skin-dump OUTDIR [SCALE]: writes every skin picture to OUTDIR to look at them:
// bmp-<id>.png for each bitmap, ico-<id>-<size>.png for each icon image, and sheet.png,
// all of them enlarged SCALE times (2 by default) with their ids.
#include "Skin.h"

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Entry {
    QString label;
    QPixmap pixmap;
};

bool Save(const QPixmap& pixmap, const QString& path) {
    if (pixmap.save(path, "PNG")) return true;
    std::fprintf(stderr, "orvane-skin-dump: cannot write %s\n", qPrintable(path));
    return false;
}

QImage ContactSheet(const std::vector<Entry>& entries, int scale) {
    int cellW = 0, cellH = 0;
    for (const Entry& e : entries) {
        cellW = qMax(cellW, e.pixmap.width() * scale);
        cellH = qMax(cellH, e.pixmap.height() * scale);
    }
    const int pad = 8, labelH = 18, columns = 8;
    cellW += 2 * pad;
    cellH += 2 * pad + labelH;
    const int rows = (static_cast<int>(entries.size()) + columns - 1) / columns;
    QImage sheet(columns * cellW, rows * cellH, QImage::Format_RGB32);
    sheet.fill(QColor(200, 204, 210));
    QPainter p(&sheet);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(13);
    p.setFont(font);
    for (size_t i = 0; i < entries.size(); ++i) {
        const int col = static_cast<int>(i) % columns, row = static_cast<int>(i) / columns;
        const QRect cell(col * cellW, row * cellH, cellW, cellH);
        const QSize size = entries[i].pixmap.size() * scale;
        const QRect target(cell.x() + (cellW - size.width()) / 2,
                           cell.y() + pad + (cellH - 2 * pad - labelH - size.height()) / 2,
                           size.width(), size.height());
        p.drawPixmap(target, entries[i].pixmap);
        p.setPen(Qt::black);
        p.drawText(QRect(cell.x(), cell.bottom() - labelH - 2, cellW, labelH), Qt::AlignCenter,
                   entries[i].label);
    }
    return sheet;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    const int scale = args.size() > 2 ? args.at(2).toInt() : 2;
    if (args.size() < 2 || args.size() > 3 || scale < 1 || scale > 16) {
        std::fprintf(stderr, "usage: orvane-skin-dump OUTDIR [SCALE]\n");
        return 2;
    }
    QDir out(args.at(1));
    if (!out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "orvane-skin-dump: cannot create %s\n", qPrintable(args.at(1)));
        return 1;
    }

    bool ok = true;
    std::vector<Entry> entries;
    for (int id : orvane::skin::BitmapIds()) {
        const QPixmap pixmap = orvane::skin::Bitmap(id);
        ok &= Save(pixmap, out.filePath(QStringLiteral("bmp-%1.png").arg(id)));
        entries.push_back(
            {QStringLiteral("bmp %1  %2x%3").arg(id).arg(pixmap.width()).arg(pixmap.height()),
             pixmap});
    }
    for (int id : orvane::skin::IconIds()) {
        const QIcon icon = orvane::skin::Icon(id);
        for (const QSize& size : icon.availableSizes()) {
            const QPixmap pixmap = icon.pixmap(size);
            ok &= Save(pixmap,
                       out.filePath(QStringLiteral("ico-%1-%2.png").arg(id).arg(size.width())));
            entries.push_back({QStringLiteral("ico %1  %2px").arg(id).arg(size.width()), pixmap});
        }
    }
    const QString sheetPath = out.filePath(QStringLiteral("sheet.png"));
    if (!ContactSheet(entries, scale).save(sheetPath, "PNG")) {
        std::fprintf(stderr, "orvane-skin-dump: cannot write %s\n", qPrintable(sheetPath));
        ok = false;
    }
    std::printf("%zu pictures written to %s\n", entries.size(), qPrintable(out.absolutePath()));
    return ok ? 0 : 1;
}
