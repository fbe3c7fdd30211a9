// The trails and the emboss: fade constants, the region restriction against a full-frame
// reference, and what the merge leaves outside the glyphs.

#include "render/TextEffects.h"

#include <cstdint>
#include <cstdlib>
#include <gtest/gtest.h>
#include <random>

#include "render/PixelBlend.h"

namespace tessoly {
namespace {

TPolygon Rect(double l, double t, double r, double b) {
    return {FixedPointFromReal(l, t), FixedPointFromReal(r, t), FixedPointFromReal(r, b),
            FixedPointFromReal(l, b)};
}

//! A ring (outer square, inner square the other way round) and a triangle: an even-odd hole and
//! slanted edges.
TPolyPolygon Shapes(double ox, double oy) {
    TPolygon inner = Rect(ox + 6.3, oy + 6.6, ox + 12.2, oy + 13.1);
    std::reverse(inner.begin(), inner.end());
    return {Rect(ox + 2.5, oy + 3.25, ox + 17.75, oy + 18.4),
            inner,
            {FixedPointFromReal(ox + 22.2, oy + 2.7), FixedPointFromReal(ox + 34.9, oy + 17.3),
             FixedPointFromReal(ox + 20.1, oy + 15.5)}};
}

TBitmap32 VariedBitmap(int w, int h, unsigned seed) {
    TBitmap32 bmp(w, h);
    std::mt19937 rng(seed);
    const std::uint32_t alphas[] = {0, 1, 64, 128, 200, 254, 255, 255};
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::uint32_t rgb = rng() & 0x00FFFFFFu;
            bmp.SetPixel(x, y, (alphas[rng() % 8] << 24) | rgb);
        }
    }
    return bmp;
}

//! The emboss done over the whole frame: full copy, full-size mask, trails, every row merged.
void FullFrameEmboss(TBitmap32& dst, const TPolyPolygon& contours, int dx, int dy, TColor32 light,
                     TColor32 dark) {
    TBitmap32 copy;
    copy.Assign(dst);
    TBitmap32 mask;
    GlyphMask(contours, TRect{0, 0, dst.Width(), dst.Height()}, mask);
    ShadowTrail(dst, contours, -dx, -dy, dark);
    ShadowTrail(dst, contours, dx, dy, light);
    for (int y = 0; y < dst.Height(); ++y)
        EmbossRestoreRow(copy.ScanLine(y), mask.ScanLine(y), dst.ScanLine(y), dst.Width());
}

void ExpectSamePixels(const TBitmap32& a, const TBitmap32& b, const char* what) {
    ASSERT_EQ(a.Width(), b.Width());
    ASSERT_EQ(a.Height(), b.Height());
    int differing = 0;
    for (int y = 0; y < a.Height(); ++y) {
        for (int x = 0; x < a.Width(); ++x) {
            if (a.Pixel(x, y) != b.Pixel(x, y) && ++differing <= 5) {
                ADD_FAILURE() << what << ": pixel (" << x << ", " << y << ") " << std::hex << a.Pixel(x, y)
                              << " vs " << b.Pixel(x, y);
            }
        }
    }
    EXPECT_EQ(differing, 0) << what;
}

TEST(TextEffects, TrailAlphasFadeWithTheirConstants) {
    EXPECT_EQ(TrailAlphas(153, 6, 6), (std::vector<int>{153, 92, 54, 30, 16, 6}));
    EXPECT_EQ(TrailAlphas(153, -6, -6), (std::vector<int>{153, 92, 54, 30, 16, 6}));
    EXPECT_EQ(TrailAlphas(255, 6, 6), (std::vector<int>{255, 153, 90, 51, 26, 10}));
    EXPECT_EQ(TrailAlphas(0, 6, 6), (std::vector<int>(6, 0)));
    EXPECT_TRUE(TrailAlphas(153, 0, 0).empty());
}

