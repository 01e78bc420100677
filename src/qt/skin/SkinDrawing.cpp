#include "SkinDrawing.h"

#include "FaceIds.h"
#include "SkinShapes.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <utility>

namespace orvane::skin::drawing {

namespace {

using Draw = std::function<void(QPainter&, const QSize&)>;
// A shape made when its picture is drawn, not when the table is: the table lists every
// picture, and the window shows few of them at first.
using Shape = QPainterPath (*)();

struct Picture {
    QSize size;
    Draw draw;
};

bool Opaque(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(line[x]) != 255) return false;
    }
    return true;
}

QImage Render(const QSize& size, const Draw& draw) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p, size);
    p.end();
    // Every pixel opaque: the same pixels read as opaque ones, which the window scales onto
    // its keys fastest (a grey picture kept at one byte a pixel costs more to scale than its
    // memory is worth, now that the pictures are compiled in).
    if (Opaque(image)) image.reinterpretAsFormat(QImage::Format_RGB32);
    return image;
}

// The design box 0..100 of a shape mapped onto r (not keeping proportions).
QPainterPath InBox(const QPainterPath& path, const QRectF& r) {
    QTransform t;
    t.translate(r.x(), r.y());
    t.scale(r.width() / 100, r.height() / 100);
    return t.map(path);
}

QPainterPath Disc(QPointF centre, qreal r) {
    QPainterPath path;
    path.addEllipse(centre, r, r);
    return path;
}

// --- Key faces -------------------------------------------------------------------------

void KeyGround(QPainter& p, const QSize& s) {
    DottedGround(p, s, Colour::KeyGround, Colour::KeyDot);
}

void BlueGround(QPainter& p, const QSize& s) {
    DottedGround(p, s, Colour::BlueGround, Colour::BlueDot);
}

// Keys with a word: the glyph in the upper part, the word under it.
void GlyphOverWord(QPainter& p, const QSize& s, const QPainterPath& glyph, const QString& word) {
    p.fillPath(Fit(glyph, QRectF(4, 6, s.width() - 8, 35)), Colour::Glyph);
    DrawWord(p, word, 15, s.width() / 2.0, 61, Colour::Glyph);
}

Draw WordKey(Shape glyph, QString word, bool blue = false) {
    return [glyph, word, blue](QPainter& p, const QSize& s) {
        blue ? BlueGround(p, s) : KeyGround(p, s);
        GlyphOverWord(p, s, glyph(), word);
    };
}

Draw MenuKey(bool blue) {
    return [blue](QPainter& p, const QSize& s) {
        blue ? BlueGround(p, s) : KeyGround(p, s);
        const QPointF c(s.width() / 2.0, s.height() / 2.0);
        p.fillPath(Fit(Gear(), QRectF(c.x() - 24, c.y() - 24, 48, 48)), Colour::Glyph);
    };
}

// A handset with two crossed arrows beside it, the call list's sign.
QPainterPath CallsGlyph() {
    QPainterPath path = Fit(HandsetOffHook(), QRectF(0, 16, 64, 64));
    const QPainterPath out = Arrow({72, 58}, {128, 2}, 9, 20);
    const QPainterPath in = Arrow({72, 2}, {128, 58}, 9, 20);
    // The arrow underneath breaks off where the other one crosses it.
    path = path.united(in.subtracted(Stroked(out, 10)));
    return path.united(out);
}

Draw KeypadKey(QString digit, QString letters) {
    return [digit, letters](QPainter& p, const QSize& s) {
        KeyGround(p, s);
        const qreal cx = s.width() / 2.0;
        const QPointF centre(cx, 26);
        QPainterPath glyph;
        if (digit == QLatin1String("*"))
            glyph = Fit(Asterisk(), QRectF(cx - 14, centre.y() - 12, 28, 28));
        else if (digit == QLatin1String("#"))
            glyph = Fit(Hash(), QRectF(cx - 15, centre.y() - 13, 30, 30));
        else {
            glyph = TextPath(digit, 42);
            glyph.translate(centre - glyph.boundingRect().center());
        }
        p.fillPath(glyph, Colour::Glyph);
        if (digit == QLatin1String("1"))
            p.fillPath(Fit(Voicemail(), QRectF(cx - 10, 50, 20, 9)), Colour::Glyph);
        else if (letters == QLatin1String("+"))
            DrawWord(p, letters, 17, cx, 62, Colour::Glyph);
        else if (!letters.isEmpty())
            DrawWord(p, letters, 12, cx, 59, Colour::Glyph);
    };
}

