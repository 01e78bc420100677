#include "SkinShapes.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPathStroker>
#include <QPolygonF>
#include <QSize>
#include <QTransform>
#include <QtMath>

namespace orvane::skin {

namespace {

QPainterPath Polygon(std::initializer_list<QPointF> points) {
    QPainterPath path;
    path.addPolygon(QPolygonF(points));
    path.closeSubpath();
    return path;
}

QPainterPath Ellipse(QPointF centre, qreal rx, qreal ry) {
    QPainterPath path;
    path.addEllipse(centre, rx, ry);
    return path;
}

QPainterPath RoundRect(const QRectF& r, qreal radius) {
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

QPainterPath Line(QPointF a, QPointF b) {
    QPainterPath path;
    path.moveTo(a);
    path.lineTo(b);
    return path;
}

// Round the corners of a filled shape by growing it by r all round.
QPainterPath Rounded(const QPainterPath& path, qreal r) {
    return path.united(Stroked(path, 2 * r));
}

} // namespace

QPainterPath Stroked(const QPainterPath& path, qreal width, Qt::PenCapStyle cap,
                     Qt::PenJoinStyle join) {
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(cap);
    stroker.setJoinStyle(join);
    // Uniting with an empty path resolves the stroke's self-overlaps into one outline.
    return QPainterPath().united(stroker.createStroke(path));
}

QPainterPath Rotated(const QPainterPath& path, qreal deg) {
    const QPointF c = path.boundingRect().center();
    QTransform t;
    t.translate(c.x(), c.y());
    t.rotate(deg);
    t.translate(-c.x(), -c.y());
    return t.map(path);
}

QPainterPath Fit(const QPainterPath& path, const QRectF& box) {
    const QRectF b = path.boundingRect();
    if (b.isEmpty()) return path;
    const qreal s = qMin(box.width() / b.width(), box.height() / b.height());
    QTransform t;
    t.translate(box.center().x(), box.center().y());
    t.scale(s, s);
    t.translate(-b.center().x(), -b.center().y());
    return t.map(path);
}

QPainterPath Arrow(QPointF tail, QPointF head, qreal w, qreal headSize) {
    const QPointF d = head - tail;
    const qreal len = qSqrt(QPointF::dotProduct(d, d));
    if (len <= 0) return {};
    const QPointF u = d / len;
    const QPointF n(-u.y(), u.x());
    const QPointF base = head - u * headSize;
    QPainterPath path = Stroked(Line(tail, base + u * 1.0), w, Qt::FlatCap);
    path = path.united(Polygon({head, base + n * headSize * 0.8, base - n * headSize * 0.8}));
    return path;
}

QPainterPath Strike(const QRectF& box, qreal width) {
    return Stroked(Line(box.topLeft(), box.bottomRight()), width);
}

QPainterPath Cross(const QRectF& box, qreal width) {
    return Strike(box, width).united(Stroked(Line(box.topRight(), box.bottomLeft()), width));
}

QPainterPath TextPath(const QString& text, qreal pixelSize) {
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    font.setPixelSize(100); // outlines at a large size, then scaled: no hinting, any size
    QPainterPath path;
    path.addText(0, 0, font, text);
    QTransform t;
    t.scale(pixelSize / 100, pixelSize / 100);
    return t.map(path);
}

// --- Shapes ----------------------------------------------------------------------------

QPainterPath Handset() {
    // One outline: the handle arches over the two cups, whose flat faces look down.
    QPainterPath h;
    h.moveTo(3, 30);
    h.cubicTo(3, 14, 26, 4, 50, 4); // top of the handle
    h.cubicTo(74, 4, 97, 14, 97, 30);
    h.lineTo(97, 38); // right cup
    h.quadTo(97, 44, 91, 44);
    h.lineTo(76, 44);
    h.quadTo(70, 44, 70, 38);
    h.lineTo(70, 34);
    h.cubicTo(64, 27, 57, 24, 50, 24); // underside of the handle
    h.cubicTo(43, 24, 36, 27, 30, 34);
    h.lineTo(30, 38); // left cup
    h.quadTo(30, 44, 24, 44);
    h.lineTo(9, 44);
    h.quadTo(3, 44, 3, 38);
    h.closeSubpath();
    return h;
}

QPainterPath HandsetOffHook() {
    return Rotated(Handset(), -135);
}

QPainterPath Gear(int teeth) {
    const qreal outer = 50, root = 39;
    const qreal step = 2 * M_PI / teeth;
    QPolygonF poly;
    for (int i = 0; i < teeth; ++i) {
        const qreal a = i * step;
        auto at = [](qreal r, qreal ang) { return QPointF(r * qCos(ang), r * qSin(ang)); };
        poly << at(root, a - step * 0.32) << at(outer, a - step * 0.17)
             << at(outer, a + step * 0.17) << at(root, a + step * 0.32);
    }
    QPainterPath wheel;
    wheel.addPolygon(poly);
    wheel.closeSubpath();
    wheel = Rounded(wheel, 1.5);
    return wheel.subtracted(Ellipse({0, 0}, 16, 16));
}

QPainterPath Person() {
    QPainterPath head = Ellipse({50, 26}, 20, 20);
    QPainterPath body = Ellipse({50, 96}, 40, 42);
    QPainterPath above;
    above.addRect(QRectF(0, 0, 100, 96));
    body = body.intersected(above).subtracted(Ellipse({50, 26}, 26, 26));
    return head.united(body);
}

QPainterPath DigitGrid() {
    QPainterPath path;
    const qreal pitch = 34, side = 24;
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 3; ++col) {
            if (row == 3 && col != 1) continue;
            path.addRoundedRect(QRectF(col * pitch, row * pitch, side, side), 6, 6);
        }
    }
    return path;
}

