// Sizes in percent of the image and the repeated mark: the caption's ink height follows the
// image's shorter side, margins and picture width follow the image, and a tiled mark reaches
// every corner with the placed mark among its copies.

#include "render/RelativeSize.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

#include <QImage>

#include "render/Composer.h"
#include "render/TileGrid.h"
#include "support/TestSupport.h"

namespace tessoly {
namespace {

using test::ScratchDir;

TBitmap32 Black(int w, int h) {
    TBitmap32 b(w, h);
    b.Clear(0xFF000000u);
    return b;
}

TBitmap32 Compose(const WatermarkSettings& s, const TBitmap32& source) {
    static TTrueTypeFont font;
    TBitmap32 composed;
    ComposeWatermark(s, source, composed, font, {});
    return composed;
}

//! White caption, fully opaque, no outline or emboss, so ink is exactly the filled glyphs.
WatermarkSettings PlainCaption(int percent) {
    WatermarkSettings s;
    s.caption = u"HTEL";
    s.outline = false;
    s.effect3D = false;
    s.opacityPosition = 50;
    s.fontSize = percent;
    s.fontSizeUnit = SizeUnit::PercentOfImage;
    return s;
}

//! Rows holding a pixel at least half covered by the white fill: the ink height [pixels].
int InkRows(const TBitmap32& b) {
    int first = -1;
    int last = -1;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            if ((b.Pixel(x, y) & 0xFFu) >= 128) {
                if (first < 0)
                    first = y;
                last = y;
                break;
            }
    return first < 0 ? 0 : last - first + 1;
}

bool AnyInk(const TBitmap32& b, int x0, int y0, int x1, int y1) {
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if ((b.Pixel(x, y) & 0x00FFFFFFu) != 0)
                return true;
    return false;
}

struct InkCase {
    int width;
    int height;
    int percent;
};

class RelativeCaption : public ::testing::TestWithParam<InkCase> {};

TEST_P(RelativeCaption, InkHeightStaysWithinOnePixelOfThePercentage) {
    const InkCase c = GetParam();
    const TBitmap32 composed = Compose(PlainCaption(c.percent), Black(c.width, c.height));
    const double wanted = c.percent * std::min(c.width, c.height) / 100.0;
    EXPECT_NEAR(InkRows(composed), wanted, 1.0)
        << c.width << " x " << c.height << " at " << c.percent << " %";
}

INSTANTIATE_TEST_SUITE_P(Sizes, RelativeCaption,
                         ::testing::Values(InkCase{200, 53, 10}, InkCase{53, 200, 10}, InkCase{200, 53, 30},
                                           InkCase{640, 480, 4}, InkCase{480, 640, 4}, InkCase{1200, 800, 5},
                                           InkCase{800, 1200, 5}, InkCase{1920, 1080, 8},
                                           InkCase{6000, 4000, 4}, InkCase{4000, 6000, 4}));

TEST(RelativeSize, PercentRoundsHalvesToEven) {
    EXPECT_EQ(PercentOfLength(10, 305), 30); // 30.5
    EXPECT_EQ(PercentOfLength(10, 315), 32); // 31.5
    EXPECT_EQ(PercentOfLength(-10, 305), -30);
    EXPECT_EQ(PercentOfLength(3, 6000), 180);
}

TEST(RelativeSize, MarginsAndPictureWidthFollowTheImage) {
    ScratchDir dir;
    QImage picture(40, 20, QImage::Format_ARGB32);
    picture.fill(qRgba(255, 0, 0, 255));
    const std::string path = dir.file("red.png");
    ASSERT_TRUE(picture.save(QString::fromStdString(path), "PNG"));
    WatermarkSettings s;
    s.mode = kModeImage;
    s.picturePath = path;
    s.opacityPosition = 50;
    s.position = WatermarkPosition::TopLeft;
    s.imageScaleText = "25";
    s.imageScaleUnit = SizeUnit::PercentOfImage;
    s.hMargin = 10;
    s.hMarginUnit = SizeUnit::PercentOfImage;
    s.vMargin = 20;
    s.vMarginUnit = SizeUnit::PercentOfImage;
    // 400 x 300: a 100 x 50 picture at (40, 60).
    const TBitmap32 composed = Compose(s, Black(400, 300));
    EXPECT_EQ(composed.Pixel(40, 60), 0xFFFF0000u);
    EXPECT_EQ(composed.Pixel(139, 109), 0xFFFF0000u);
    EXPECT_EQ(composed.Pixel(39, 60), 0xFF000000u);
    EXPECT_EQ(composed.Pixel(140, 60), 0xFF000000u);
    EXPECT_EQ(composed.Pixel(40, 59), 0xFF000000u);
    EXPECT_EQ(composed.Pixel(40, 110), 0xFF000000u);
}

TEST(RelativeSize, PixelSettingsAreNotTouched) {
    WatermarkSettings s;
    EXPECT_FALSE(UsesRelativeSizes(s));
    const WatermarkSettings resolved = ResolveMargins(s, 1000, 1000);
    EXPECT_EQ(resolved.hMargin, 30);
    EXPECT_EQ(resolved.vMargin, 30);
    s.vMarginUnit = SizeUnit::PercentOfImage;
    EXPECT_TRUE(UsesRelativeSizes(s));
}

bool Near(TColor32 a, TColor32 b, int delta) {
    for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(static_cast<int>((a >> shift) & 0xFFu) - static_cast<int>((b >> shift) & 0xFFu)) > delta)
            return false;
    return true;
}

//! The default look (outline and emboss) drawn as copies: the same pixels as drawing it directly.
TEST(TiledCaptionLayer, MatchesTheDirectDrawingOfTheDefaultLook) {
    WatermarkSettings s;
    s.textAngle = 20;
    TBitmap32 source(700, 400);
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 700; ++x)
            source.SetPixel(x, y, Color32(255, (x * 3) & 0xFF, (y * 5) & 0xFF, ((x + y) * 2) & 0xFF));
    const TBitmap32 single = Compose(s, source);
    s.tile = true;
    s.tileSpacing = 60;
    const TBitmap32 tiled = Compose(s, source);
    // The blends round to 8 bits one by one (their alpha falling below 255 amplifies that); the
    // layer rounds once. A few levels apart at most, invisible in the picture.
    int worst = 0;
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 700; ++x)
            if (single.Pixel(x, y) != source.Pixel(x, y))
                for (int shift = 0; shift < 32; shift += 8)
                    worst =
                        std::max(worst, std::abs(static_cast<int>((tiled.Pixel(x, y) >> shift) & 0xFFu) -
                                                 static_cast<int>((single.Pixel(x, y) >> shift) & 0xFFu)));
    EXPECT_LE(worst, 8);
    RecordProperty("worstChannelDifference", worst);
}

