// DrawTextWatermark: what each setting draws, where the pen goes, and what it leaves alone.

#include "render/TextWatermark.h"

#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <random>
#include <thread>

#include "render/GlyphContours.h"
#include "render/GlyphOutline.h"
#include "render/LineStroke.h"
#include "render/PolygonFill.h"
#include "render/Text32.h"

namespace tessoly {
namespace {

TBitmap32 Background(int w, int h, bool translucent, unsigned seed) {
    TBitmap32 bmp(w, h);
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::uint32_t a = translucent ? (rng() % 3 == 0 ? 255u : rng() & 0xFFu) : 255u;
            bmp.SetPixel(x, y, (a << 24) | (rng() & 0x00FFFFFFu));
        }
    }
    return bmp;
}

bool SamePixels(const TBitmap32& a, const TBitmap32& b) {
    return a.Width() == b.Width() && a.Height() == b.Height() &&
           std::equal(a.Bits(), a.Bits() + std::size_t(a.Width()) * a.Height(), b.Bits());
}

//! Bounds of the pixels that differ between two bitmaps.
TRect ChangedBounds(const TBitmap32& a, const TBitmap32& b) {
    TRect r{a.Width(), a.Height(), -1, -1};
    for (int y = 0; y < a.Height(); ++y) {
        for (int x = 0; x < a.Width(); ++x) {
            if (a.Pixel(x, y) == b.Pixel(x, y))
                continue;
            r.left = std::min(r.left, x);
            r.top = std::min(r.top, y);
            r.right = std::max(r.right, x + 1);
            r.bottom = std::max(r.bottom, y + 1);
        }
    }
    return r;
}

class TextWatermark : public ::testing::Test {
protected:
    void SetUp() override {
        settings.caption = u"\u00A9 Tessoly";
        font.ApplyFontSettings(settings.fontName, settings.fontSize, settings.bold, settings.italic);
    }

    //! The caption's glyphs placed as the drawing places them, one polygon set per character.
    std::vector<TPolyPolygon> PlacedGlyphs(float x, float y, int angle) {
        TText32 text;
        text.SetAngle(angle);
        text.SetPen(x, y);
        std::vector<TPolyPolygon> glyphs;
        TGlyphOutline outline;
        for (char16_t ch : settings.caption) {
            EXPECT_TRUE(GlyphOutline(font, ch, outline));
            glyphs.push_back(text.Place(GlyphContours(outline)));
            text.Advance(outline.cellIncX, outline.cellIncY);
        }
        return glyphs;
    }

    WatermarkSettings settings;
    TTrueTypeFont font;
};

TEST_F(TextWatermark, AlphaZeroLeavesEveryPixelAsItWas) {
    for (const bool translucent : {false, true}) {
        for (const int angle : {0, 33, 180}) {
            settings.textAngle = angle;
            const TBitmap32 before = Background(420, 200, translucent, 5);
            TBitmap32 bmp;
            bmp.Assign(before);
            DrawTextWatermark(bmp, 20, 140, settings, 0, font);
            EXPECT_TRUE(SamePixels(bmp, before)) << "translucent " << translucent << " angle " << angle;
        }
    }
}

TEST_F(TextWatermark, WithoutOutlineAndThreeDOnlyTheFillIsDrawn) {
    settings.outline = false;
    settings.effect3D = false;
    settings.textColour = 0xFF20C040u;
    const TBitmap32 before = Background(420, 200, false, 9);
    TBitmap32 drawn;
    drawn.Assign(before);
    DrawTextWatermark(drawn, 20, 140, settings, 153, font);

    TBitmap32 expected;
    expected.Assign(before);
    for (const TPolyPolygon& glyph : PlacedGlyphs(20, 140, 0)) {
        FillPolyPolygon(expected, glyph, SetAlpha(settings.textColour, 153), TPolyFillMode::pfWinding, 8);
    }
    EXPECT_TRUE(SamePixels(drawn, expected));

    // The outline comes after every fill, contour by contour, in black at the same alpha.
    settings.outline = true;
    TBitmap32 outlined;
    outlined.Assign(before);
    DrawTextWatermark(outlined, 20, 140, settings, 153, font);
    for (const TPolyPolygon& glyph : PlacedGlyphs(20, 140, 0)) {
        for (const TPolygon& contour : glyph)
            StrokePolyline(expected, contour, true, 1.8, 0x99000000u);
    }
    EXPECT_TRUE(SamePixels(outlined, expected));
}

TEST_F(TextWatermark, ThreeDAddsABevelInsideAndAShadowDownRight) {
    settings.outline = false;
    TBitmap32 flat(420, 200);
    flat.Clear(0xFF808080u);
    TBitmap32 raised;
    raised.Assign(flat);
    settings.effect3D = false;
    DrawTextWatermark(flat, 20, 140, settings, 255, font);
    settings.effect3D = true;
    DrawTextWatermark(raised, 20, 140, settings, 255, font);
    const TRect flatInk = ChangedBounds(flat, [] {
        TBitmap32 grey(420, 200);
        grey.Clear(0xFF808080u);
        return grey;
    }());
    const TRect changed = ChangedBounds(raised, flat);
    // The shadow trails 5 px down-right of the ink, and a little beyond for anti-aliasing.
    EXPECT_GE(changed.right, flatInk.right + 5);
    EXPECT_GE(changed.bottom, flatInk.bottom + 5);
    EXPECT_LE(changed.right, flatInk.right + 8);
    EXPECT_LE(changed.bottom, flatInk.bottom + 8);
    // Up-left, only the bevel inside the glyphs changes: nothing above or left of the ink.
    EXPECT_GE(changed.left, flatInk.left - 1);
    EXPECT_GE(changed.top, flatInk.top - 1);
}

