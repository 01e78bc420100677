// The skin draws every picture the face names, at its size, on the right ground, in the
// colours that carry meaning (green to call, red to end or for what is off).
#include "Skin.h"
#include "SkinDrawing.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>

namespace {

using orvane::skin::Bitmap;
using orvane::skin::Icon;

// Pixmaps need the application object; one lives for the whole run.
class QtEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = std::make_unique<QGuiApplication>(argc_, argv_);
    }
    void TearDown() override { app_.reset(); }

  private:
    int argc_ = 1;
    char name_[10] = "skin_test";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QGuiApplication> app_;
};
[[maybe_unused]] const auto* const kQt = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

QImage ImageOf(int id) {
    return Bitmap(id).toImage().convertToFormat(QImage::Format_ARGB32);
}
QImage IconImage(int id, int size) {
    return Icon(id).pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
}

struct Listed {
    int id;
    int width; // keypad faces may be 79 or 80 wide: 0 accepts either
    int height;
};

const Listed kBitmaps[] = {
    {129, 0, 68},  {130, 0, 68},  {131, 0, 68},  {134, 0, 68},  {135, 0, 68},  {136, 0, 68},
    {137, 0, 68},  {138, 0, 68},  {139, 0, 68},  {140, 0, 68},  {141, 0, 68},  {142, 0, 68},
    {158, 79, 68}, {215, 79, 68}, {181, 79, 68}, {213, 79, 68}, {182, 79, 68}, {216, 79, 68},
    {187, 79, 68}, {214, 79, 68}, {159, 40, 40}, {160, 40, 40}, {166, 40, 40}, {164, 79, 68},
    {190, 79, 68}, {188, 79, 68}, {165, 79, 68}, {189, 79, 68}, {185, 79, 68}, {186, 79, 68},
    {212, 79, 68}, {184, 79, 68}, {183, 79, 68}, {169, 28, 28}, {170, 28, 28}, {209, 28, 28},
    {210, 28, 28}, {179, 28, 28}, {177, 48, 48}, {191, 48, 48}, {192, 48, 48}, {194, 48, 48},
    {195, 48, 48}, {196, 48, 48}, {197, 48, 48}, {198, 48, 48}, {199, 48, 48}, {200, 48, 48},
    {201, 48, 48}, {202, 48, 48}, {204, 48, 48}, {205, 48, 48}, {206, 48, 48}, {207, 48, 48},
    {208, 48, 48}, {211, 48, 48}, {178, 60, 48},
};

TEST(SkinBitmaps, EveryListedBitmapHasItsSize) {
    for (const Listed& b : kBitmaps) {
        SCOPED_TRACE(b.id);
        const QPixmap pixmap = Bitmap(b.id);
        ASSERT_FALSE(pixmap.isNull());
        EXPECT_EQ(pixmap.height(), b.height);
        if (b.width == 0)
            EXPECT_TRUE(pixmap.width() == 79 || pixmap.width() == 80) << pixmap.width();
        else
            EXPECT_EQ(pixmap.width(), b.width);
    }
}

TEST(SkinBitmaps, TheSkinListsExactlyTheFaceIds) {
    std::set<int> listed;
    for (const Listed& b : kBitmaps)
        listed.insert(b.id);
    const std::vector<int> ids = orvane::skin::BitmapIds();
    EXPECT_EQ(std::set<int>(ids.begin(), ids.end()), listed);
    EXPECT_EQ(ids.size(), listed.size());

    const std::vector<int> icons = orvane::skin::IconIds();
    EXPECT_EQ(std::set<int>(icons.begin(), icons.end()),
              (std::set<int>{128, 175, 176, 177, 178, 179}));
}

TEST(SkinBitmaps, UnknownIdsGiveNothing) {
    for (int id : {-1, 0, 1, 128, 132, 133, 143, 175, 176, 180, 193, 203, 217, 1000}) {
        SCOPED_TRACE(id);
        EXPECT_TRUE(Bitmap(id).isNull());
    }
    for (int id : {-1, 0, 129, 174, 180, 216})
        EXPECT_TRUE(Icon(id).isNull()) << id;
}

TEST(SkinBitmaps, PicturesAreDrawnOnce) {
    for (int id : {129, 177, 216})
        EXPECT_EQ(Bitmap(id).cacheKey(), Bitmap(id).cacheKey()) << id;
}