TEST(TextEffects, ShadowTrailStepsOnePixelPerOutline) {
    // Black trails of a 20 px square on opaque white: along the top edge, row 10 + i carries the
    // outline drawn i steps on (x = 20 lies inside all of them), each fainter than the one before,
    // and nothing lies beyond the last step.
    TBitmap32 bmp(60, 60);
    bmp.Clear(0xFFFFFFFFu);
    ShadowTrail(bmp, {Rect(10, 10, 30, 30)}, 6, 6, 0xFF000000u);
    std::uint32_t previous = 0;
    for (int i = 0; i < 6; ++i) {
        const std::uint32_t red = RedOf(bmp.Pixel(20, 10 + i));
        EXPECT_LT(red, 255u) << i;
        EXPECT_GT(red, previous) << i;
        previous = red;
    }
    EXPECT_EQ(bmp.Pixel(20, 17), 0xFFFFFFFFu);
    EXPECT_EQ(bmp.Pixel(20, 8), 0xFFFFFFFFu);
    // Going the other way steps up-left.
    TBitmap32 up(60, 60);
    up.Clear(0xFFFFFFFFu);
    ShadowTrail(up, {Rect(10, 10, 30, 30)}, -6, -6, 0xFF000000u);
    EXPECT_LT(RedOf(up.Pixel(20, 5)), 255u);
    EXPECT_EQ(up.Pixel(20, 3), 0xFFFFFFFFu);
    EXPECT_EQ(up.Pixel(20, 12), 0xFFFFFFFFu);
}

TEST(TextEffects, GlyphMaskIsTheFilledGlyphsWithTheirEdgesKnockedOut) {
    const TPolyPolygon shapes = Shapes(20, 14);
    TBitmap32 full;
    GlyphMask(shapes, TRect{0, 0, 80, 52}, full);
    // Inside the ring: white filled through BlendPixelEx (254); in its even-odd hole and outside: 0;
    // on an edge the black line pulls the value down.
    EXPECT_EQ(BlueOf(full.Pixel(24, 20)), 254u);
    EXPECT_EQ(full.Pixel(29, 24), 0u);
    EXPECT_EQ(full.Pixel(5, 5), 0u);
    // The ring's left edge lies at x = 22.5: half-covered pixel 22 and line-darkened 23.
    EXPECT_EQ(full.Pixel(21, 25), 0u);
    EXPECT_GT(BlueOf(full.Pixel(22, 25)), 0u);
    EXPECT_LT(BlueOf(full.Pixel(22, 25)), 128u);
    EXPECT_LT(BlueOf(full.Pixel(23, 25)), 200u);
    // A region's mask is the same window of the full-frame mask.
    const TRect region{13, 9, 61, 40};
    TBitmap32 part;
    GlyphMask(shapes, region, part);
    ASSERT_EQ(part.Width(), region.Width());
    ASSERT_EQ(part.Height(), region.Height());
    for (int y = 0; y < part.Height(); ++y) {
        for (int x = 0; x < part.Width(); ++x) {
            ASSERT_EQ(part.Pixel(x, y), full.Pixel(region.left + x, region.top + y)) << x << ", " << y;
        }
    }
}

TEST(TextEffects, RestrictedEmbossMatchesTheFullFrame) {
    struct Case {
        const char* what;
        double ox, oy;
        TColor32 light, dark;
    };
    const Case cases[] = {
        {"inside", 20, 14, 0x99FFFFFFu, 0x99000000u},
        {"opaque colours", 20, 14, 0xFFFFFFFFu, 0xFF000000u},
        {"over the top-left corner", -12, -9, 0x99FFFFFFu, 0x99000000u},
        {"over the bottom-right corner", 52, 36, 0x99FFFFFFu, 0x99000000u},
        {"outside", 200, 200, 0x99FFFFFFu, 0x99000000u},
    };
    for (const Case& c : cases) {
        const TBitmap32 source = VariedBitmap(80, 52, 7);
        TBitmap32 restricted;
        restricted.Assign(source);
        TBitmap32 reference;
        reference.Assign(source);
        Emboss3D(restricted, Shapes(c.ox, c.oy), 6, 6, c.light, c.dark);
        FullFrameEmboss(reference, Shapes(c.ox, c.oy), 6, 6, c.light, c.dark);
        ExpectSamePixels(restricted, reference, c.what);
    }
}