struct TileCase {
    const char* name;
    WatermarkPosition position;
    int angle;
};

class TiledCaption : public ::testing::TestWithParam<TileCase> {};

TEST_P(TiledCaption, CoversTheFourCornersAndKeepsThePlacedMark) {
    WatermarkSettings s = PlainCaption(6);
    s.caption = u"Tessoly";
    s.position = GetParam().position;
    s.textAngle = GetParam().angle;
    const TBitmap32 single = Compose(s, Black(900, 600));
    s.tile = true;
    s.tileSpacing = 30;
    const TBitmap32 tiled = Compose(s, Black(900, 600));
    const int cw = 900 / 5;
    const int ch = 600 / 5;
    EXPECT_TRUE(AnyInk(tiled, 0, 0, cw, ch)) << "top left";
    EXPECT_TRUE(AnyInk(tiled, 900 - cw, 0, 900, ch)) << "top right";
    EXPECT_TRUE(AnyInk(tiled, 0, 600 - ch, cw, 600)) << "bottom left";
    EXPECT_TRUE(AnyInk(tiled, 900 - cw, 600 - ch, 900, 600)) << "bottom right";
    // Every pixel of the single mark is there in the grid, up to the rounding of the blends.
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 900; ++x) {
            if (single.Pixel(x, y) != 0xFF000000u) {
                ASSERT_TRUE(Near(tiled.Pixel(x, y), single.Pixel(x, y), 2)) << x << ", " << y;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Anchors, TiledCaption,
                         ::testing::Values(TileCase{"Centre", WatermarkPosition::Center, 0},
                                           TileCase{"TopLeftTurned", WatermarkPosition::TopLeft, 30},
                                           TileCase{"BottomRightTurned", WatermarkPosition::BottomRight,
                                                    -45}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TiledPicture, FillsAGridCentredOnTheAnchor) {
    ScratchDir dir;
    QImage picture(30, 20, QImage::Format_ARGB32);
    picture.fill(qRgba(0, 255, 0, 255));
    const std::string path = dir.file("green.png");
    ASSERT_TRUE(picture.save(QString::fromStdString(path), "PNG"));
    WatermarkSettings s;
    s.mode = kModeImage;
    s.picturePath = path;
    s.opacityPosition = 50;
    s.tile = true;
    s.tileSpacing = 100; // a step of twice the picture: 60 x 40
    const TBitmap32 composed = Compose(s, Black(301, 201));
    // Centred at rnd(271 / 2) = 136 and rnd(181 / 2) = 90; copies every 60 and 40 pixels.
    EXPECT_EQ(composed.Pixel(136, 90), 0xFF00FF00u);
    EXPECT_EQ(composed.Pixel(135, 90), 0xFF000000u);
    EXPECT_EQ(composed.Pixel(136 - 60, 90 - 40), 0xFF00FF00u);
    EXPECT_EQ(composed.Pixel(16, 10), 0xFF00FF00u); // the copies nearest the corners
    EXPECT_EQ(composed.Pixel(285, 189), 0xFF00FF00u);
    EXPECT_EQ(composed.Pixel(300, 200), 0xFF000000u); // the spacing between copies stays clear
    EXPECT_EQ(composed.Pixel(0, 0), 0xFF000000u);
}

TEST(TiledPicture, AMarkPushedFarOffStillTilesTheImageAndStaysBounded) {
    // A margin of a billion pixels: the grid still reaches the image, with a bounded count.
    TileAxis x;
    TileAxis y;
    TileAxesFor(-1e9, 0, 30, 300, 0, 0, 20, 200, 0.0, 0, x, y);
    EXPECT_LE(static_cast<long long>(x.last - x.first + 1) * (y.last - y.first + 1), kMaxTiles);
    EXPECT_LE(-1e9 + static_cast<double>(x.first) * x.step, 300.0);
    EXPECT_GE(-1e9 + static_cast<double>(x.last) * x.step + 30, 0.0);
    // Through the composer, text and picture, a margin far beyond the image still fills it.
    WatermarkSettings text = PlainCaption(10);
    text.tile = true;
    text.position = WatermarkPosition::TopLeft;
    text.hMargin = 2000000000;
    text.vMargin = -2000000000;
    const TBitmap32 composed = Compose(text, Black(300, 200));
    EXPECT_TRUE(AnyInk(composed, 0, 0, 300, 200));
    const TileAxis none = TileAxisFor(5000, 0, 30, 300, 0.0, 10000);
    EXPECT_LT(none.last, none.first); // steps wider than the image: nothing reaches it
}

} // namespace
} // namespace tessoly