// Share of pixels outside the picture's two commonest colours (its ground and, on key
// faces, the dots): a blank or ground-only picture has almost none.
double ContentShare(const QImage& image) {
    std::map<QRgb, int> count;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++count[image.pixel(x, y)];
    std::vector<int> sorted;
    for (const auto& c : count)
        sorted.push_back(c.second);
    std::sort(sorted.rbegin(), sorted.rend());
    int rest = 0;
    for (size_t i = 2; i < sorted.size(); ++i)
        rest += sorted[i];
    return double(rest) / (image.width() * image.height());
}

TEST(SkinBitmaps, NoPictureIsBlank) {
    for (int id : orvane::skin::BitmapIds())
        EXPECT_GT(ContentShare(ImageOf(id)), 0.02) << "bitmap " << id;
    for (int id : orvane::skin::IconIds())
        for (const QSize& size : Icon(id).availableSizes())
            EXPECT_GT(ContentShare(IconImage(id, size.width())), 0.02)
                << "icon " << id << " at " << size.width();
}

const int kGreyKeyFaces[] = {129, 130, 131, 134, 135, 136, 137, 138, 139, 140, 141,
                             142, 158, 181, 182, 187, 183, 184, 185, 186, 212};

TEST(SkinBitmaps, KeyFacesLieOnDarkGreyGroundWithLightDots) {
    for (int id : kGreyKeyFaces) {
        SCOPED_TRACE(id);
        const QImage image = ImageOf(id);
        // Corners are ground between the dots.
        for (QPoint at : {QPoint(0, 0), QPoint(1, 1), QPoint(0, image.height() - 1),
                          QPoint(image.width() - 1, 0)})
            EXPECT_EQ(image.pixel(at), qRgb(89, 89, 89)) << at.x() << "," << at.y();
        int dots = 0;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                dots += qGray(image.pixel(x, y)) > 89 + 20;
        EXPECT_GE(dots, 2) << "no light dots in the corner";
        EXPECT_LE(dots, 16) << "the corner is not mostly ground";
    }
}

TEST(SkinBitmaps, KeyGlyphsAreWhite) {
    for (int id : kGreyKeyFaces) {
        const QImage image = ImageOf(id);
        int white = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                white += image.pixel(x, y) == qRgb(255, 255, 255);
        EXPECT_GT(white, image.width() * image.height() / 25) << id;
    }
}

// Opaque pictures come without an alpha channel, the form the keys scale fastest; the
// list images keep theirs, as they lie on the list's own ground.
TEST(SkinBitmaps, OpaquePicturesHaveNoAlphaChannel) {
    for (int id : orvane::skin::BitmapIds()) {
        EXPECT_EQ(Bitmap(id).depth(), 32) << id;
        EXPECT_FALSE(Bitmap(id).hasAlphaChannel()) << id;
    }
    for (int id : {175, 176, 177, 178, 179})
        EXPECT_TRUE(Icon(id).pixmap(16).hasAlphaChannel()) << id;
}

TEST(SkinBitmaps, BlueTabsShowTheGreyPictureOnBlue) {
    const std::pair<int, int> tabs[] = {{182, 216}, {187, 214}, {181, 213}, {158, 215}};
    for (const auto& [grey, blue] : tabs) {
        SCOPED_TRACE(grey);
        const QImage g = ImageOf(grey), b = ImageOf(blue);
        ASSERT_EQ(g.size(), b.size());
        EXPECT_NE(g, b);
        const QColor ground = QColor::fromRgb(b.pixel(0, 0));
        EXPECT_GT(ground.blue(), 200);
        EXPECT_LT(ground.red(), 60);
        EXPECT_LT(ground.green(), 90);
        // The glyph itself is the same white shape on both.
        const QPoint middle(g.width() / 2, 24);
        EXPECT_EQ(g.pixel(middle) == qRgb(255, 255, 255), b.pixel(middle) == qRgb(255, 255, 255));
    }
}

TEST(SkinBitmaps, KeyStatesAreDifferentPictures) {
    const std::pair<int, int> pairs[] = {{164, 190}, {164, 188}, {190, 188}, {165, 189},
                                         {204, 197}, {205, 196}, {209, 210}};
    for (const auto& [a, b] : pairs)
        EXPECT_NE(ImageOf(a), ImageOf(b)) << a << " and " << b;
}