TEST(TextEffects, EmbossRegionHoldsEveryPixelTheTrailsTouch) {
    const TPolyPolygon shapes = Shapes(20, 14);
    TBitmap32 drawn(80, 52);
    ShadowTrail(drawn, shapes, -6, -6, 0xFF000000u);
    ShadowTrail(drawn, shapes, 6, 6, 0xFF000000u);
    const TRect region = EmbossRegion(shapes, 6, 6, 80, 52);
    for (int y = 0; y < 52; ++y) {
        for (int x = 0; x < 80; ++x) {
            const bool inside = x >= region.left && x < region.right && y >= region.top && y < region.bottom;
            if (!inside) {
                EXPECT_EQ(drawn.Pixel(x, y), 0u) << x << ", " << y;
            }
        }
    }
    EXPECT_EQ(EmbossRegion({}, 6, 6, 80, 52).Width(), 0);
    EXPECT_EQ(EmbossRegion(Shapes(500, 500), 6, 6, 80, 52).Width(), 0);
}

TEST(TextEffects, RestoreIsThePlainMergeExceptOverUntouchedTranslucentPixels) {
    std::mt19937 rng(3);
    for (int i = 0; i < 20000; ++i) {
        const TColor32 copy = rng();
        const TColor32 mask = 0xFF000000u | (rng() & 0xFFu) * 0x010101u;
        const TColor32 drawn = i % 4 == 0 ? copy : static_cast<TColor32>(rng());
        TColor32 row = drawn;
        EmbossRestoreRow(&copy, &mask, &row, 1);
        const TColor32 merged = MergePixelEx(copy, drawn, 255 - (mask & 0xFFu));
        if (drawn != copy) {
            EXPECT_EQ(row, merged);
        } else {
            EXPECT_EQ(row, copy);
            // Where nothing drew, the plain merge changes only translucent pixels.
            const std::uint32_t a = AlphaOf(copy);
            if (a == 0 || a == 255) {
                EXPECT_EQ(merged, copy);
            }
        }
    }
    // The fault the skip avoids: merging a half-transparent pixel over itself raises its alpha.
    EXPECT_NE(MergePixelEx(0x80336699u, 0x80336699u, 255), 0x80336699u);
}

TEST(TextEffects, EmbossLeavesPixelsOutsideTheGlyphsAsTheyWere) {
    // Opaque background: where the mask is 0 the copy is merged back to within one level of each
    // channel (the merge's rounding), and beyond the trails' reach every pixel is exact.
    TBitmap32 bmp = VariedBitmap(80, 52, 11);
    for (int y = 0; y < 52; ++y) {
        for (int x = 0; x < 80; ++x)
            bmp.SetPixel(x, y, bmp.Pixel(x, y) | 0xFF000000u);
    }
    TBitmap32 before;
    before.Assign(bmp);
    const TPolyPolygon shapes = Shapes(20, 14);
    Emboss3D(bmp, shapes, 6, 6, 0xFFFFFFFFu, 0xFF000000u);
    TBitmap32 mask;
    GlyphMask(shapes, TRect{0, 0, 80, 52}, mask);
    const TRect region = EmbossRegion(shapes, 6, 6, 80, 52);
    int changedInside = 0;
    for (int y = 0; y < 52; ++y) {
        for (int x = 0; x < 80; ++x) {
            const TColor32 a = bmp.Pixel(x, y), b = before.Pixel(x, y);
            if (BlueOf(mask.Pixel(x, y)) != 0) {
                changedInside += a != b;
                continue;
            }
            const bool inRegion =
                x >= region.left && x < region.right && y >= region.top && y < region.bottom;
            if (!inRegion) {
                EXPECT_EQ(a, b) << x << ", " << y;
                continue;
            }
            for (int shift : {0, 8, 16, 24}) {
                EXPECT_LE(std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)), 1) << x << ", " << y;
            }
        }
    }
    EXPECT_GT(changedInside, 50); // the bevel stays inside
}

} // namespace
} // namespace tessoly
