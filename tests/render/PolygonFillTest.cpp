// The polygon filler: coverage rows from the rasterizer, the blend step against its scalar
// reference, and whole fills (fill rules, clipping, the exact look of covered pixels).

#include "render/PolygonFill.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <vector>

#include "render/CoverageBlend.h"
#include "render/CoverageRasterizer.h"
#include "render/PixelBlend.h"

namespace tessoly {
namespace {

TPolygon Rect(double x0, double y0, double x1, double y1) {
    return {FixedPointFromReal(x0, y0), FixedPointFromReal(x1, y0), FixedPointFromReal(x1, y1),
            FixedPointFromReal(x0, y1)};
}

TPolygon Reversed(TPolygon p) {
    return TPolygon(p.rbegin(), p.rend());
}

// The rasterizer's output as a full grid, checking the row contract on the way.
struct Grid {
    int W = 0, H = 0;
    std::vector<int> Cov;
    std::vector<int> RowsSeen;
    int At(int x, int y) const { return Cov[std::size_t(y) * W + x]; }
};

Grid Rasterize(const TPolyPolygon& polygons, TPolyFillMode mode, int samples, int w, int h) {
    Grid g{w, h, std::vector<int>(std::size_t(w) * h, 0), {}};
    TCoverageRasterizer r;
    r.Reset(polygons, mode, samples, w, h);
    TCoverageRow row;
    int lastY = -1;
    while (r.NextRow(row)) {
        EXPECT_GT(row.Y, lastY);
        EXPECT_LT(row.Y, h);
        EXPECT_GE(row.Left, 0);
        EXPECT_LE(row.Right, w);
        EXPECT_LT(row.Left, row.Right);
        lastY = row.Y;
        g.RowsSeen.push_back(row.Y);
        for (int x = row.Left; x < row.Right; ++x) {
            const int c = row.Coverage[x - row.Left];
            EXPECT_GE(c, 0);
            EXPECT_LE(c, samples * (samples - 1));
            g.Cov[std::size_t(row.Y) * w + x] = c;
        }
    }
    return g;
}

class BothSampleCounts : public ::testing::TestWithParam<int> {};
INSTANTIATE_TEST_SUITE_P(S, BothSampleCounts, ::testing::Values(8, 16));

TEST_P(BothSampleCounts, WholePixelSquareHasFullCoverageInsideAndNoneOutside) {
    const int s = GetParam();
    const Grid g = Rasterize({Rect(2, 1, 5, 4)}, TPolyFillMode::pfWinding, s, 8, 6);
    EXPECT_EQ(g.RowsSeen, (std::vector<int>{1, 2, 3}));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool inside = x >= 2 && x < 5 && y >= 1 && y < 4;
            EXPECT_EQ(g.At(x, y), inside ? s * (s - 1) : 0) << x << "," << y;
        }
    EXPECT_EQ(CoverageToAlpha(s * (s - 1), s), 255u);
}

TEST_P(BothSampleCounts, PartialPixelsFollowTheSpanArithmetic) {
    const int s = GetParam();
    // x from 0.5 to 2.5: the start pixel gets (S-1) - S/2 per sub-scanline, the end pixel S/2.
    Grid g = Rasterize({Rect(0.5, 0, 2.5, 1)}, TPolyFillMode::pfWinding, s, 4, 1);
    EXPECT_EQ(g.At(0, 0), (s - 1 - s / 2) * s);
    EXPECT_EQ(g.At(1, 0), (s - 1) * s);
    EXPECT_EQ(g.At(2, 0), (s / 2) * s);
    EXPECT_EQ(g.At(3, 0), 0);
    // y from 0.5 to 1.5: half the sub-scanlines of two rows.
    g = Rasterize({Rect(0, 0.5, 1, 1.5)}, TPolyFillMode::pfWinding, s, 1, 3);
    EXPECT_EQ(g.At(0, 0), (s - 1) * s / 2);
    EXPECT_EQ(g.At(0, 1), (s - 1) * s / 2);
    EXPECT_EQ(g.At(0, 2), 0);
    // A span inside one pixel: 0.25 to 0.75 gives S/2 per sub-scanline.
    g = Rasterize({Rect(0.25, 0, 0.75, 1)}, TPolyFillMode::pfWinding, s, 2, 1);
    EXPECT_EQ(g.At(0, 0), (s / 2) * s);
    EXPECT_EQ(g.At(1, 0), 0);
}

TEST_P(BothSampleCounts, FillRulesOnOverlapsHolesAndSelfIntersections) {
    const int s = GetParam();
    const int full = s * (s - 1);
    struct Case {
        const char* what;
        TPolyPolygon polygons;
        int x, y;             // probe pixel
        int nonzero, evenOdd; // expected coverage there
    };
    // A pentagram: its centre is wound twice.
    TPolygon star;
    for (int i = 0; i < 5; ++i) {
        const double a = -M_PI / 2 + i * 4 * M_PI / 5;
        star.push_back(FixedPointFromReal(10 + 9 * std::cos(a), 10 + 9 * std::sin(a)));
    }
    const Case cases[] = {
        {"overlap of two squares, same direction", {Rect(0, 0, 6, 6), Rect(3, 3, 9, 9)}, 4, 4, full, 0},
        {"outside the overlap", {Rect(0, 0, 6, 6), Rect(3, 3, 9, 9)}, 1, 1, full, full},
        {"hole wound the other way", {Rect(0, 0, 9, 9), Reversed(Rect(3, 3, 6, 6))}, 4, 4, 0, 0},
        {"ring of a reversed hole", {Rect(0, 0, 9, 9), Reversed(Rect(3, 3, 6, 6))}, 1, 4, full, full},
        {"hole wound the same way", {Rect(0, 0, 9, 9), Rect(3, 3, 6, 6)}, 4, 4, full, 0},
        {"pentagram centre", {star}, 10, 10, full, 0},
        {"pentagram point", {star}, 9, 5, full, full},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Rasterize(c.polygons, TPolyFillMode::pfWinding, s, 20, 20).At(c.x, c.y), c.nonzero)
            << c.what;
        EXPECT_EQ(Rasterize(c.polygons, TPolyFillMode::pfAlternate, s, 20, 20).At(c.x, c.y), c.evenOdd)
            << c.what;
    }
}