TEST(SkinIcons, IdsSharedWithBitmapsAreOtherPictures) {
    const std::pair<int, QSize> shared[] = {
        {177, QSize(48, 48)}, {178, QSize(60, 48)}, {179, QSize(28, 28)}};
    for (const auto& [id, bitmapSize] : shared) {
        SCOPED_TRACE(id);
        EXPECT_EQ(Bitmap(id).size(), bitmapSize);
        const QList<QSize> sizes = Icon(id).availableSizes();
        EXPECT_EQ(sizes, QList<QSize>{QSize(16, 16)});
    }
    EXPECT_EQ(Icon(128).availableSizes(),
              (QList<QSize>{QSize(16, 16), QSize(32, 32), QSize(48, 48)}));
    for (int id : {175, 176})
        EXPECT_EQ(Icon(id).availableSizes(), QList<QSize>{QSize(16, 16)}) << id;
}

// The pictures compiled in are those the drawing code draws on this machine: a stale or
// damaged bake shows here, picture by picture.
TEST(SkinBaked, PicturesAreTheDrawingCodesOwnPixelForPixel) {
    namespace drawing = orvane::skin::drawing;
    ASSERT_EQ(orvane::skin::BitmapIds(), drawing::BitmapIds());
    for (int id : drawing::BitmapIds()) {
        SCOPED_TRACE(id);
        const QImage drawn = drawing::DrawBitmap(id);
        const QImage shown = Bitmap(id).toImage();
        EXPECT_EQ(shown.format(), drawn.format());
        EXPECT_EQ(shown, drawn);
    }
    ASSERT_EQ(orvane::skin::IconIds(), drawing::IconIds());
    for (int id : drawing::IconIds()) {
        SCOPED_TRACE(id);
        QList<QSize> sizes;
        for (int side : drawing::IconSizes(id)) {
            sizes.append(QSize(side, side));
            EXPECT_EQ(Icon(id).pixmap(side).toImage(), drawing::DrawIcon(id, side)) << side;
        }
        EXPECT_EQ(Icon(id).availableSizes(), sizes);
    }
    EXPECT_TRUE(drawing::DrawBitmap(1).isNull());
    EXPECT_TRUE(drawing::DrawIcon(128, 20).isNull());
}

// Pixels clearly of one hue.
int Count(const QImage& image, bool (*hue)(QColor)) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = QColor::fromRgba(image.pixel(x, y));
            n += c.alpha() > 200 && hue(c);
        }
    return n;
}
bool IsGreen(QColor c) {
    return c.green() > c.red() + 60 && c.green() > c.blue() + 60;
}
bool IsRed(QColor c) {
    return c.red() > c.green() + 80 && c.red() > c.blue() + 80;
}
bool IsBlue(QColor c) {
    return c.blue() > c.red() + 60 && c.blue() > c.green() + 30;
}

TEST(SkinColours, GreenAndRedWhereThePicturesNeedThem) {
    struct Expect {
        int id;
        bool icon;
        bool green;
        bool red;
    };
    const Expect table[] = {
        {164, false, true, false}, {190, false, true, false},  {188, false, false, false},
        {165, false, false, true}, {189, false, false, true},  {166, false, false, true},
        {191, false, true, false}, {192, false, true, false},  {195, false, true, false},
        {194, false, false, true}, {201, false, false, true},  {207, false, false, true},
        {202, false, false, true}, {204, false, false, true},  {205, false, false, true},
        {210, false, false, true}, {209, false, false, false}, {177, false, false, false},
        {179, true, true, false},  {178, true, false, true},   {175, true, true, false},
        {176, true, false, true},  {177, true, false, true},
    };
    for (const Expect& e : table) {
        SCOPED_TRACE((e.icon ? "icon " : "bitmap ") + std::to_string(e.id));
        const QImage image = e.icon ? IconImage(e.id, 16) : ImageOf(e.id);
        const int minimum = image.width() * image.height() / 50;
        EXPECT_EQ(Count(image, IsGreen) > minimum, e.green);
        EXPECT_EQ(Count(image, IsRed) > minimum, e.red);
    }
}

TEST(SkinColours, WindowIconIsABluePhoneWithARedDial) {
    for (int size : {16, 32, 48}) {
        SCOPED_TRACE(size);
        const QImage image = IconImage(128, size);
        ASSERT_EQ(image.size(), QSize(size, size));
        EXPECT_GT(Count(image, IsBlue), size * size / 5);
        EXPECT_GT(Count(image, IsRed), size * size / 60);
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "the ground stays transparent";
    }
}

} // namespace
