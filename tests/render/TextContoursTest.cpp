// Flattening of outline records and the outline error texts.

#include <cmath>
#include <gtest/gtest.h>

#include "render/GlyphContours.h"
#include "render/RenderError.h"

namespace tessoly {
namespace {

constexpr std::int32_t kPx = 65536;

TOutlinePoint Px(double x, double y) {
    return {static_cast<std::int32_t>(std::lround(x * kPx)), static_cast<std::int32_t>(std::lround(y * kPx))};
}

TGlyphOutline OneContour(TOutlinePoint start, std::vector<TOutlineCurve> curves) {
    TGlyphOutline outline;
    TOutlineContour contour;
    contour.start = start;
    contour.curves = std::move(curves);
    outline.contours.push_back(std::move(contour));
    return outline;
}

//! Points a quadratic piece flattens into: its flatness F quarters with every halving, so the
//! piece ends as 2^k pieces with k the least such that F / 4^k < 0.5.
TEST(TextContours, QuadraticPiecesSplitUntilFlatnessBelowHalfAPixel) {
    struct Case {
        double bulge; // |y0 + y2 - 2 y1| [pixels], with x straight
        std::size_t points;
    };
    for (const Case c : {Case{0.0, 1}, Case{0.49, 1}, Case{0.5, 2}, Case{1.99, 2}, Case{2.0, 4},
                         Case{7.99, 4}, Case{8.0, 8}}) {
        const TGlyphOutline outline =
            OneContour(Px(0, 0), {TOutlineCurve{kPrimQSpline, {Px(8, -c.bulge / 2), Px(16, 0)}}});
        const TPolyPolygon contours = GlyphContours(outline);
        ASSERT_EQ(contours.size(), 1u);
        EXPECT_EQ(contours[0].size(), 1 + c.points) << c.bulge;
        EXPECT_EQ(contours[0].back(), (FixedPoint{16 * kPx, 0}));
    }
}

TEST(TextContours, CubicPiecesSplitUntilFlatnessBelowHalfAPixel) {
    // A symmetric cubic (0,0) (6,-b) (12,-b) (18,0): the flatness sum is 2 b, and b / 2 for each half.
    struct Case {
        double b;
        std::size_t points;
    };
    for (const Case c : {Case{0.0, 1}, Case{0.24, 1}, Case{0.25, 2}, Case{0.99, 2}, Case{1.0, 4}}) {
        const TGlyphOutline outline =
            OneContour(Px(0, 0), {TOutlineCurve{kPrimCSpline, {Px(6, -c.b), Px(12, -c.b), Px(18, 0)}}});
        const TPolyPolygon contours = GlyphContours(outline);
        EXPECT_EQ(contours[0].size(), 1 + c.points) << c.b;
    }
    // A deep arch: every flattened point lies on the curve, the pieces end flat.
    const TGlyphOutline arch =
        OneContour(Px(0, 0), {TOutlineCurve{kPrimCSpline, {Px(0, -40), Px(40, -40), Px(40, 0)}}});
    const TPolygon polygon = GlyphContours(arch)[0];
    EXPECT_GT(polygon.size(), 8u);
    for (const FixedPoint& p : polygon) {
        // On the curve x(t) = 120 t^2 - 80 t^3, y(t) = -120 t + 120 t^2: solve t from x by bisection.
        const double x = p.X / 65536.0;
        double lo = 0, hi = 1;
        for (int i = 0; i < 60; ++i) {
            const double t = (lo + hi) / 2;
            (120 * t * t - 80 * t * t * t < x ? lo : hi) = t;
        }
        const double y = -120 * lo + 120 * lo * lo;
        EXPECT_NEAR(p.Y / 65536.0, y, 1e-3);
    }
}

TEST(TextContours, QuadraticRecordsHaveImpliedOnCurveMidpoints) {
    // Three off-curve points: pieces end at the midpoints (10, -5) and (30, -5), then at (40, 0);
    // each piece is flatter than half a pixel after a few halvings, and its end point is kept.
    const TGlyphOutline outline =
        OneContour(Px(0, 0), {TOutlineCurve{kPrimQSpline, {Px(0, -10), Px(20, 0), Px(40, -10), Px(40, 0)}}});
    const TPolygon polygon = GlyphContours(outline)[0];
    const auto has = [&](double x, double y) {
        return std::find(polygon.begin(), polygon.end(), FixedPointFromReal(x, y)) != polygon.end();
    };
    EXPECT_TRUE(has(10, -5));
    EXPECT_TRUE(has(30, -5));
    EXPECT_EQ(polygon.back(), FixedPointFromReal(40, 0));
}

TEST(TextContours, LinesAndStartPointsAreKeptAndClosingIsImplicit) {
    const TGlyphOutline outline = OneContour(
        Px(1, 2), {TOutlineCurve{kPrimLine, {Px(5, 2), Px(5, 7)}}, TOutlineCurve{kPrimLine, {Px(1, 7)}}});
    const TPolyPolygon contours = GlyphContours(outline);
    ASSERT_EQ(contours.size(), 1u);
    EXPECT_EQ(contours[0], (TPolygon{FixedPointFromInt(1, 2), FixedPointFromInt(5, 2),
                                     FixedPointFromInt(5, 7), FixedPointFromInt(1, 7)}));
}

TEST(TextContours, SubdivisionPointsRoundHalvesToEven) {
    // (0,0) (x1, y1) (0,0)... the first split point is (x1 / 2, y1 / 2): with odd 16.16 values it
    // lies on half a unit and rounds to the even neighbour. Bulge 1.2 px splits exactly once.
    struct Case {
        std::int32_t x1;
        std::int32_t expectX;
    };
    for (const Case c : {Case{1, 0}, Case{3, 2}, Case{5, 2}, Case{-3, -2}}) {
        const std::int32_t y1 = 39321; // 0.59999 px: m.y = 19660.5 -> 19660
        const TGlyphOutline outline =
            OneContour({0, 0}, {TOutlineCurve{kPrimQSpline, {TOutlinePoint{c.x1, y1}, TOutlinePoint{0, 0}}}});
        const TPolygon polygon = GlyphContours(outline)[0];
        ASSERT_EQ(polygon.size(), 3u) << c.x1;
        EXPECT_EQ(polygon[1], (FixedPoint{c.expectX, 19660})) << c.x1;
    }
}

TEST(TextContours, UnknownRecordTypesAreOutlineErrors) {
    struct Case {
        int header;
        int curve;
        std::size_t points;
        const char* message;
    };
    const Case cases[] = {
        {25, kPrimLine, 1, "GetGlyphOutline() error - wrong header type"},
        {0, kPrimLine, 1, "GetGlyphOutline() error - wrong header type"},
        {kPolygonHeaderType, 0, 1, "GetGlyphOutline() error - wrong curve type"},
        {kPolygonHeaderType, 4, 1, "GetGlyphOutline() error - wrong curve type"},
        // Records too short to read as splines.
        {kPolygonHeaderType, kPrimQSpline, 1, "GetGlyphOutline() error - wrong curve type"},
        {kPolygonHeaderType, kPrimCSpline, 2, "GetGlyphOutline() error - wrong curve type"},
    };
    for (const Case& c : cases) {
        TGlyphOutline outline =
            OneContour(Px(0, 0), {TOutlineCurve{c.curve, std::vector<TOutlinePoint>(c.points, Px(3, 3))}});
        outline.contours[0].headerType = c.header;
        try {
            GlyphContours(outline);
            ADD_FAILURE() << "no error for header " << c.header << " curve " << c.curve;
        } catch (const RenderError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

} // namespace
} // namespace tessoly