TEST_P(BothSampleCounts, ShortPolygonsAndClipping) {
    const int s = GetParam();
    const int full = s * (s - 1);
    // Polygons of fewer than 3 points contribute nothing; the others still do.
    TPolyPolygon withShort = {{FixedPointFromInt(0, 0), FixedPointFromInt(4, 4)}, {}, Rect(1, 1, 2, 2)};
    Grid g = Rasterize(withShort, TPolyFillMode::pfWinding, s, 4, 4);
    EXPECT_EQ(g.At(1, 1), full);
    EXPECT_EQ(g.At(0, 0), 0);
    EXPECT_EQ(g.RowsSeen, (std::vector<int>{1}));

    struct Case {
        const char* what;
        TPolygon polygon;
        int expectedEverywhere;
    };
    const Case cases[] = {
        {"covers the bitmap and more", Rect(-10, -7, 20, 30), full},
        {"huge coordinates", Rect(-32000, -32000, 32000, 32000), full},
        {"saturated at the ends of the fixed range", Rect(-1e12, -1e12, 1e12, 1e12), full},
        {"left of the bitmap", Rect(-10, 0, -1, 5), 0},
        {"right of the bitmap", Rect(5, 0, 9, 5), 0},
        {"above the bitmap", Rect(0, -9, 5, 0), 0},
        {"below the bitmap", Rect(0, 5, 5, 9), 0},
        {"flat", Rect(1, 2, 4, 2), 0},
    };
    for (const Case& c : cases) {
        g = Rasterize({c.polygon}, TPolyFillMode::pfWinding, s, 5, 5);
        for (int v : g.Cov)
            ASSERT_EQ(v, c.expectedEverywhere) << c.what;
    }
    // A polygon crossing the left edge keeps its partial right end.
    g = Rasterize({Rect(-3, 0, 1.5, 1)}, TPolyFillMode::pfWinding, s, 3, 1);
    EXPECT_EQ(g.At(0, 0), full);
    EXPECT_EQ(g.At(1, 0), (s / 2) * s);
    // An empty bitmap is no work at all.
    g = Rasterize({Rect(0, 0, 5, 5)}, TPolyFillMode::pfWinding, s, 0, 5);
    EXPECT_TRUE(g.RowsSeen.empty());
}

TEST_P(BothSampleCounts, RowsSpanOnlyThePolygonsColumns) {
    const int s = GetParam();
    TCoverageRasterizer r;
    const TPolyPolygon polygons = {Rect(3000.25, 10, 3010, 12)};
    r.Reset(polygons, TPolyFillMode::pfWinding, s, 6000, 4000);
    TCoverageRow row;
    int rows = 0;
    while (r.NextRow(row)) {
        ++rows;
        EXPECT_GE(row.Left, 3000);
        EXPECT_LE(row.Right, 3011);
    }
    EXPECT_EQ(rows, 2);
}

TEST_P(BothSampleCounts, CoverageSumsToTheArea) {
    const int s = GetParam();
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> coord(2, 60);
    for (int trial = 0; trial < 40; ++trial) {
        // A random triangle: its coverage, in pixels, is its area up to the sampling error along
        // its edges (at most about one 1/S pixel strip per edge and row).
        TPolygon t;
        for (int i = 0; i < 3; ++i)
            t.push_back(FixedPointFromReal(coord(rng), coord(rng)));
        const double area =
            std::abs(
                (FixedToReal(t[1].X) - FixedToReal(t[0].X)) * (FixedToReal(t[2].Y) - FixedToReal(t[0].Y)) -
                (FixedToReal(t[2].X) - FixedToReal(t[0].X)) * (FixedToReal(t[1].Y) - FixedToReal(t[0].Y))) /
            2;
        for (TPolyFillMode mode : {TPolyFillMode::pfWinding, TPolyFillMode::pfAlternate}) {
            const Grid g = Rasterize({t}, mode, s, 64, 64);
            double sum = 0;
            for (int v : g.Cov)
                sum += v;
            const double covered = sum / (s * (s - 1));
            EXPECT_NEAR(covered, area, 3 * 60.0 / s + 2) << "trial " << trial;
        }
    }
}