QPainterPath Microphone() {
    QPainterPath path = RoundRect(QRectF(34, 4, 32, 58), 16);
    QPainterPath holder;
    const QRectF arcBox(20, 14, 60, 60); // lower half reaches y = 74
    holder.arcMoveTo(arcBox, 180);
    holder.arcTo(arcBox, 180, 180);
    holder.moveTo(50, 74);
    holder.lineTo(50, 90);
    holder.moveTo(32, 94);
    holder.lineTo(68, 94);
    return path.united(Stroked(holder, 9));
}

QPainterPath Loudspeaker() {
    QPainterPath box = RoundRect(QRectF(4, 34, 22, 32), 3);
    QPainterPath cone = Polygon({{24, 34}, {50, 12}, {50, 88}, {24, 66}});
    return Rounded(box.united(cone), 2);
}

QPainterPath SoundWaves(int count) {
    QPainterPath path;
    for (int i = 0; i < count; ++i) {
        const qreal r = 20 + 15 * i;
        const QRectF box(44 - r, 50 - r, 2 * r, 2 * r);
        QPainterPath arc;
        arc.arcMoveTo(box, 42);
        arc.arcTo(box, 42, -84);
        path = path.united(Stroked(arc, 8));
    }
    return path;
}

QPainterPath Bell() {
    QPainterPath body;
    body.moveTo(14, 76);
    body.cubicTo(26, 66, 23, 50, 27, 38);
    body.cubicTo(31, 24, 40, 17, 50, 17);
    body.cubicTo(60, 17, 69, 24, 73, 38);
    body.cubicTo(77, 50, 74, 66, 86, 76);
    body.closeSubpath();
    QPainterPath path = body.united(RoundRect(QRectF(10, 72, 80, 11), 5.5));
    path = path.united(Ellipse({50, 14}, 7, 7));
    QPainterPath clapper = Ellipse({50, 86}, 10, 10);
    QPainterPath below;
    below.addRect(QRectF(0, 86, 100, 20));
    return path.united(clapper.intersected(below).united(Ellipse({50, 86}, 10, 4)));
}

QPainterPath Chevron(bool up) {
    QPainterPath line;
    line.moveTo(10, up ? 70 : 30);
    line.lineTo(50, up ? 30 : 70);
    line.lineTo(90, up ? 70 : 30);
    return Stroked(line, 18, Qt::RoundCap, Qt::RoundJoin);
}

