// ComposeWatermark end to end: what is copied, what is drawn where, and what is left alone.

#include <algorithm>
#include <climits>
#include <cmath>
#include <gtest/gtest.h>
#include <string>

#include <QImage>

#include "render/Composer.h"
#include "render/GuideLines.h"
#include "render/RenderError.h"
#include "render/TextWatermark.h"
#include "support/TestSupport.h"

namespace tessoly {
namespace {

using test::ScratchDir;
using test::WriteFileBytes;

TBitmap32 GreyGradient(int w, int h) {
    TBitmap32 b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint32_t v = static_cast<std::uint32_t>(40 + (x * 120) / w + (y * 60) / h);
            b.SetPixel(x, y, Color32(255, v, v, v));
        }
    return b;
}

TBitmap32 Solid(int w, int h, TColor32 c) {
    TBitmap32 b(w, h);
    b.Clear(c);
    return b;
}

::testing::AssertionResult SamePixels(const TBitmap32& a, const TBitmap32& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return ::testing::AssertionFailure() << "sizes differ";
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.Pixel(x, y) != b.Pixel(x, y))
                return ::testing::AssertionFailure() << "first difference at (" << x << ", " << y << ")";
    return ::testing::AssertionSuccess();
}

//! Writes an opaque w x h PNG of one colour and returns its path.
std::string WritePicture(const ScratchDir& dir, const std::string& name, int w, int h, QRgb colour) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(colour);
    const std::string path = dir.file(name);
    EXPECT_TRUE(image.save(QString::fromStdString(path), "PNG"));
    return path;
}

TBitmap32 Compose(const WatermarkSettings& s, const TBitmap32& source, const ComposeOptions& options = {}) {
    static TTrueTypeFont font;
    TBitmap32 composed;
    ComposeWatermark(s, source, composed, font, options);
    return composed;
}

TBitmap32 WithGuides(TBitmap32 b, const WatermarkSettings& s, float k = 1.0f) {
    DrawGuideLines(b, s, k);
    return b;
}

WatermarkSettings PictureSettings(const std::string& path) {
    WatermarkSettings s;
    s.mode = kModeImage;
    s.picturePath = path;
    return s;
}

TEST(Compose, OpacityZeroLeavesEveryPixel) {
    const TBitmap32 source = GreyGradient(320, 200);
    WatermarkSettings text;
    text.opacityPosition = 0;
    EXPECT_TRUE(SamePixels(Compose(text, source), source));

    ScratchDir dir;
    WatermarkSettings picture = PictureSettings(WritePicture(dir, "red.png", 80, 40, 0xFFFF0000u));
    picture.opacityPosition = 0;
    picture.imageScaleText = "150";
    EXPECT_TRUE(SamePixels(Compose(picture, source), source));
}

TEST(Compose, NothingToDrawGivesTheCopyPlusGuides) {
    const TBitmap32 source = GreyGradient(200, 120);
    ScratchDir dir;
    const std::string garbage = dir.file("garbage.png");
    WriteFileBytes(garbage, std::string(500, 'x'));
    const std::string red = WritePicture(dir, "red.png", 20, 20, 0xFFFF0000u);

    WatermarkSettings emptyCaption;
    emptyCaption.caption.clear();
    WatermarkSettings spacesOnly;
    spacesOnly.caption = u"   ";
    WatermarkSettings emptyPath = PictureSettings("");
    WatermarkSettings undecodable = PictureSettings(garbage);
    WatermarkSettings scaleZero = PictureSettings(red);
    scaleZero.imageScaleText = "0";
    WatermarkSettings scaleNegative = PictureSettings(red);
    scaleNegative.imageScaleText = "-40";
    const struct {
        const char* name;
        WatermarkSettings s;
    } cases[] = {{"empty caption", emptyCaption}, {"spaces only", spacesOnly},
                 {"empty path", emptyPath},       {"undecodable", undecodable},
                 {"scale 0", scaleZero},          {"negative scale", scaleNegative}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WatermarkSettings s = c.s;
        EXPECT_TRUE(SamePixels(Compose(s, source), source));
        s.showGuideLines = true;
        EXPECT_TRUE(SamePixels(Compose(s, source, {false, 0.5f}), WithGuides(source, s, 0.5f)));
    }
}

TEST(Compose, NoGuideLinesWhileABatchRuns) {
    const TBitmap32 source = GreyGradient(300, 200);
    WatermarkSettings plain;
    WatermarkSettings guides;
    guides.showGuideLines = true;
    EXPECT_TRUE(SamePixels(Compose(guides, source, {true, 1.0f}), Compose(plain, source)));
    EXPECT_FALSE(SamePixels(Compose(guides, source, {false, 1.0f}), Compose(plain, source)));
}