// The SEND and END keys: a bevelled frame lit from above, light on top when raised and
// the other way round when pressed in; the handset moves down and right with the press.
Draw CallKey(bool offHook, QColor colour, bool sunken) {
    return [offHook, colour, sunken](QPainter& p, const QSize& s) {
        KeyGround(p, s);
        const QRectF outer = QRectF(0, 0, s.width(), s.height()).adjusted(1, 1, -1, -1);
        QPainterPath band;
        band.addRoundedRect(outer, 8, 8);
        QPainterPath inner;
        inner.addRoundedRect(outer.adjusted(4, 4, -4, -4), 5, 5);
        band = band.subtracted(inner);
        QLinearGradient lit(0, outer.top(), 0, outer.bottom());
        const QColor light(236, 236, 236), mid(176, 176, 176), dark(40, 40, 40);
        lit.setColorAt(0, sunken ? dark : light);
        lit.setColorAt(0.5, mid);
        lit.setColorAt(1, sunken ? light : dark);
        p.fillPath(band, lit);
        const qreal shift = sunken ? 1.5 : 0;
        const QRectF box = offHook ? QRectF(19, 11, s.width() - 38, s.height() - 22)
                                   : QRectF(13, 15, s.width() - 26, s.height() - 30);
        p.fillPath(Fit(offHook ? HandsetOffHook() : Handset(), box.translated(shift, shift)),
                   colour);
    };
}

Draw ChevronKey(bool up) {
    return [up](QPainter& p, const QSize& s) {
        KeyGround(p, s);
        p.fillPath(Fit(Chevron(up), QRectF(6, 8, s.width() - 12, s.height() - 16)), Colour::Glyph);
    };
}

// A red bar struck from top left to bottom right across box, kept apart from what it
// crosses by a margin of the ground.
void StrikeOut(QPainter& p, const QRectF& box, qreal width, const QColor& ground) {
    FillWithHalo(p, Strike(box, width), Colour::Red, ground, width * 0.45);
}

// --- Status pictures -------------------------------------------------------------------

void LightGround(QPainter& p, const QSize& s) {
    p.fillRect(QRect(QPoint(0, 0), s), Colour::StatusGround);
}

void DeskPhone(QPainter& p, const QRectF& box, const QColor& colour, const QColor& ground) {
    p.fillPath(InBox(DeskPhoneBody(), box), colour);
    FillWithHalo(p, InBox(DeskPhoneHandset(), box), colour, ground, qMax(0.6, box.width() * 0.03));
    p.fillPath(InBox(DeskPhoneDial(), box), ground);
}

// The small status pictures sit in the top left corner of their 28 x 28 ground: the strip
// of small icons shows them in controls smaller than the picture, clipped at the right
// and at the bottom.
const QRectF kSmallArea(0.5, 0.5, 19, 19);

void DeskPhonePicture(QPainter& p, const QSize& s) {
    LightGround(p, s);
    DeskPhone(p, kSmallArea, Colour::Ink, Colour::StatusGround);
}

// Status pictures showing a handset with a sign above its open side.
Draw HandsetWith(std::function<void(QPainter&)> sign) {
    return [sign](QPainter& p, const QSize& s) {
        LightGround(p, s);
        p.fillPath(Fit(HandsetOffHook(), QRectF(2, 13, 33, 33)), Colour::Ink);
        sign(p);
    };
}

void SignArrow(QPainter& p, QPointF tail, QPointF head, bool bothWays) {
    QPainterPath arrow = Arrow(tail, head, 4.5, 10);
    if (bothWays) arrow = arrow.united(Arrow(head, tail, 4.5, 10));
    FillWithHalo(p, arrow, Colour::Green, Colour::StatusGround, 2);
}

