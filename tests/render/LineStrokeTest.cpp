// Thick strokes (band geometry and the filled result) and thin anti-aliased lines.

#include "render/LineStroke.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

#include "render/PixelBlend.h"

namespace tessoly {
namespace {

struct Pt {
    double x, y;
};

TPolygon Points(std::initializer_list<Pt> pts) {
    TPolygon out;
    for (const Pt& p : pts)
        out.push_back(FixedPointFromReal(p.x, p.y));
    return out;
}

void ExpectPolygonNear(const TPolygon& actual, std::initializer_list<Pt> expected, const char* what) {
    ASSERT_EQ(actual.size(), expected.size()) << what;
    std::size_t i = 0;
    for (const Pt& p : expected) {
        EXPECT_NEAR(FixedToReal(actual[i].X), p.x, 1e-4) << what << " point " << i;
        EXPECT_NEAR(FixedToReal(actual[i].Y), p.y, 1e-4) << what << " point " << i;
        ++i;
    }
}

TEST(StrokeBand, OpenLinesAreCutSquare) {
    // Left side first (up, with y downwards), then the right side backwards.
    const TPolyPolygon band = BuildStrokeBand(Points({{0, 0}, {10, 0}}), false, 2);
    ASSERT_EQ(band.size(), 1u);
    ExpectPolygonNear(band[0], {{0, -1}, {10, -1}, {10, 1}, {0, 1}}, "segment");
}

TEST(StrokeBand, JoinsBevelOutsideAndMeetInside) {
    // A clockwise (on screen) right angle: the left side is outer and gets a bevel, the right side
    // gets the meeting point of its two offset lines.
    const TPolyPolygon band = BuildStrokeBand(Points({{0, 0}, {10, 0}, {10, 10}}), false, 2);
    ASSERT_EQ(band.size(), 1u);
    ExpectPolygonNear(band[0], {{0, -1}, {10, -1}, {11, 0}, {11, 10}, {9, 10}, {9, 1}, {0, 1}}, "right turn");

    // The same path the other way round turns counter-clockwise: the bevel moves to the right side.
    const TPolyPolygon back = BuildStrokeBand(Points({{10, 10}, {10, 0}, {0, 0}}), false, 2);
    ExpectPolygonNear(back[0], {{9, 10}, {9, 1}, {0, 1}, {0, -1}, {10, -1}, {11, 0}, {11, 10}}, "left turn");
}

TEST(StrokeBand, InnerPointRule) {
    // A sharp turn onto a short segment (length sqrt 2): the meeting point would lie far beyond the
    // short segment's offset end, so it is replaced by the point sqrt 2 back along the long segment,
    // offset to the inner side.
    const TPolyPolygon sharp = BuildStrokeBand(Points({{0, 0}, {10, 0}, {9, 1}}), false, 4);
    ASSERT_EQ(sharp.size(), 1u);
    // Left: start, bevel pair, end. Right (reversed): end, replaced inner point, start.
    ASSERT_EQ(sharp[0].size(), 7u);
    EXPECT_NEAR(FixedToReal(sharp[0][5].X), 10 - std::sqrt(2.0), 1e-4);
    EXPECT_NEAR(FixedToReal(sharp[0][5].Y), 2, 1e-4);

    // The mirror case: the short segment comes first, the point goes along the next segment.
    const TPolyPolygon first = BuildStrokeBand(Points({{9, 1}, {10, 0}, {0, 0}}), false, 4);
    ASSERT_EQ(first[0].size(), 7u);
    // Turning counter-clockwise on screen: the right side is outer, the left side holds the point.
    EXPECT_NEAR(FixedToReal(first[0][1].X), 10 - std::sqrt(2.0), 1e-4);
    EXPECT_NEAR(FixedToReal(first[0][1].Y), 2, 1e-4);

    // Both segments 5 long (3-4-5 vectors): no inner point at all.
    const TPolyPolygon equal = BuildStrokeBand(Points({{0, 0}, {5, 0}, {1, 3}}), false, 4);
    ASSERT_EQ(equal[0].size(), 6u);
    ExpectPolygonNear(equal[0], {{0, -2}, {5, -2}, {6.2, 1.6}, {2.2, 4.6}, {-0.2, 1.4}, {0, 2}},
                      "equal lengths");

    // A gentle turn keeps the meeting point.
    const TPolyPolygon gentle = BuildStrokeBand(Points({{0, 0}, {10, 0}, {20, 1}}), false, 2);
    EXPECT_EQ(gentle[0].size(), 7u);
}

TEST(StrokeBand, ReversalGetsBothOffsetsOnBothSides) {
    const TPolyPolygon band = BuildStrokeBand(Points({{0, 0}, {10, 0}, {5, 0}}), false, 2);
    ExpectPolygonNear(band[0], {{0, -1}, {10, -1}, {10, 1}, {5, 1}, {5, -1}, {10, -1}, {10, 1}, {0, 1}},
                      "reversal");
}

TEST(StrokeBand, CleaningAndDegenerateInput) {
    struct Case {
        const char* what;
        TPolygon points;
        bool closed;
        double width;
        std::size_t polygons; // 0 nothing, 1 open band, 2 closed rings
        std::size_t firstSize;
    };
    const Case cases[] = {
        {"width below 1", Points({{0, 0}, {10, 0}}), false, 0.99, 0, 0},
        {"NaN width", Points({{0, 0}, {10, 0}}), false, std::nan(""), 0, 0},
        {"one point", Points({{3, 3}}), false, 5, 0, 0},
        {"one repeated point", Points({{3, 3}, {3, 3}, {3, 3}}), true, 5, 0, 0},
        {"no points", {}, true, 5, 0, 0},
        {"repeats dropped", Points({{0, 0}, {0, 0}, {10, 0}, {10, 0}}), false, 2, 1, 4},
        {"closed with two points is open", Points({{0, 0}, {10, 0}}), true, 2, 1, 4},
        {"closed, last equals first", Points({{0, 0}, {10, 0}, {0, 0}}), true, 2, 1, 4},
        {"closed triangle", Points({{0, 0}, {10, 0}, {0, 10}}), true, 2, 2, 0},
        {"closed square with a repeated closing point", Points({{0, 0}, {9, 0}, {9, 9}, {0, 9}, {0, 0}}),
         true, 2, 2, 8},
        {"open path back to its start", Points({{0, 0}, {10, 0}, {10, 10}, {0, 0}}), false, 2, 1, 0},
    };
    for (const Case& c : cases) {
        const TPolyPolygon band = BuildStrokeBand(c.points, c.closed, c.width);
        ASSERT_EQ(band.size(), c.polygons) << c.what;
        if (c.firstSize != 0) {
            EXPECT_EQ(band[0].size(), c.firstSize) << c.what;
        }
    }
}

TEST(StrokePolyline, OpenLineCoversItsBandWithSquareEnds) {
    TBitmap32 b(12, 10);
    StrokePolyline(b, Points({{2, 5}, {8, 5}}), false, 2, 0xFFFFFFFFu);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool inside = x >= 2 && x < 8 && y >= 4 && y < 6;
            EXPECT_EQ(AlphaOf(b.Pixel(x, y)), inside ? 254u : 0u) << x << "," << y;
        }
}

TEST(StrokePolyline, ClosedContourIsARingWithBevelledCorners) {
    TBitmap32 b(12, 12);
    b.Clear(0xFF000000u);
    // Clockwise on screen; the band runs from 1 to 9 outside and 3 to 7 inside.
    StrokePolyline(b, Points({{2, 2}, {8, 2}, {8, 8}, {2, 8}}), true, 2, 0xFFFFFFFFu);
    const auto red = [&](int x, int y) { return int(RedOf(b.Pixel(x, y))); };
    for (int i = 2; i < 8; ++i) {
        EXPECT_EQ(red(i, 1), 254) << i; // top edge
        EXPECT_EQ(red(i, 8), 254) << i; // bottom edge
        EXPECT_EQ(red(1, i), 254) << i;
        EXPECT_EQ(red(8, i), 254) << i;
    }
    for (int y = 3; y < 7; ++y)
        for (int x = 3; x < 7; ++x)
            EXPECT_EQ(b.Pixel(x, y), 0xFF000000u) << x << "," << y;
    EXPECT_EQ(red(2, 2), 254); // the inner corners are square
    EXPECT_EQ(red(7, 7), 254);
    // The outer corners are cut by the bevel: about half covered, not full and not empty.
    for (const auto& [x, y] : {std::pair{1, 1}, {8, 1}, {8, 8}, {1, 8}}) {
        EXPECT_GT(red(x, y), 90) << x << "," << y;
        EXPECT_LT(red(x, y), 170) << x << "," << y;
    }
    EXPECT_EQ(b.Pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(b.Pixel(10, 5), 0xFF000000u);
}

TEST(AaLine, SamplesWithTheDocumentedWeights) {
    // On whole pixels (after the 127/65536 shift the fractions are 0): weight (255 * 255) >> 8 = 254
    // on one pixel per sample, one sample per pixel of length, none at the end point.
    TBitmap32 b(5, 3);
    b.Clear(0xFF000000u);
    AaLine(b, FixedPointFromInt(0, 1), FixedPointFromInt(3, 1), 0xFFFFFFFFu);
    const TColor32 full = BlendPixelEx(0xFFFFFFFFu, 0xFF000000u, 254);
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(b.Pixel(x, 1), x < 3 ? full : 0xFF000000u) << x;
        EXPECT_EQ(b.Pixel(x, 0), 0xFF000000u);
        EXPECT_EQ(b.Pixel(x, 2), 0xFF000000u);
    }

    // Half a pixel down: fy = (32768 + 127) >> 8 = 128, so the rows get (255*127)>>8 = 126 and
    // (255*128)>>8 = 127.
    TBitmap32 h(3, 3);
    AaLine(h, FixedPoint{0, 32768 + kFixedOne}, FixedPoint{2 * kFixedOne, 32768 + kFixedOne}, 0xFFFF0000u);
    EXPECT_EQ(h.Pixel(0, 1), BlendPixelEx(0xFFFF0000u, 0, 126));
    EXPECT_EQ(h.Pixel(1, 2), BlendPixelEx(0xFFFF0000u, 0, 127));
    EXPECT_EQ(h.Pixel(2, 1), 0u);

    // A quarter pixel right and down: fx = fy = (16384 + 127) >> 8 = 64.
    TBitmap32 q(3, 3);
    AaLine(q, FixedPoint{16384, 16384}, FixedPoint{16384 + kFixedOne, 16384}, 0xFF00FF00u);
    EXPECT_EQ(q.Pixel(0, 0), BlendPixelEx(0xFF00FF00u, 0, (191 * 191) >> 8));
    EXPECT_EQ(q.Pixel(1, 0), BlendPixelEx(0xFF00FF00u, 0, (64 * 191) >> 8));
    EXPECT_EQ(q.Pixel(0, 1), BlendPixelEx(0xFF00FF00u, 0, (191 * 64) >> 8));
    EXPECT_EQ(q.Pixel(1, 1), BlendPixelEx(0xFF00FF00u, 0, (64 * 64) >> 8));
    EXPECT_EQ(q.Pixel(2, 0), 0u);
}

TEST(AaLine, PartialLastSampleAndShortSegments) {
    // Length 2.5: full samples at 0 and 1, then one at p2 - 1 = 1.5 with alpha 255 * 0.5 = 127.
    TBitmap32 b(4, 1);
    AaLine(b, FixedPointFromInt(0, 0), FixedPoint{2 * kFixedOne + 32768, 0}, 0xFFFFFFFFu);
    TColor32 expected1 = BlendPixelEx(0xFFFFFFFFu, 0, 254);
    const std::uint32_t fx = (32768 + 127) >> 8; // 128
    expected1 = BlendPixelEx(0x7FFFFFFFu, expected1, (255 - fx) * 255 >> 8);
    EXPECT_EQ(b.Pixel(0, 0), BlendPixelEx(0xFFFFFFFFu, 0, 254));
    EXPECT_EQ(b.Pixel(1, 0), expected1);
    EXPECT_EQ(b.Pixel(2, 0), BlendPixelEx(0x7FFFFFFFu, 0, fx * 255 >> 8));
    EXPECT_EQ(b.Pixel(3, 0), 0u);

    // Shorter than 1/256 pixel: nothing. Shorter than a pixel: one partial sample.
    TBitmap32 s(3, 3);
    AaLine(s, FixedPoint{kFixedOne, kFixedOne}, FixedPoint{kFixedOne + 255, kFixedOne}, 0xFFFFFFFFu);
    AaLine(s, FixedPoint{kFixedOne, kFixedOne}, FixedPoint{kFixedOne, kFixedOne}, 0xFFFFFFFFu);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(s.Pixel(x, y), 0u);
    AaLine(s, FixedPoint{kFixedOne, kFixedOne}, FixedPoint{kFixedOne + 32768, kFixedOne}, 0xFFFFFFFFu);
    EXPECT_EQ(s.Pixel(1, 1), BlendPixelEx(0x7FFFFFFFu, 0, 254));
}

TEST(AaLine, ClipsAndPolylines) {
    // Lines leaving the bitmap draw their inside part and never write outside.
    TBitmap32 b(4, 4);
    AaLine(b, FixedPointFromInt(-10, 2), FixedPointFromInt(10, 2), 0xFFFFFFFFu);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(b.Pixel(x, 2), BlendPixelEx(0xFFFFFFFFu, 0, 254)) << x;
    AaLine(b, FixedPointFromInt(-30000, -30000), FixedPointFromInt(-20000, 30000), 0xFFFFFFFFu);
    AaLine(b, FixedPoint{INT32_MIN, INT32_MIN}, FixedPoint{INT32_MAX, INT32_MIN}, 0xFFFFFFFFu);
    EXPECT_EQ(b.Pixel(0, 0), 0u);

    // A closed polyline also draws its closing segment.
    TBitmap32 open(6, 6), closed(6, 6);
    const TPolygon tri = {FixedPointFromInt(1, 1), FixedPointFromInt(4, 1), FixedPointFromInt(4, 4)};
    AaPolyline(open, tri, false, 0xFFFFFFFFu);
    AaPolyline(closed, tri, true, 0xFFFFFFFFu);
    EXPECT_EQ(open.Pixel(2, 2), 0u);
    EXPECT_NE(closed.Pixel(2, 2), 0u);
    EXPECT_EQ(open.Pixel(4, 2), closed.Pixel(4, 2));
}

} // namespace
} // namespace tessoly

