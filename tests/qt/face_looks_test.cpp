// The face's keys and edits keep their finished looks in pixmaps. A kept look must never
// go stale: after any change a key or an edit shows exactly what one freshly made in that
// state shows, and a look is painted once per state, not once per repaint.
#include "CMyButton.h"
#include "FaceIds.h"
#include "FacePaint.h"
#include "FaceStyle.h"
#include "ImageKey.h"

#include <QImage>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace orvane;

namespace {

QImage Grab(QWidget& w) {
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QPalette OtherPalette(const QPalette& base) {
    QPalette p = base;
    p.setColor(QPalette::Button, QColor(180, 200, 230));
    p.setColor(QPalette::Light, QColor(250, 250, 200));
    p.setColor(QPalette::Dark, QColor(60, 40, 40));
    return p;
}

// What a key is told, applied alike to a key that has painted all along and to a new one.
struct KeyState {
    int picture = Bmp::Key5;
    bool down = false;
    bool enabled = true;
    bool otherPalette = false;
    QSize size{62, 50};
};

template <class Key> void Apply(Key& key, const KeyState& s, const std::function<void(int)>& set) {
    set(s.picture);
    key.setDown(s.down);
    key.setEnabled(s.enabled);
    key.setPalette(s.otherPalette ? OtherPalette(QPalette()) : QPalette());
    key.resize(s.size);
}

template <class Key>
void ExpectKeptLooksFollow(const std::function<std::unique_ptr<Key>()>& make,
                           const std::function<void(Key&, int)>& setPicture, int otherPicture) {
    const struct {
        const char* what;
        std::function<void(KeyState&)> change;
    } steps[] = {
        {"pressed", [](KeyState& s) { s.down = true; }},
        {"released", [](KeyState& s) { s.down = false; }},
        {"another picture", [&](KeyState& s) { s.picture = otherPicture; }},
        {"disabled", [](KeyState& s) { s.enabled = false; }},
        {"enabled again", [](KeyState& s) { s.enabled = true; }},
        {"other edge colours", [](KeyState& s) { s.otherPalette = true; }},
        {"resized", [](KeyState& s) { s.size = QSize(70, 44); }},
        {"released, first picture",
         [](KeyState& s) {
             s.down = false;
             s.picture = Bmp::Key5;
         }},
    };
    KeyState state;
    std::unique_ptr<Key> kept = make();
    auto set = [&](Key& key) { return [&](int id) { setPicture(key, id); }; };
    Apply(*kept, state, set(*kept));
    QImage before = Grab(*kept);
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        step.change(state);
        Apply(*kept, state, set(*kept));
        std::unique_ptr<Key> fresh = make();
        Apply(*fresh, state, set(*fresh));
        const QImage now = Grab(*kept);
        EXPECT_EQ(now, Grab(*fresh));
        EXPECT_NE(now, before) << "the change does not show";
        before = now;
    }
}

TEST(FaceLooks, AnImageKeyShowsWhatANewKeyShowsAfterEveryChange) {
    ExpectKeptLooksFollow<ImageKey>([] { return std::make_unique<ImageKey>(true); },
                                    [](ImageKey& k, int id) { k.setBitmap(id); }, Bmp::Key8);
}

TEST(FaceLooks, AMyButtonShowsWhatANewKeyShowsAfterEveryChange) {
    // Pressed and disabled have pictures of their own; the palette shows in the edge.
    auto images = [](int normal) {
        return normal == Bmp::Key5
                   ? ImageSet{Bmp::SendNormal, Bmp::SendPressed, 0, Bmp::SendDisabled}
                   : ImageSet{Bmp::EndNormal, Bmp::EndPressed, 0, 0};
    };
    ExpectKeptLooksFollow<CMyButton>([] { return std::make_unique<CMyButton>(); },
                                     [&](CMyButton& k, int id) { k.setImages(images(id)); },
                                     Bmp::EndNormal);
}

TEST(FaceLooks, KeysCoverEveryPixelTheyClaimToPaint) {
    // Keys that paint opaquely leave nothing of what lies behind them; the window's ground
    // is made a colour none of their edges and pictures use.
    const QColor marker(255, 0, 255);
    QPalette palette;
    palette.setColor(QPalette::Window, marker);
    ImageKey keypad(true), volume(false);
    keypad.setBitmap(Bmp::Key0);
    volume.setBitmap(Bmp::VolUp);
    CMyButton send;
    send.setImages({Bmp::SendNormal, Bmp::SendPressed, 0, 0});
    for (QWidget* w : std::initializer_list<QWidget*>{&keypad, &volume, &send}) {
        ASSERT_TRUE(w->testAttribute(Qt::WA_OpaquePaintEvent));
        w->setPalette(palette);
        w->resize(63, 51);
        for (bool down : {false, true}) {
            static_cast<QAbstractButton*>(w)->setDown(down);
            const QImage image = Grab(*w);
            int left = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    left += image.pixelColor(x, y) == marker;
            EXPECT_EQ(left, 0) << w->metaObject()->className() << (down ? " pressed" : "");
        }
    }
    // A key without a normal picture shows what lies behind it.
    CMyButton blank;
    blank.setImages({0, Bmp::SendPressed, 0, 0});
    EXPECT_FALSE(blank.testAttribute(Qt::WA_OpaquePaintEvent));
}

TEST(FaceLooks, AKeyPaintsEachLookOnceHoweverOftenItIsClicked) {
    QWidget window;
    window.resize(200, 100);
    auto* key = new ImageKey(true, &window);
    key->setBitmap(Bmp::Key5);
    key->setGeometry(10, 10, 62, 50);
    auto* send = new CMyButton(&window);
    send->setImages({Bmp::SendNormal, Bmp::SendPressed, 0, 0});
    send->setGeometry(100, 10, 62, 50);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    for (int i = 0; i < 5; ++i) {
        QTest::mouseClick(key, Qt::LeftButton);
        QTest::mouseClick(send, Qt::LeftButton);
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(key->looks().painted(), 2) << "up and down";
    EXPECT_EQ(send->looks().painted(), 2) << "normal and pressed";
    key->setBitmap(Bmp::Key6);
    key->repaint();
    EXPECT_EQ(key->looks().painted(), 3);
}

// The edits' style against Fusion itself, drawing the same panels at the same places.
TEST(FaceLooks, EditPanelsAreFusionsOwnInEveryState) {
    FaceStyle star(QStyleFactory::create(QStringLiteral("Fusion")));
    std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
    ASSERT_NE(fusion, nullptr);

    QStyleOptionFrame plain;
    plain.rect = QRect(7, 5, 238, 28);
    plain.palette = QPalette();
    plain.state = QStyle::State_Enabled | QStyle::State_Sunken;
    plain.lineWidth = 1;
    plain.frameShape = QFrame::NoFrame;
    // A palette is told apart by its identity, so the other colours are made once.
    QPalette otherColours;
    otherColours.setColor(QPalette::Base, QColor(255, 255, 220));
    otherColours.setColor(QPalette::Window, QColor(90, 120, 160));
    const struct {
        const char* what;
        std::function<void(QStyleOptionFrame&)> change;
    } variants[] = {
        {"plain", [](QStyleOptionFrame&) {}},
        {"focused", [](QStyleOptionFrame& o) { o.state |= QStyle::State_HasFocus; }},
        {"disabled",
         [](QStyleOptionFrame& o) {
             o.state &= ~QStyle::State_Enabled;
             o.palette.setCurrentColorGroup(QPalette::Disabled);
         }},
        {"smaller", [](QStyleOptionFrame& o) { o.rect.setSize(QSize(120, 20)); }},
        {"elsewhere", [](QStyleOptionFrame& o) { o.rect.moveTopLeft(QPoint(30, 40)); }},
        {"other colours", [&](QStyleOptionFrame& o) { o.palette = otherColours; }},
    };
    auto draw = [](const QStyle& style, const QStyleOptionFrame& option) {
        QImage image(300, 90, QImage::Format_RGB32);
        image.fill(QColor(236, 236, 236));
        QPainter p(&image);
        style.drawPrimitive(QStyle::PE_PanelLineEdit, &option, &p);
        return image;
    };
    int looks = 0;
    for (int round = 0; round < 2; ++round) {
        for (const auto& v : variants) {
            SCOPED_TRACE(std::string(v.what) + (round == 0 ? ", first" : ", again"));
            QStyleOptionFrame option = plain;
            v.change(option);
            EXPECT_EQ(draw(star, option), draw(*fusion, option));
        }
        // The first round paints a look for every state but "elsewhere" (the place does not
        // matter); the second paints none.
        if (round == 0) looks = star.panelsPainted();
        EXPECT_EQ(star.panelsPainted(), 5);
    }
    EXPECT_EQ(looks, 5);
}

// The menu bar's overflow icon comes late, but it is the base style's own.
TEST(FaceLooks, OverflowIconsAreTheBaseStylesOwn) {
    FaceStyle face(QStyleFactory::create(QStringLiteral("Fusion")));
    std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
    ASSERT_NE(fusion, nullptr);
    for (const QStyle::StandardPixmap which :
         {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_ToolBarVerticalExtensionButton,
          QStyle::SP_MessageBoxWarning}) {
        SCOPED_TRACE(static_cast<int>(which));
        const QIcon late = face.standardIcon(which);
        const QIcon own = fusion->standardIcon(which);
        ASSERT_FALSE(late.isNull());
        EXPECT_EQ(late.availableSizes(), own.availableSizes());
        for (const int size : {16, 32}) {
            EXPECT_EQ(late.pixmap(size).toImage(), own.pixmap(size).toImage());
        }
    }
}

} // namespace
