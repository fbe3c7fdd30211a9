// Where the text lands: the rotated box placed by the nine anchors at several angles, compared
// with the ink actually drawn (fill only, full opacity, on black).

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <string>

#include "render/Composer.h"
#include "render/TextWatermark.h"

namespace tessoly {
namespace {

struct InkBox {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1; // right and bottom exclusive
    bool Empty() const { return right < 0; }
};

InkBox FindInk(const TBitmap32& b) {
    InkBox box;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            if (b.Pixel(x, y) != 0xFF000000u) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
    return box;
}

WatermarkSettings FillOnly(const std::u16string& caption) {
    WatermarkSettings s;
    s.caption = caption;
    s.outline = false;
    s.effect3D = false;
    s.opacityPosition = 50;
    return s;
}

//! The placed box [image pixels] for the settings on a w x h image.
struct PlacedBox {
    double left, top, right, bottom;
    double penX, penY;
};

PlacedBox Place(TTrueTypeFont& font, const WatermarkSettings& s, int w, int h) {
    font.ApplyFontSettings(s.fontName, s.fontSize, s.bold, s.italic, s.screenDpi);
    const TextExtent extent = MeasureText(font, s.caption);
    const TextBoxGeometry box = TextBox(extent.W, extent.H, s.textAngle);
    const TextOffset o = TextPlacementOffset(s.position, w, h, s.hMargin, s.vMargin, box);
    return {o.e + box.minX, o.f + box.minY, o.e + box.maxX, o.f + box.maxY, o.e + box.Px, o.f + box.Py};
}

TBitmap32 Black(int w, int h) {
    TBitmap32 b(w, h);
    b.Clear(0xFF000000u);
    return b;
}

TEST(ComposeTextPlacement, InkFillsTheRotatedBoxAtEveryAnchor) {
    TTrueTypeFont font;
    const TBitmap32 source = Black(640, 480);
    const WatermarkPosition positions[] = {
        WatermarkPosition::TopLeft,    WatermarkPosition::TopCenter, WatermarkPosition::TopRight,
        WatermarkPosition::Left,       WatermarkPosition::Center,    WatermarkPosition::Right,
        WatermarkPosition::BottomLeft, WatermarkPosition::Bottom,    WatermarkPosition::BottomRight};
    for (int angle : {0, 90, -90, 180}) {
        for (WatermarkPosition position : positions) {
            SCOPED_TRACE(std::string(WatermarkPositionName(position)) + " at " + std::to_string(angle));
            // Flat tops and a flat baseline: three sides of the box are ink; the fourth, at the
            // pen origin, is short of the ink by the left side bearing of "E".
            WatermarkSettings s = FillOnly(u"EHT");
            s.textAngle = angle;
            s.position = position;
            const PlacedBox box = Place(font, s, 640, 480);
            TBitmap32 composed;
            ComposeWatermark(s, source, composed, font, {});
            const InkBox ink = FindInk(composed);
            ASSERT_FALSE(ink.Empty());
            const double gaps[] = {ink.left - box.left, box.right - ink.right, ink.top - box.top,
                                   box.bottom - ink.bottom};
            int tight = 0;
            for (double gap : gaps) {
                EXPECT_GE(gap, -1.0); // no ink outside the box
                EXPECT_LE(gap, 12.0);
                tight += std::abs(gap) <= 1.0;
            }
            EXPECT_GE(tight, 3);
            if (position == WatermarkPosition::Center) {
                // The box is centred on the image whatever the angle.
                EXPECT_NEAR((box.left + box.right) / 2, 320.0, 0.5);
                EXPECT_NEAR((box.top + box.bottom) / 2, 240.0, 0.5);
            }
        }
    }
}

TEST(ComposeTextPlacement, MinusAndPlus180DrawTheSame) {
    TTrueTypeFont font;
    const TBitmap32 source = Black(400, 300);
    WatermarkSettings s; // outline and 3D on: every effect turns alike
    s.textAngle = 180;
    TBitmap32 a, b;
    ComposeWatermark(s, source, a, font, {});
    s.textAngle = -180;
    ComposeWatermark(s, source, b, font, {});
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x)
            ASSERT_EQ(a.Pixel(x, y), b.Pixel(x, y)) << x << "," << y;
}

TEST(ComposeTextPlacement, TopLeftMarginsPutTheTopInkOnTheMargin) {
    TTrueTypeFont font;
    const TBitmap32 source = Black(640, 480);
    WatermarkSettings s = FillOnly(u"HIT");
    s.position = WatermarkPosition::TopLeft;
    const PlacedBox box = Place(font, s, 640, 480);
    // The pen origin is the left end of the baseline at (30, 30 + Ht).
    EXPECT_DOUBLE_EQ(box.penX, 30.0);
    EXPECT_DOUBLE_EQ(box.penY, 30.0 + (box.bottom - box.top));
    TBitmap32 composed;
    ComposeWatermark(s, source, composed, font, {});
    const InkBox ink = FindInk(composed);
    EXPECT_GE(ink.top, 29);
    EXPECT_LE(ink.top, 30);
    EXPECT_GE(ink.left, 30);
    EXPECT_LE(ink.left, 42);
}

TEST(ComposeTextPlacement, DescendersReachBelowTheBox) {
    TTrueTypeFont font;
    const TBitmap32 source = Black(640, 480);
    WatermarkSettings plain = FillOnly(u"Hx");
    WatermarkSettings deep = FillOnly(u"Hg");
    plain.position = deep.position = WatermarkPosition::TopLeft;
    const PlacedBox plainBox = Place(font, plain, 640, 480);
    const PlacedBox deepBox = Place(font, deep, 640, 480);
    TBitmap32 a, b;
    ComposeWatermark(plain, source, a, font, {});
    ComposeWatermark(deep, source, b, font, {});
    const InkBox plainInk = FindInk(a), deepInk = FindInk(b);
    const double depth = deepBox.bottom - deepBox.top - (plainBox.bottom - plainBox.top);
    EXPECT_GT(depth, 8.0); // the g's descender
    // The box holds the descender, but the baseline sits on the box's bottom: all ink moves down.
    EXPECT_NEAR(deepInk.top - plainInk.top, depth, 1.0);
    EXPECT_NEAR(deepInk.bottom - deepBox.bottom, depth, 1.0);
    EXPECT_NEAR(plainInk.bottom, plainBox.bottom, 1.0);
}

} // namespace
} // namespace tessoly
