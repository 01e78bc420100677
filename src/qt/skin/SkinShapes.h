// Shapes and painting helpers shared by the skin's pictures. Every shape is a filled
// path in its own design coordinates; Fit() places it in a box of a picture, keeping its
// proportions, so the same handset or gear serves a 16-pixel icon and a 79 x 68 key.
#pragma once

#include <QBrush>
#include <QColor>
#include <QPainterPath>
#include <QRectF>
#include <QString>

class QPainter;
class QSize;

namespace orvane::skin {

// --- Colours of the skin ---------------------------------------------------------------
namespace Colour {
inline const QColor KeyGround(89, 89, 89);  // dark grey ground of key faces and tabs
inline const QColor KeyDot(132, 132, 132);  // light dots sprinkled on it
inline const QColor BlueGround(0, 32, 240); // ground of the active tab
inline const QColor BlueDot(100, 136, 255);
inline const QColor Glyph(255, 255, 255);        // glyphs and words on keys
inline const QColor StatusGround(240, 240, 240); // light ground of the status pictures
inline const QColor Ink(72, 72, 72);             // dark glyphs on the light ground
inline const QColor Green(38, 176, 64);
inline const QColor Red(222, 44, 38);
inline const QColor Blue(32, 96, 200);
} // namespace Colour

// Distance between the ground's dots and the offset of the first one, in pixels.
constexpr int kDotPitch = 4;
constexpr int kDotOffset = 2;

// --- Path building ---------------------------------------------------------------------
// The outline of a stroked path as a fillable path.
QPainterPath Stroked(const QPainterPath& path, qreal width, Qt::PenCapStyle cap = Qt::RoundCap,
                     Qt::PenJoinStyle join = Qt::RoundJoin);
// path turned by deg degrees (clockwise on screen) about its own centre.
QPainterPath Rotated(const QPainterPath& path, qreal deg);
// path scaled uniformly and centred so its bounds fill box along the tighter side.
QPainterPath Fit(const QPainterPath& path, const QRectF& box);
// A straight arrow from tail to head, with a shaft of width w and a head of size head.
QPainterPath Arrow(QPointF tail, QPointF head, qreal w, qreal headSize);
// A thick diagonal strike with rounded ends across box, top left to bottom right.
QPainterPath Strike(const QRectF& box, qreal width);
// A cross (X) filling box.
QPainterPath Cross(const QRectF& box, qreal width);
// Text in the skin's bold sans face as a path, its left end of the baseline at 0, 0.
QPainterPath TextPath(const QString& text, qreal pixelSize);

// --- Shapes (each to be placed with Fit) ------------------------------------------------
QPainterPath Handset();             // hung up: the handle arched over two downward cups
QPainterPath HandsetOffHook();      // earpiece top left, mouthpiece bottom right
QPainterPath Gear(int teeth = 8);   // toothed wheel with a hole
QPainterPath Person();              // head over shoulders
QPainterPath DigitGrid();           // 3 x 3 keys and one below the middle
QPainterPath Microphone();          // capsule in its holder on a stand
QPainterPath Loudspeaker();         // box and cone
QPainterPath SoundWaves(int count); // arcs to the right of a point at the left middle
QPainterPath Bell();
QPainterPath Chevron(bool up);
QPainterPath Pencil();
QPainterPath Plus();
QPainterPath Diskette();
QPainterPath EraseLeft();   // the left-pointed erase key with a cross cut out
QPainterPath ReturnArrow(); // a U-turn arrow whose head points left
QPainterPath MusicNotes();
QPainterPath Envelope();
QPainterPath DeskPhoneBody();    // the base of a desk phone, without handset or dial
QPainterPath DeskPhoneHandset(); // the handset resting on it, in the same coordinates
QPainterPath DeskPhoneDial();    // the round dial, in the same coordinates
QPainterPath UsbTrident();
QPainterPath CheckMark(); // in a 100 x 100 box
QPainterPath PauseBars();
QPainterPath Clock();     // a ring with two hands, in a 100 x 100 box
QPainterPath Asterisk();  // the star key's six-armed star
QPainterPath Hash();      // the hash key's grid
QPainterPath Voicemail(); // two rings joined below, as printed under key 1

// --- Painting --------------------------------------------------------------------------
// Fills the picture with ground and a regular grid of one-pixel dots.
void DottedGround(QPainter& p, const QSize& size, const QColor& ground, const QColor& dot);
// Fills path after clearing a margin of halo pixels round it with ground,
// so an overlaid shape stays apart from the one under it.
void FillWithHalo(QPainter& p, const QPainterPath& path, const QBrush& fill, const QColor& ground,
                  qreal halo);
// Draws word centred on x with its baseline at y.
void DrawWord(QPainter& p, const QString& word, qreal pixelSize, qreal x, qreal baseline,
              const QColor& colour);

} // namespace orvane::skin
