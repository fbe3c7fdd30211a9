// MeasureText's extent and TextBox's rotated placement box.

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

#include "render/GlyphContours.h"
#include "render/GlyphOutline.h"
#include "render/TextWatermark.h"

namespace tessoly {
namespace {

class TextMeasure : public ::testing::Test {
protected:
    void SetUp() override { font.ApplyFontSettings("Arial", 60, true, false); }

    int Advance(char16_t ch) {
        TGlyphOutline outline;
        EXPECT_TRUE(GlyphOutline(font, ch, outline));
        return outline.cellIncX;
    }

    //! The flattened ink bounds of one character [pixels], relative to its origin.
    void InkBounds(char16_t ch, double& left, double& top, double& right, double& bottom) {
        TGlyphOutline outline;
        ASSERT_TRUE(GlyphOutline(font, ch, outline));
        left = top = 1e9;
        right = bottom = -1e9;
        for (const TPolygon& contour : GlyphContours(outline)) {
            for (const FixedPoint& p : contour) {
                left = std::min(left, FixedToReal(p.X));
                right = std::max(right, FixedToReal(p.X));
                top = std::min(top, FixedToReal(p.Y));
                bottom = std::max(bottom, FixedToReal(p.Y));
            }
        }
    }

    TTrueTypeFont font;
};

TEST_F(TextMeasure, DefaultCaptionIsOneLineOfEightyPixelText) {
    ASSERT_EQ(font.PixelHeight(), 80);
    const TextExtent e = MeasureText(font, u"\u00A9 Tessoly");
    int advances = 0;
    for (char16_t ch : std::u16string(u"\u00A9 Tessoly"))
        advances += Advance(ch);
    // From the pen origin to about the last advance; from the top of the caps (about 55 px above the
    // baseline for an 80 px em, the copyright sign a little higher) to the descender of the y.
    EXPECT_NEAR(e.W, advances, 6);
    EXPECT_GT(e.H, 65);
    EXPECT_LT(e.H, 80);
}

TEST_F(TextMeasure, ExtentHoldsThePenOriginAndDescendersWidenItDownwards) {
    // An apostrophe floats above the baseline: the extent still reaches down to the pen origin.
    double l, t, r, b;
    InkBounds(u'\'', l, t, r, b);
    ASSERT_LT(b, -20);
    ASSERT_GT(l, 0);
    const TextExtent quote = MeasureText(font, u"'");
    EXPECT_DOUBLE_EQ(quote.H, -t);
    EXPECT_DOUBLE_EQ(quote.W, r);

    // "y" hangs below the baseline by its descender; "T" stands on it and is the taller.
    double yl, yt, yr, yb;
    InkBounds(u'y', yl, yt, yr, yb);
    ASSERT_GT(yb, 10);
    EXPECT_DOUBLE_EQ(MeasureText(font, u"y").H, yb - yt);
    EXPECT_DOUBLE_EQ(MeasureText(font, u"Ty").H - MeasureText(font, u"T").H, yb);
}

TEST_F(TextMeasure, SpacesWidenThroughTheirAdvances) {
    const int space = Advance(u' ');
    ASSERT_GT(space, 0);
    const TextExtent plain = MeasureText(font, u"Tessol");
    const TextExtent leading = MeasureText(font, u"  Tessol");
    EXPECT_DOUBLE_EQ(leading.W, plain.W + 2 * space);
    EXPECT_DOUBLE_EQ(leading.H, plain.H);
    // The trailing space runs from the pen after "l" to one advance further.
    int advances = 0;
    for (char16_t ch : std::u16string(u"Tessol "))
        advances += Advance(ch);
    EXPECT_DOUBLE_EQ(MeasureText(font, u"Tessol ").W, advances);
}

TEST_F(TextMeasure, EmptyAndBlankCaptionsHaveNoHeight) {
    const TextExtent empty = MeasureText(font, u"");
    EXPECT_EQ(empty.W, 0);
    EXPECT_EQ(empty.H, 0);
    const TextExtent blank = MeasureText(font, u"   ");
    EXPECT_EQ(blank.H, 0);
    EXPECT_EQ(blank.W, 3 * Advance(u' '));
}

TEST(TextBox, TurnsAboutTheCentreWithPAtTheRotatedBottomLeftCorner) {
    // W = 301, H = 80: centre (150.5, 40).
    struct Case {
        int angle;
        double minX, maxX, minY, maxY, Px, Py;
    };
    const Case cases[] = {
        {0, 0, 301, 0, 80, 0, 80},
        // Reading bottom to top: an H x W box, the baseline on its right, P at the bottom right.
        {90, 110.5, 190.5, -110.5, 190.5, 190.5, 190.5},
        // Reading top to bottom: the baseline on the left, P at the top left.
        {-90, 110.5, 190.5, -110.5, 190.5, 110.5, -110.5},
        // Upside down: the baseline on top, P at the top right.
        {180, 0, 301, 0, 80, 301, 0},
        {-180, 0, 301, 0, 80, 301, 0},
    };
    for (const Case& c : cases) {
        const TextBoxGeometry box = TextBox(301, 80, c.angle);
        EXPECT_EQ(box.minX, c.minX) << c.angle;
        EXPECT_EQ(box.maxX, c.maxX) << c.angle;
        EXPECT_EQ(box.minY, c.minY) << c.angle;
        EXPECT_EQ(box.maxY, c.maxY) << c.angle;
        EXPECT_EQ(box.Px, c.Px) << c.angle;
        EXPECT_EQ(box.Py, c.Py) << c.angle;
    }
}

TEST(TextBox, OtherAnglesKeepTheCentreAndContainTheCorners) {
    for (int angle : {30, -45, 135, 1, -179}) {
        const TextBoxGeometry box = TextBox(200, 50, angle);
        EXPECT_NEAR((box.minX + box.maxX) / 2, 100, 1e-9) << angle;
        EXPECT_NEAR((box.minY + box.maxY) / 2, 25, 1e-9) << angle;
        EXPECT_GE(box.Px, box.minX - 1e-9);
        EXPECT_LE(box.Px, box.maxX + 1e-9);
        EXPECT_GE(box.Py, box.minY - 1e-9);
        EXPECT_LE(box.Py, box.maxY + 1e-9);
    }
    // 30 degrees: the box is W cos + H sin wide.
    const TextBoxGeometry box = TextBox(200, 50, 30);
    EXPECT_NEAR(box.maxX - box.minX, 200 * std::cos(M_PI / 6) + 50 * 0.5, 1e-9);
    EXPECT_NEAR(box.maxY - box.minY, 200 * 0.5 + 50 * std::cos(M_PI / 6), 1e-9);
    // Turning counter-clockwise lowers the left end of the baseline: P moves below and right of (0, H).
    EXPECT_NEAR(box.Px, 100 - 100 * std::cos(M_PI / 6) + 12.5, 1e-9);
    EXPECT_NEAR(box.Py, 25 + 50 + 25 * std::cos(M_PI / 6), 1e-9);
}

} // namespace
} // namespace tessoly