TEST_F(TextWatermark, InkSitsOnThePenWithItsBoxAbove) {
    settings.caption = u"Tessol"; // no descenders
    settings.outline = false;
    settings.effect3D = false;
    const TextExtent extent = MeasureText(font, settings.caption);
    TBitmap32 blank(400, 200);
    TBitmap32 bmp(400, 200);
    DrawTextWatermark(bmp, 30, 150, settings, 255, font);
    const TRect ink = ChangedBounds(bmp, blank);
    EXPECT_NEAR(ink.top, 150 - extent.H, 1.0);
    EXPECT_NEAR(ink.bottom, 150 + 1.5, 1.0); // the round letters overshoot the baseline a little
    EXPECT_GE(ink.left, 30);
    EXPECT_NEAR(ink.right, 30 + extent.W, 1.0);
}

TEST_F(TextWatermark, QuarterTurnsReadUpAndDownAndHalfTurnsAgree) {
    settings.outline = false;
    settings.effect3D = false;
    const TextExtent extent = MeasureText(font, settings.caption);
    TBitmap32 blank(500, 500);

    // 90: reads bottom to top, the pen origin at the bottom right of an H x W box.
    TBitmap32 up(500, 500);
    settings.textAngle = 90;
    DrawTextWatermark(up, 250, 450, settings, 255, font);
    const TRect inkUp = ChangedBounds(up, blank);
    EXPECT_NEAR(inkUp.bottom, 450, 2.0);
    EXPECT_NEAR(inkUp.top, 450 - extent.W, 2.0);
    EXPECT_LE(inkUp.right, 250 + 20); // only descenders cross the baseline
    EXPECT_NEAR(inkUp.right - inkUp.left, extent.H, 2.0);

    // -90: reads top to bottom from the pen downwards.
    TBitmap32 down(500, 500);
    settings.textAngle = -90;
    DrawTextWatermark(down, 250, 50, settings, 255, font);
    const TRect inkDown = ChangedBounds(down, blank);
    EXPECT_NEAR(inkDown.top, 50, 2.0);
    EXPECT_NEAR(inkDown.bottom, 50 + extent.W, 2.0);

    // 180 and -180 (and 540) draw the same upside-down text.
    TBitmap32 a(500, 500), b(500, 500), c(500, 500);
    settings.textAngle = 180;
    DrawTextWatermark(a, 450, 200, settings, 255, font);
    settings.textAngle = -180;
    DrawTextWatermark(b, 450, 200, settings, 255, font);
    settings.textAngle = 540;
    DrawTextWatermark(c, 450, 200, settings, 255, font);
    EXPECT_TRUE(SamePixels(a, b));
    EXPECT_TRUE(SamePixels(a, c));
    const TRect inkDownUnder = ChangedBounds(a, blank);
    EXPECT_NEAR(inkDownUnder.left, 450 - extent.W, 2.0);
    EXPECT_GE(inkDownUnder.top, 200 - 20);
}

TEST_F(TextWatermark, PenStartsOnTheNearestWholePixelHalvesToEven) {
    const auto draw = [&](float x, float y) {
        TBitmap32 bmp(420, 200);
        DrawTextWatermark(bmp, x, y, settings, 153, font);
        return bmp;
    };
    EXPECT_TRUE(SamePixels(draw(20.5f, 140.5f), draw(20, 140)));
    EXPECT_TRUE(SamePixels(draw(21.5f, 141.5f), draw(22, 142)));
    EXPECT_TRUE(SamePixels(draw(20.49f, 139.51f), draw(20, 140)));
}

TEST_F(TextWatermark, TextOffTheBitmapOrOnAnEmptyOneDrawsNothing) {
    TBitmap32 empty;
    DrawTextWatermark(empty, 10, 10, settings, 153, font);
    const TBitmap32 before = Background(100, 60, true, 2);
    TBitmap32 bmp;
    bmp.Assign(before);
    DrawTextWatermark(bmp, -3000, 20000, settings, 153, font);
    EXPECT_TRUE(SamePixels(bmp, before));
    settings.caption.clear();
    DrawTextWatermark(bmp, 10, 50, settings, 153, font);
    EXPECT_TRUE(SamePixels(bmp, before));
}

TEST(TextWatermarkThreads, FontsOfTheirOwnDrawTheSameOnEveryThread) {
    // Each batch worker holds its own font object; drawing on several at once gives what one gives.
    const auto render = [] {
        TTrueTypeFont font;
        WatermarkSettings s;
        font.ApplyFontSettings(s.fontName, s.fontSize, s.bold, s.italic);
        TBitmap32 bmp(420, 160);
        bmp.Clear(0xFF406080u);
        DrawTextWatermark(bmp, 20, 110, s, 153, font);
        return bmp;
    };
    const TBitmap32 reference = render();
    TBitmap32 results[3];
    std::vector<std::thread> threads;
    for (TBitmap32& result : results) {
        threads.emplace_back([&result, &render] {
            for (int i = 0; i < 5; ++i)
                result = render();
        });
    }
    for (std::thread& t : threads)
        t.join();
    for (const TBitmap32& result : results)
        EXPECT_TRUE(SamePixels(result, reference));
}

} // namespace
} // namespace tessoly