TEST(Compose, GuideLinesLieUnderTheWatermark) {
    const TBitmap32 source = GreyGradient(300, 200);
    // Text: drawing on a source that already has the lines gives the same picture.
    WatermarkSettings text;
    text.showGuideLines = true;
    WatermarkSettings noGuides = text;
    noGuides.showGuideLines = false;
    EXPECT_TRUE(SamePixels(Compose(text, source), Compose(noGuides, WithGuides(source, text))));

    // Picture: an opaque picture at full opacity hides the centre crossing completely.
    ScratchDir dir;
    WatermarkSettings picture = PictureSettings(WritePicture(dir, "blue.png", 40, 40, 0xFF0000FFu));
    picture.opacityPosition = 50;
    picture.showGuideLines = true;
    const TBitmap32 composed = Compose(picture, source);
    EXPECT_EQ(composed.Pixel(150, 100), 0xFF0000FFu);
    EXPECT_EQ(composed.Pixel(149, 99), 0xFF0000FFu);
    EXPECT_NE(composed.Pixel(150, 10), source.Pixel(150, 10)); // the line outside the picture
}

TEST(Compose, PictureLandsOnItsPosition) {
    const TBitmap32 source = Solid(640, 480, 0xFF000000u);
    ScratchDir dir;
    WatermarkSettings s = PictureSettings(WritePicture(dir, "green.png", 100, 40, 0xFF00FF00u));
    s.position = WatermarkPosition::BottomRight;
    s.opacityPosition = 50;
    const TBitmap32 composed = Compose(s, source);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const bool inside = x >= 510 && x < 610 && y >= 410 && y < 450;
            ASSERT_EQ(composed.Pixel(x, y), inside ? 0xFF00FF00u : 0xFF000000u) << x << "," << y;
        }
    // Opacity 30 blends with master alpha 153: W = (256 * 153) >> 8 = 153.
    s.opacityPosition = 30;
    EXPECT_EQ(Compose(s, source).Pixel(510, 410), Color32(255, 0, (255 * 153 + 128) >> 8, 0));
}

TEST(Compose, PictureLargerThanTheImageIsClipped) {
    const TBitmap32 source = Solid(50, 30, 0xFF000000u);
    ScratchDir dir;
    WatermarkSettings s = PictureSettings(WritePicture(dir, "white.png", 80, 70, 0xFFFFFFFFu));
    s.opacityPosition = 50;
    const TBitmap32 composed = Compose(s, source);
    EXPECT_TRUE(SamePixels(composed, Solid(50, 30, 0xFFFFFFFFu)));
}

TEST(Compose, UnopenablePictureRaisesNamingTheFile) {
    const TBitmap32 source = GreyGradient(120, 80);
    ScratchDir dir;
    for (const std::string& path : {dir.file("gone.png"), dir.path().string()}) {
        SCOPED_TRACE(path);
        WatermarkSettings s = PictureSettings(path);
        s.showGuideLines = true;
        static TTrueTypeFont font;
        TBitmap32 composed = Solid(120, 80, 0xFFFF00FFu); // the previous render, same size
        try {
            ComposeWatermark(s, source, composed, font, {});
            ADD_FAILURE() << "no error";
        } catch (const RenderError& e) {
            EXPECT_NE(std::string(e.what()).find("\"" + path + "\""), std::string::npos) << e.what();
        }
        // The copy of the source, with its guide lines, is there all the same.
        EXPECT_TRUE(SamePixels(composed, WithGuides(source, s)));
    }
}

TEST(Compose, BadScaleTextRaisesAfterTheCopy) {
    const TBitmap32 source = GreyGradient(120, 80);
    ScratchDir dir;
    WatermarkSettings s = PictureSettings(WritePicture(dir, "red.png", 20, 20, 0xFFFF0000u));
    s.imageScaleText = "fifty";
    static TTrueTypeFont font;
    TBitmap32 composed;
    EXPECT_THROW(ComposeWatermark(s, source, composed, font, {}), RenderError);
    EXPECT_TRUE(SamePixels(composed, source));
}

TEST(Compose, WatermarkPushedFarOutsideDrawsNothing) {
    const TBitmap32 source = GreyGradient(200, 120);
    ScratchDir dir;
    const std::string red = WritePicture(dir, "red.png", 30, 20, 0xFFFF0000u);
    for (int margin : {1000000, -1000000, INT_MAX, INT_MIN}) {
        SCOPED_TRACE(margin);
        for (WatermarkPosition position : {WatermarkPosition::TopLeft, WatermarkPosition::BottomRight}) {
            WatermarkSettings text;
            text.hMargin = text.vMargin = margin;
            text.position = position;
            EXPECT_TRUE(SamePixels(Compose(text, source), source));
            WatermarkSettings picture = PictureSettings(red);
            picture.hMargin = picture.vMargin = margin;
            picture.position = position;
            EXPECT_TRUE(SamePixels(Compose(picture, source), source));
        }
    }
}

TEST(Compose, ComposedKeepsItsModesAndFollowsTheSourceSize) {
    static TTrueTypeFont font;
    TBitmap32 composed = Solid(10, 10, 0xFFFFFFFFu);
    composed.MasterAlpha = 77;
    WatermarkSettings s;
    s.opacityPosition = 0;
    ComposeWatermark(s, GreyGradient(33, 21), composed, font, {});
    EXPECT_EQ(composed.Width(), 33);
    EXPECT_EQ(composed.Height(), 21);
    EXPECT_EQ(composed.MasterAlpha, 77);

    TBitmap32 untouched = Solid(4, 4, 0xFF123456u);
    ComposeWatermark(s, TBitmap32(), untouched, font, {}); // empty source: nothing happens
    EXPECT_EQ(untouched.Width(), 4);
}

} // namespace
} // namespace tessoly