// A dark shape on the light ground, struck through in red when strike is given.
Draw InkPicture(Shape shape, QRectF box, std::optional<QRectF> strike = {}) {
    return [shape, box, strike](QPainter& p, const QSize& s) {
        LightGround(p, s);
        p.fillPath(Fit(shape(), box), Colour::Ink);
        if (strike) StrikeOut(p, *strike, 4.5, Colour::StatusGround);
    };
}

void BellPicture(QPainter& p, const QSize& s) {
    LightGround(p, s);
    const QColor grey(128, 128, 128);
    p.fillPath(Fit(Bell(), QRectF(11, 7, 26, 35)), grey);
    // Short strokes either side: the bell is ringing.
    QPainterPath ring;
    for (qreal r : {17.0, 22.5}) {
        const QRectF around(24 - r, 23 - r, 2 * r, 2 * r);
        for (qreal a : {28.0, 122.0}) {
            QPainterPath arc;
            arc.arcMoveTo(around, a);
            arc.arcTo(around, a, 30);
            ring = ring.united(Stroked(arc, 3));
        }
    }
    p.fillPath(ring, grey);
}

void GroupPicture(QPainter& p, const QSize& s) {
    LightGround(p, s);
    const QColor back(140, 140, 140);
    p.fillPath(Fit(Person(), QRectF(1, 6, 24, 28)), back);
    p.fillPath(Fit(Person(), QRectF(23, 6, 24, 28)), back);
    FillWithHalo(p, Fit(Person(), QRectF(9, 13, 30, 33)), Colour::Ink, Colour::StatusGround, 2);
}

void DoNotDisturbPicture(QPainter& p, const QSize& s) {
    LightGround(p, s);
    p.fillPath(Disc({24, 24}, 23), Colour::Red);
    p.fillRect(QRectF(7, 21.5, 34, 5), Colour::Glyph);
    DrawWord(p, QStringLiteral("Do Not"), 9, 24, 17, Colour::Glyph);
    DrawWord(p, QStringLiteral("Disturb"), 9, 24, 36, Colour::Glyph);
}

void InfoPicture(QPainter& p, const QSize& s) {
    LightGround(p, s);
    p.fillPath(Disc({24, 24}, 21), Colour::Blue);
    p.fillPath(Disc({24, 13.5}, 3.6), Colour::Glyph);
    QPainterPath bar;
    bar.addRoundedRect(QRectF(20.5, 20, 7, 18), 2, 2);
    p.fillPath(bar, Colour::Glyph);
}

void BlankPicture(QPainter& p, const QSize& s) {
    LightGround(p, s);
    const QRectF r = QRectF(0, 0, s.width(), s.height()).adjusted(5.5, 5.5, -5.5, -5.5);
    p.setPen(QPen(QColor(196, 196, 196), 1));
    p.setBrush(QColor(218, 218, 218));
    p.drawRoundedRect(r, 4, 4);
}

void LogoPicture(QPainter& p, const QSize& s) {
    LightGround(p, s);
    const QColor deep(22, 62, 150);
    QRadialGradient shine(QPointF(24, 10), 24);
    shine.setColorAt(0, QColor(92, 156, 240));
    shine.setColorAt(1, Colour::Blue);
    p.fillPath(Disc({30, 18}, 16), shine);
    p.fillPath(Fit(HandsetOffHook(), QRectF(21, 9, 18, 18)), Colour::Glyph);
    DrawWord(p, QStringLiteral("Orvane"), 13, 30, 45, deep);
}

// --- The picture table -----------------------------------------------------------------