QPainterPath Pencil() {
    // Drawn lying with its point to the left, then tilted to write down and left.
    QPainterPath body = RoundRect(QRectF(32, 38, 50, 24), 2);
    QPainterPath point = Polygon({{28, 38}, {6, 50}, {28, 62}});
    QPainterPath eraser = RoundRect(QRectF(86, 38, 14, 24), 5);
    return Rotated(Rounded(body.united(point).united(eraser), 1.5), -45);
}

QPainterPath Plus() {
    return RoundRect(QRectF(39, 6, 22, 88), 6).united(RoundRect(QRectF(6, 39, 88, 22), 6));
}

QPainterPath Diskette() {
    QPainterPath body = Rounded(Polygon({{10, 10}, {76, 10}, {90, 24}, {90, 90}, {10, 90}}), 5);
    body = body.subtracted(RoundRect(QRectF(28, 4, 40, 30), 3));  // shutter opening
    body = body.united(RoundRect(QRectF(52, 12, 10, 16), 2));     // the metal slot in it
    return body.subtracted(RoundRect(QRectF(22, 50, 56, 34), 4)); // label
}

QPainterPath EraseLeft() {
    QPainterPath key = Rounded(Polygon({{8, 50}, {34, 18}, {94, 18}, {94, 82}, {34, 82}}), 4);
    return key.subtracted(Cross(QRectF(48, 36, 28, 28), 10));
}

QPainterPath ReturnArrow() {
    QPainterPath stroke;
    stroke.moveTo(36, 84);
    stroke.lineTo(62, 84);
    stroke.arcTo(QRectF(38, 34, 50, 50), 270, 180);
    stroke.lineTo(34, 34);
    QPainterPath path = Stroked(stroke, 14, Qt::FlatCap, Qt::RoundJoin);
    return path.united(Polygon({{36, 12}, {6, 34}, {36, 56}}));
}

QPainterPath MusicNotes() {
    QPainterPath path;
    for (QPointF head : {QPointF(18, 78), QPointF(54, 70)}) {
        QTransform t;
        t.translate(head.x(), head.y());
        t.rotate(-22);
        path = path.united(t.map(Ellipse({0, 0}, 13, 9.5)));
    }
    path = path.united(RoundRect(QRectF(25, 24, 7, 54), 2));
    path = path.united(RoundRect(QRectF(61, 16, 7, 54), 2));
    return path.united(Polygon({{25, 22}, {68, 12}, {68, 26}, {25, 36}}));
}

QPainterPath Envelope() {
    QPainterPath outline = RoundRect(QRectF(6, 20, 88, 60), 6);
    QPainterPath flap;
    flap.moveTo(10, 24);
    flap.lineTo(50, 54);
    flap.lineTo(90, 24);
    return Stroked(outline, 8).united(Stroked(flap, 8));
}

QPainterPath DeskPhoneBody() {
    return Rounded(Polygon({{8, 90}, {92, 90}, {80, 52}, {20, 52}}), 5);
}

QPainterPath DeskPhoneHandset() {
    return Fit(Handset(), QRectF(0, 2, 100, 44));
}

QPainterPath DeskPhoneDial() {
    return Ellipse({50, 70}, 14, 14);
}

QPainterPath UsbTrident() {
    QPainterPath lines;
    lines.moveTo(14, 50);
    lines.lineTo(82, 50);
    lines.moveTo(30, 50);
    lines.lineTo(44, 26);
    lines.lineTo(62, 26);
    lines.moveTo(42, 50);
    lines.lineTo(56, 74);
    lines.lineTo(70, 74);
    QPainterPath path = Stroked(lines, 8, Qt::FlatCap, Qt::RoundJoin);
    path = path.united(Ellipse({12, 50}, 11, 11));
    path = path.united(Polygon({{78, 36}, {100, 50}, {78, 64}}));
    path = path.united(Ellipse({66, 26}, 8, 8));
    QPainterPath square;
    square.addRect(QRectF(66, 66, 16, 16));
    return path.united(square);
}