namespace tessoly {
namespace {

TEST(StrokePolyline, ExtremeInputStaysInsideTheBitmap) {
    // Coordinates at the ends of the 16.16 range, absurd widths and needle-sharp turns must neither
    // crash nor write outside; whatever lands in the bitmap is a plain fill.
    const TPolygon extremes = {FixedPoint{INT32_MIN, INT32_MIN}, FixedPoint{INT32_MAX, INT32_MIN},
                               FixedPoint{INT32_MAX, INT32_MAX}, FixedPoint{0, 1}};
    const TPolygon needle = {FixedPointFromInt(0, 0), FixedPointFromInt(20, 0), FixedPoint{0, 1},
                             FixedPointFromInt(20, 1)};
    for (double width : {1.0, 3.5, 1e6, 1e300, std::numeric_limits<double>::infinity()}) {
        for (const TPolygon* points : {&extremes, &needle}) {
            for (bool closed : {false, true}) {
                TBitmap32 b(8, 8);
                StrokePolyline(b, *points, closed, width, 0xFF336699u);
                for (int y = 0; y < 8; ++y)
                    for (int x = 0; x < 8; ++x) {
                        const TColor32 p = b.Pixel(x, y);
                        ASSERT_TRUE(p == 0 || (p & 0x00FFFFFFu) != 0) << width;
                    }
            }
        }
    }
}

} // namespace
} // namespace tessoly