std::map<int, Picture> BuildPictures() {
    std::map<int, Picture> t;
    const QSize key(79, 68), wideKey(80, 68), small(28, 28), status(48, 48), volume(40, 40);

    // Keypad: the middle column is one pixel wider.
    struct KeyFace {
        int id;
        const char* digit;
        const char* letters;
        bool wide;
    };
    const KeyFace keys[] = {
        {Bmp::Key1, "1", "", false},     {Bmp::Key2, "2", "ABC", true},
        {Bmp::Key3, "3", "DEF", false},  {Bmp::Key4, "4", "GHI", false},
        {Bmp::Key5, "5", "JKL", true},   {Bmp::Key6, "6", "MNO", false},
        {Bmp::Key7, "7", "PQRS", false}, {Bmp::Key8, "8", "TUV", true},
        {Bmp::Key9, "9", "WXYZ", false}, {Bmp::Key0, "0", "+", true},
        {Bmp::KeyStar, "*", "", false},  {Bmp::KeyHash, "#", "", false},
    };
    for (const KeyFace& k : keys)
        t[k.id] = {k.wide ? wideKey : key,
                   KeypadKey(QString::fromLatin1(k.digit), QString::fromLatin1(k.letters))};

    // Tabs, grey and blue.
    t[Bmp::MenuGrey] = {key, MenuKey(false)};
    t[Bmp::MenuBlue] = {key, MenuKey(true)};
    t[Bmp::ContactsGrey] = {key, WordKey(Person, QStringLiteral("Contacts"))};
    t[Bmp::ContactsBlue] = {key, WordKey(Person, QStringLiteral("Contacts"), true)};
    t[Bmp::DialpadGrey] = {key, WordKey(DigitGrid, QStringLiteral("Dialpad"))};
    t[Bmp::DialpadBlue] = {key, WordKey(DigitGrid, QStringLiteral("Dialpad"), true)};
    t[Bmp::CallsGrey] = {key, WordKey(CallsGlyph, QStringLiteral("Calls"))};
    t[Bmp::CallsBlue] = {key, WordKey(CallsGlyph, QStringLiteral("Calls"), true)};

    // Volume and mute.
    t[Bmp::VolUp] = {volume, ChevronKey(true)};
    t[Bmp::VolDown] = {volume, ChevronKey(false)};
    t[Bmp::MuteKey] = {volume, [](QPainter& p, const QSize& s) {
                           KeyGround(p, s);
                           p.fillPath(Fit(Microphone(), QRectF(9, 6, 22, 28)), Colour::Glyph);
                           StrikeOut(p, QRectF(9, 8, 22, 24), 4, Colour::KeyGround);
                       }};

    // SEND and END.
    const QColor callGreen(52, 204, 84), disabled(150, 150, 150);
    t[Bmp::SendNormal] = {key, CallKey(true, callGreen, false)};
    t[Bmp::SendPressed] = {key, CallKey(true, callGreen, true)};
    t[Bmp::SendDisabled] = {key, CallKey(true, disabled, false)};
    t[Bmp::EndNormal] = {key, CallKey(false, Colour::Red, false)};
    t[Bmp::EndPressed] = {key, CallKey(false, Colour::Red, true)};

    // Soft-key pictures.
    t[Bmp::Edit] = {key, WordKey(Pencil, QStringLiteral("Edit"))};
    t[Bmp::New] = {key, WordKey(Plus, QStringLiteral("New"))};
    t[Bmp::Save] = {key, WordKey(Diskette, QStringLiteral("Save"))};
    t[Bmp::Delete] = {key, WordKey(EraseLeft, QStringLiteral("Delete"))};
    t[Bmp::Back] = {key, WordKey(ReturnArrow, QStringLiteral("Back"))};

    // Small status icons.
    t[Bmp::Usb] = {small, [](QPainter& p, const QSize& s) {
                       LightGround(p, s);
                       p.fillPath(Fit(UsbTrident(), kSmallArea.adjusted(0, 3, 0, -3)), Colour::Ink);
                   }};
    t[Bmp::Hd] = {small, [](QPainter& p, const QSize& s) {
                      LightGround(p, s);
                      p.setPen(QPen(Colour::Ink, 1.8));
                      p.drawEllipse(kSmallArea.adjusted(0, 2.5, 0, -2.5));
                      DrawWord(p, QStringLiteral("HD"), 10, kSmallArea.center().x(), 14,
                               Colour::Ink);
                  }};
    t[Bmp::Phone] = {small, DeskPhonePicture};
    t[Bmp::PhoneOff] = {small, [](QPainter& p, const QSize& s) {
                            DeskPhonePicture(p, s);
                            StrikeOut(p, kSmallArea.adjusted(1, 1, -1, -1), 2.4,
                                      Colour::StatusGround);
                        }};
    t[Bmp::Dnd] = {small, [](QPainter& p, const QSize& s) {
                       LightGround(p, s);
                       const QRectF a = kSmallArea;
                       p.fillRect(QRectF(a.left(), a.top() + 1, a.width(), 2.5), Colour::Ink);
                       p.fillRect(QRectF(a.left(), a.bottom() - 3.5, a.width(), 2.5), Colour::Ink);
                       DrawWord(p, QStringLiteral("DND"), 9, a.center().x(), 13.5, Colour::Ink);
                   }};

    // The status icon's pictures.
    t[Bmp::Bell] = {status, BellPicture};
    t[Bmp::CallIn] = {status, HandsetWith([](QPainter& p) {
                          SignArrow(p, {44, 4}, {25, 23}, false);
                      })};
    t[Bmp::CallOut] = {status, HandsetWith([](QPainter& p) {
                           SignArrow(p, {25, 23}, {44, 4}, false);
                       })};
    t[Bmp::CallBoth] = {status, HandsetWith([](QPainter& p) {
                            SignArrow(p, {24, 24}, {45, 3}, true);
                        })};
    t[Bmp::CallFailed] = {status, HandsetWith([](QPainter& p) {
                              FillWithHalo(p, Cross(QRectF(29, 5, 14, 14), 5), Colour::Red,
                                           Colour::StatusGround, 2);
                          })};
    t[Bmp::Hold] = {status, HandsetWith([](QPainter& p) {
                        p.fillPath(Fit(PauseBars(), QRectF(29, 3, 16, 18)), Colour::Red);
                    })};
    t[Bmp::Missed] = {status, HandsetWith([](QPainter& p) {
                          const QRectF box(25, 2, 21, 21);
                          p.fillPath(Disc(box.center(), 10.5), Colour::StatusGround);
                          p.fillPath(Disc(box.center(), 9), Qt::white);
                          p.fillPath(InBox(Clock(), box.adjusted(1, 1, -1, -1)), Colour::Red);
                      })};
    const QRectF soundBox(4, 6, 40, 36), speakerBox(8, 6, 32, 36), micBox(8, 5, 32, 38);
    const Shape speaker = [] { return Loudspeaker().united(SoundWaves(3)); };
    const Shape notes = [] {
        QPainterPath waves = SoundWaves(2);
        waves.translate(32, 0);
        return waves.united(MusicNotes());
    };
    t[Bmp::Speaker] = {status, InkPicture(speaker, soundBox)};
    t[Bmp::SpeakerOff] = {status, InkPicture(Loudspeaker, speakerBox, QRectF(7, 7, 34, 34))};
    t[Bmp::Microphone] = {status, InkPicture(Microphone, micBox)};
    t[Bmp::MicOff] = {status, InkPicture(Microphone, micBox, QRectF(8, 8, 32, 32))};
    t[Bmp::Music] = {status, InkPicture(notes, QRectF(3, 6, 42, 36))};
    t[Bmp::Envelope] = {status, InkPicture(Envelope, QRectF(3, 6, 42, 36))};
    t[Bmp::Gear] = {status, InkPicture([] { return Gear(); }, QRectF(6, 6, 36, 36))};
    t[Bmp::Blank] = {status, BlankPicture};
    t[Bmp::Group] = {status, GroupPicture};
    t[Bmp::DoNotDisturb] = {status, DoNotDisturbPicture};
    t[Bmp::Info] = {status, InfoPicture};
    t[Bmp::Logo] = {QSize(60, 48), LogoPicture};
    return t;
}