QPainterPath CheckMark() {
    QPainterPath line;
    line.moveTo(24, 52);
    line.lineTo(42, 70);
    line.lineTo(76, 32);
    return Stroked(line, 15);
}

QPainterPath PauseBars() {
    return RoundRect(QRectF(14, 8, 26, 84), 6).united(RoundRect(QRectF(60, 8, 26, 84), 6));
}

QPainterPath Clock() {
    QPainterPath path = Ellipse({50, 50}, 48, 48).subtracted(Ellipse({50, 50}, 37, 37));
    QPainterPath hands;
    hands.moveTo(50, 24);
    hands.lineTo(50, 50);
    hands.lineTo(70, 60);
    return path.united(Stroked(hands, 10));
}

QPainterPath Asterisk() {
    QPainterPath spokes;
    for (qreal a : {90.0, 30.0, 150.0}) {
        const QPointF d(42 * qCos(qDegreesToRadians(a)), 42 * qSin(qDegreesToRadians(a)));
        spokes.moveTo(QPointF(50, 50) + d);
        spokes.lineTo(QPointF(50, 50) - d);
    }
    return Stroked(spokes, 16);
}

QPainterPath Hash() {
    QPainterPath lines;
    lines.moveTo(40, 8);
    lines.lineTo(30, 92);
    lines.moveTo(72, 8);
    lines.lineTo(62, 92);
    lines.moveTo(12, 34);
    lines.lineTo(90, 34);
    lines.moveTo(10, 66);
    lines.lineTo(88, 66);
    return Stroked(lines, 12, Qt::FlatCap);
}

QPainterPath Voicemail() {
    QPainterPath rings = Ellipse({22, 50}, 18, 18).subtracted(Ellipse({22, 50}, 10, 10));
    rings = rings.united(Ellipse({78, 50}, 18, 18).subtracted(Ellipse({78, 50}, 10, 10)));
    QPainterPath bar;
    bar.addRect(QRectF(22, 60, 56, 8));
    return rings.united(bar);
}

// --- Painting --------------------------------------------------------------------------

void DottedGround(QPainter& p, const QSize& size, const QColor& ground, const QColor& dot) {
    // One pitch square with its dot, repeated from the picture's corner: one fill instead
    // of one per dot.
    QImage tile(kDotPitch, kDotPitch, QImage::Format_ARGB32_Premultiplied);
    tile.fill(ground);
    tile.setPixelColor(kDotOffset, kDotOffset, dot);
    p.save();
    p.setBrushOrigin(0, 0);
    p.fillRect(QRect(QPoint(0, 0), size), QBrush(tile));
    p.restore();
}

void FillWithHalo(QPainter& p, const QPainterPath& path, const QBrush& fill, const QColor& ground,
                  qreal halo) {
    const QPainterPath margin = Stroked(path, 2 * halo);
    if (ground.alpha() == 0) {
        p.save();
        p.setCompositionMode(QPainter::CompositionMode_Clear);
        p.fillPath(margin, Qt::black);
        p.restore();
    } else {
        p.fillPath(margin, ground);
    }
    p.fillPath(path, fill);
}

void DrawWord(QPainter& p, const QString& word, qreal pixelSize, qreal x, qreal baseline,
              const QColor& colour) {
    if (pixelSize >= 11) {
        QPainterPath path = TextPath(word, pixelSize);
        const QRectF b = path.boundingRect();
        path.translate(x - b.center().x(), baseline);
        p.fillPath(path, colour);
        return;
    }
    // Tiny words stay crisper with their baseline and heights on whole pixels.
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    font.setPixelSize(qRound(pixelSize));
    font.setHintingPreference(QFont::PreferVerticalHinting);
    const QRectF b = QFontMetricsF(font).tightBoundingRect(word);
    p.save();
    p.setFont(font);
    p.setPen(colour);
    p.drawText(QPointF(qRound(x - b.center().x()), qRound(baseline)), word);
    p.restore();
}

} // namespace orvane::skin
