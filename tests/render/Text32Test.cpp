// The text engine's angle, fixed-point matrices and pen.

#include "render/Text32.h"

#include <gtest/gtest.h>

namespace tessoly {
namespace {

TEST(Text32, AnglesNormaliseIntoMinus180To180) {
    const int cases[][2] = {{0, 0},     {90, 90},   {-90, -90}, {180, 180}, {-180, -180}, {181, -179},
                            {270, -90}, {-270, 90}, {360, 0},   {540, 180}, {-540, -180}, {725, 5}};
    for (const auto& c : cases)
        EXPECT_EQ(NormalizeTextAngle(c[0]), c[1]) << c[0];
}

TEST(Text32, QuarterTurnMatricesAreExact) {
    struct Case {
        int angle;
        TFixedMatrix glyph;
        TFixedMatrix advance;
    };
    const Case cases[] = {
        {0, {65536, 0, 0, 65536}, {65536, 0, 0, 65536}},
        {90, {0, -65536, 65536, 0}, {0, 65536, -65536, 0}},
        {-90, {0, 65536, -65536, 0}, {0, -65536, 65536, 0}},
        {180, {-65536, 0, 0, -65536}, {-65536, 0, 0, -65536}},
        {-180, {-65536, 0, 0, -65536}, {-65536, 0, 0, -65536}},
    };
    for (const Case& c : cases) {
        TText32 text;
        text.SetAngle(c.angle);
        EXPECT_EQ(text.GlyphMatrix(), c.glyph) << c.angle;
        EXPECT_EQ(text.AdvanceMatrix(), c.advance) << c.angle;
    }
}

TEST(Text32, TrigIsRoundedToFloatThenTruncated) {
    // sin 30 is 0.49999999999999994 as a double (32767 when truncated) but 0.5 as a float.
    TText32 text;
    text.SetAngle(30);
    EXPECT_EQ(text.GlyphMatrix().eM21, 32768);
    EXPECT_EQ(text.GlyphMatrix().eM12, -32768);
    EXPECT_EQ(text.GlyphMatrix().eM11, 56755); // 0.8660254 * 65536 = 56755.8, truncated
    text.SetAngle(-30);
    EXPECT_EQ(text.GlyphMatrix().eM21, -32768);
}

TEST(Text32, ProductsShiftArithmetically) {
    EXPECT_EQ(FixedMul(1, 32768), 0);
    EXPECT_EQ(FixedMul(-1, 32768), -1); // floor, not toward zero
    EXPECT_EQ(FixedMul(3 * 65536, -65536), -3 * 65536);
    // At 30 degrees, fx(x, -s) and -fx(x, s) differ for odd x: the matrix keeps -s itself.
    TText32 text;
    text.SetAngle(30);
    text.SetPen(0, 0);
    const FixedPoint p = text.Place(FixedPoint{1, 0});
    EXPECT_EQ(p.Y, -1);
    EXPECT_EQ(p.X, 0);
}

TEST(Text32, GlyphsTurnCounterClockwiseOnScreen) {
    // A point 10 px right of the origin and 2 px below it, placed at pen (100, 50).
    struct Case {
        int angle;
        FixedPoint placed;
    };
    const Case cases[] = {
        {0, FixedPointFromInt(110, 52)},   {90, FixedPointFromInt(102, 40)}, // "right" now points up
        {-90, FixedPointFromInt(98, 60)},                                    // and down
        {180, FixedPointFromInt(90, 48)},                                    // upside down
        {-180, FixedPointFromInt(90, 48)},
    };
    for (const Case& c : cases) {
        TText32 text;
        text.SetAngle(c.angle);
        text.SetPen(100, 50);
        EXPECT_EQ(text.Place(FixedPointFromInt(10, 2)), c.placed) << c.angle;
    }
}

TEST(Text32, PenFollowsTheRotatedBaseline) {
    struct Case {
        int angle;
        float x, y;
    };
    for (const Case c : {Case{0, 150, 50}, Case{90, 100, 0}, Case{-90, 100, 100}, Case{180, 50, 50}}) {
        TText32 text;
        text.SetAngle(c.angle);
        text.SetPen(100, 50);
        text.Advance(20, 0);
        text.Advance(30, 0);
        EXPECT_EQ(text.PenX(), c.x) << c.angle;
        EXPECT_EQ(text.PenY(), c.y) << c.angle;
    }
    // The pen is converted to 16.16 halves to even when a glyph is placed.
    TText32 text;
    text.SetPen(0.5f / 65536.0f, 1.5f / 65536.0f);
    EXPECT_EQ(text.Place(FixedPoint{0, 0}), (FixedPoint{0, 2}));
}

TEST(Text32, PlacementSaturatesInsteadOfOverflowing) {
    TText32 text;
    text.SetPen(40000.0f, -40000.0f);
    const FixedPoint p = text.Place(FixedPointFromInt(100, -100));
    EXPECT_EQ(p.X, INT32_MAX);
    EXPECT_EQ(p.Y, INT32_MIN);
}

} // namespace
} // namespace tessoly