const std::map<int, Picture>& Pictures() {
    static const std::map<int, Picture> table = BuildPictures();
    return table;
}

// --- Icons -----------------------------------------------------------------------------

struct IconPicture {
    std::vector<int> sizes;
    Draw draw;
};

// A blue desk telephone with a red dial; the larger sizes show the dial's finger holes.
void AppIcon(QPainter& p, const QSize& s) {
    const qreal w = s.width();
    const QRectF box(0, 0, w, w);
    const QColor deepBlue(22, 66, 160);
    QLinearGradient body(0, w * 0.5, 0, w);
    body.setColorAt(0, QColor(74, 140, 232));
    body.setColorAt(1, deepBlue);
    p.fillPath(InBox(DeskPhoneBody(), box), body);
    QLinearGradient handset(0, 0, 0, w * 0.46);
    handset.setColorAt(0, QColor(70, 136, 230));
    handset.setColorAt(1, QColor(30, 90, 196));
    FillWithHalo(p, InBox(DeskPhoneHandset(), box), handset, Qt::transparent, qMax(0.7, w / 32));
    const QPointF c = InBox(DeskPhoneDial(), box).boundingRect().center();
    if (w < 24) {
        p.fillPath(Disc(c, w * 0.16), Colour::Red);
        return;
    }
    const qreal r = w * 0.18;
    p.fillPath(Disc(c, r * 1.12), deepBlue.darker(130));
    p.fillPath(Disc(c, r), Colour::Red);
    const QColor hole(255, 226, 222);
    for (int i = 0; i < 8; ++i) {
        const qreal a = qDegreesToRadians(70.0 + i * 30.0);
        p.fillPath(Disc(c + QPointF(qCos(a), -qSin(a)) * r * 0.66, r * 0.17), hole);
    }
    p.fillPath(Disc(c, r * 0.22), hole);
}