TEST(CoverageBlend, FastRowMatchesTheScalarReference) {
    std::mt19937 rng(5);
    const TColor32 colours[] = {0xFFFFFFFFu, 0xFF000000u, 0x80FF8040u, 0x01FFFFFFu, 0x00FFFFFFu, 0xFE123456u};
    for (int s : {8, 16}) {
        std::vector<std::int32_t> coverage;
        for (int c = 0; c <= s * (s - 1); ++c)
            coverage.push_back(c);
        for (TColor32 colour : colours) {
            for (int trial = 0; trial < 8; ++trial) {
                std::vector<TColor32> background(coverage.size());
                for (auto& p : background)
                    p = trial == 0 ? 0u : (trial == 1 ? 0xFF000000u : rng());
                std::vector<TColor32> fast = background, reference = background;
                TCoverageBlender(colour, s).BlendRow(fast.data(), coverage.data(), int(coverage.size()));
                BlendCoverageRowReference(reference.data(), coverage.data(), int(coverage.size()), colour, s);
                ASSERT_EQ(fast, reference) << std::hex << colour << " S=" << s;
                EXPECT_EQ(fast[0], background[0]); // zero coverage leaves the pixel alone
            }
        }
    }
}

TEST_P(BothSampleCounts, FillWritesThroughBlendPixelExAtTheColoursAlpha) {
    const int s = GetParam();
    // Opaque white over opaque black gives 254 in full pixels: no copy shortcut at W = 255.
    TBitmap32 b(6, 6);
    b.Clear(0xFF000000u);
    FillPolygon(b, Rect(1, 1, 4, 4), 0xFFFFFFFFu, TPolyFillMode::pfWinding, s);
    EXPECT_EQ(b.Pixel(1, 1), 0xFFFEFEFEu);
    EXPECT_EQ(b.Pixel(3, 3), 0xFFFEFEFEu);
    EXPECT_EQ(b.Pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(b.Pixel(4, 4), 0xFF000000u);
    EXPECT_EQ(b.Pixel(4, 1), 0xFF000000u);

    // Over transparent black, outside pixels stay 0 and the colour's alpha is the master alpha.
    TBitmap32 t(6, 6);
    FillPolygon(t, Rect(1, 1, 4, 4), 0x80FF0000u, TPolyFillMode::pfAlternate, s);
    EXPECT_EQ(t.Pixel(2, 2), BlendPixelEx(0xFFFF0000u, 0u, 0x80));
    EXPECT_EQ(t.Pixel(5, 5), 0u);

    // Colour alpha 0 draws nothing; an empty set draws nothing.
    TBitmap32 u(3, 3);
    u.Clear(0x11223344u);
    FillPolygon(u, Rect(0, 0, 3, 3), 0x00FFFFFFu, TPolyFillMode::pfWinding, s);
    FillPolyPolygon(u, {}, 0xFFFFFFFFu, TPolyFillMode::pfWinding, s);
    EXPECT_EQ(u.Pixel(1, 1), 0x11223344u);
}

TEST(PolygonFill, WholeFillMatchesReferenceBlendOfTheCoverage) {
    std::mt19937 rng(9);
    std::uniform_real_distribution<double> coord(-5, 45);
    for (int s : {8, 16}) {
        for (int trial = 0; trial < 10; ++trial) {
            TPolyPolygon set(3);
            for (TPolygon& p : set)
                for (int i = 0; i < 7; ++i)
                    p.push_back(FixedPointFromReal(coord(rng), coord(rng)));
            const TColor32 colour = rng() | 0x01000000u;
            TBitmap32 fast(40, 40);
            for (int y = 0; y < 40; ++y)
                for (int x = 0; x < 40; ++x)
                    fast.SetPixel(x, y, rng());
            TBitmap32 reference;
            reference.Assign(fast);

            FillPolyPolygon(fast, set, colour, TPolyFillMode::pfWinding, s);
            TCoverageRasterizer r;
            r.Reset(set, TPolyFillMode::pfWinding, s, 40, 40);
            TCoverageRow row;
            while (r.NextRow(row))
                BlendCoverageRowReference(reference.ScanLine(row.Y) + row.Left, row.Coverage,
                                          row.Right - row.Left, colour, s);
            for (int y = 0; y < 40; ++y)
                for (int x = 0; x < 40; ++x)
                    ASSERT_EQ(fast.Pixel(x, y), reference.Pixel(x, y));
        }
    }
}

} // namespace
} // namespace tessoly