std::map<int, IconPicture> BuildIcons() {
    std::map<int, IconPicture> t;
    t[Ico::App] = {{16, 32, 48}, AppIcon};
    t[Ico::DeviceFree] = {{16}, [](QPainter& p, const QSize&) {
                              p.fillPath(Disc({8, 8}, 7.5), Colour::Green);
                              p.fillPath(InBox(CheckMark(), QRectF(0, 0.5, 16, 16)), Qt::white);
                          }};
    t[Ico::DeviceBusy] = {{16}, [](QPainter& p, const QSize&) {
                              p.fillPath(Disc({8, 8}, 7.5), Colour::Red);
                              p.fillRect(QRectF(3.5, 6.5, 9, 3), Qt::white);
                          }};
    t[Ico::CallIncoming] = {{16}, [](QPainter& p, const QSize&) {
                                p.fillPath(Arrow({15, 8}, {1, 8}, 5, 7.5), Colour::Green);
                            }};
    t[Ico::CallOutgoing] = {{16}, [](QPainter& p, const QSize&) {
                                p.fillPath(Arrow({1, 8}, {15, 8}, 5, 7.5), Colour::Red);
                            }};
    t[Ico::CallMissed] = {
        {16}, [](QPainter& p, const QSize&) {
            p.fillPath(Cross(QRectF(2.5, 1.5, 11, 13), 2.6), QColor(140, 140, 140));
            FillWithHalo(p, Fit(Handset(), QRectF(0, 4, 16, 8)), Colour::Red, Qt::transparent, 1);
        }};
    return t;
}

const std::map<int, IconPicture>& IconPictures() {
    static const std::map<int, IconPicture> table = BuildIcons();
    return table;
}

} // namespace

std::vector<int> BitmapIds() {
    std::vector<int> ids;
    for (const auto& entry : Pictures())
        ids.push_back(entry.first);
    return ids;
}

QImage DrawBitmap(int id) {
    const auto& table = Pictures();
    const auto picture = table.find(id);
    if (picture == table.end()) return {};
    return Render(picture->second.size, picture->second.draw);
}

std::vector<int> IconIds() {
    std::vector<int> ids;
    for (const auto& entry : IconPictures())
        ids.push_back(entry.first);
    return ids;
}

std::vector<int> IconSizes(int id) {
    const auto& table = IconPictures();
    const auto picture = table.find(id);
    return picture == table.end() ? std::vector<int>() : picture->second.sizes;
}

QImage DrawIcon(int id, int size) {
    const auto& table = IconPictures();
    const auto picture = table.find(id);
    if (picture == table.end()) return {};
    const std::vector<int>& sizes = picture->second.sizes;
    if (std::find(sizes.begin(), sizes.end(), size) == sizes.end()) return {};
    return Render(QSize(size, size), picture->second.draw);
}

} // namespace orvane::skin::drawing
