// The exact pixel arithmetic and the bitmap transfers: blend, merge, DrawAt, DrawStretched,
// rotations and sizing.

#include <cstdint>
#include <gtest/gtest.h>
#include <random>
#include <vector>

#include "render/Bitmap32.h"
#include "render/PixelBlend.h"
#include "render/RenderError.h"

namespace tessoly {
namespace {

// Per-channel forms written straight from the formulas, the yardstick for the two-lane arithmetic.
std::uint32_t Channel(TColor32 c, int shift) {
    return (c >> shift) & 0xFFu;
}

TColor32 NaiveBlendWeighted(TColor32 f, TColor32 b, std::uint32_t w) {
    TColor32 out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        out |= ((Channel(f, shift) * w + Channel(b, shift) * (256 - w) + 128) >> 8) << shift;
    }
    return out;
}

TColor32 NaiveBlendPixel(TColor32 f, TColor32 b) {
    const std::uint32_t fa = AlphaOf(f);
    if (fa == 0)
        return b;
    if (fa == 255)
        return f;
    return NaiveBlendWeighted(f, b, fa);
}

TColor32 NaiveBlendPixelEx(TColor32 f, TColor32 b, std::uint32_t m) {
    const std::uint32_t fa = AlphaOf(f);
    if (fa == 0)
        return b;
    const std::uint32_t w = ((fa + 1) * m) >> 8;
    if (w == 0)
        return b;
    return NaiveBlendWeighted(f, b, w);
}

TBitmap32 Filled(int w, int h, TColor32 c) {
    TBitmap32 b(w, h);
    b.Clear(c);
    return b;
}

// A bitmap whose every pixel is distinct: 0xFF000000 | (y << 8) | x.
TBitmap32 Numbered(int w, int h) {
    TBitmap32 b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.SetPixel(x, y, 0xFF000000u | (TColor32(y) << 8) | TColor32(x));
    return b;
}

TEST(PixelBlend, DocumentedCases) {
    // Alpha 128 over transparent black: alpha (128*128+128)>>8 = 64, red (255*128+128)>>8 = 128.
    EXPECT_EQ(BlendPixel(0x80FF0000u, 0x00000000u), 0x40800000u);
    // M = 153 with Fa = 255: W = (256*153)>>8 = 153.
    EXPECT_EQ(BlendPixelEx(0xFFFFFFFFu, 0xFF000000u, 153), NaiveBlendWeighted(0xFFFFFFFFu, 0xFF000000u, 153));
    EXPECT_EQ(RedOf(BlendPixelEx(0xFFFFFFFFu, 0xFF000000u, 153)), (255u * 153 + 128) >> 8);
    // No copy shortcut at W = 255: white over black is 254, while BlendPixel copies.
    EXPECT_EQ(BlendPixelEx(0xFFFFFFFFu, 0xFF000000u, 255), 0xFFFEFEFEu);
    EXPECT_EQ(BlendPixel(0xFFFFFFFFu, 0xFF000000u), 0xFFFFFFFFu);
    // Fa = 0 and W = 0 leave the destination exactly.
    EXPECT_EQ(BlendPixel(0x00FFFFFFu, 0x12345678u), 0x12345678u);
    EXPECT_EQ(BlendPixelEx(0x00FFFFFFu, 0x12345678u, 255), 0x12345678u);
    EXPECT_EQ(BlendPixelEx(0x01FFFFFFu, 0x12345678u, 127), 0x12345678u); // W = (2*127)>>8 = 0
}

TEST(PixelBlend, TwoLaneArithmeticMatchesPerChannelFormulas) {
    std::mt19937 rng(7);
    std::vector<TColor32> colours = {0, 0xFFFFFFFFu, 0xFF000000u, 0x00FFFFFFu, 0x80808080u, 0x7F7F7F7Fu};
    for (int i = 0; i < 200; ++i)
        colours.push_back(rng());
    for (TColor32 b : colours) {
        for (std::uint32_t fa = 0; fa < 256; ++fa) {
            const TColor32 f = (fa << 24) | (rng() & 0x00FFFFFFu);
            ASSERT_EQ(BlendPixel(f, b), NaiveBlendPixel(f, b)) << std::hex << f << " over " << b;
            for (std::uint32_t m : {1u, 64u, 127u, 153u, 254u, 255u}) {
                ASSERT_EQ(BlendPixelEx(f, b, m), NaiveBlendPixelEx(f, b, m)) << std::hex << f << " " << b;
            }
        }
    }
}

TEST(PixelBlend, RowFormsMatchScalarForms) {
    // Every source alpha against random and extreme backgrounds, at every master alpha; odd row
    // lengths exercise the tails of the wide loops.
    std::mt19937 rng(11);
    std::vector<TColor32> src, dst;
    for (int round = 0; round < 4; ++round) {
        for (std::uint32_t fa = 0; fa < 256; ++fa) {
            src.push_back((fa << 24) | (round == 0 ? 0x00FFFFFFu : rng() & 0x00FFFFFFu));
            dst.push_back(round == 1 ? 0u : (round == 2 ? 0xFFFFFFFFu : rng()));
        }
    }
    src.push_back(rng()); // 1025 pixels
    dst.push_back(rng());
    for (int count : {int(src.size()), 3, 5}) {
        std::vector<TColor32> blended = dst;
        BlendRow(src.data(), blended.data(), count);
        for (int i = 0; i < int(src.size()); ++i) {
            ASSERT_EQ(blended[i], i < count ? BlendPixel(src[i], dst[i]) : dst[i]) << i;
        }
    }
    for (std::uint32_t m = 0; m < 256; ++m) {
        std::vector<TColor32> ex = dst, merged = dst;
        BlendRowEx(src.data(), ex.data(), int(src.size()), m);
        MergeRowEx(src.data(), merged.data(), int(src.size()), m);
        for (std::size_t i = 0; i < src.size(); ++i) {
            ASSERT_EQ(ex[i], BlendPixelEx(src[i], dst[i], m)) << "M " << m << " pixel " << i;
            ASSERT_EQ(merged[i], MergePixelEx(src[i], dst[i], m)) << "M " << m << " pixel " << i;
        }
    }
}

TEST(PixelBlend, MergePixelCases) {
    struct Case {
        TColor32 f, b, expected;
        const char* what;
    };
    const Case cases[] = {
        {0x00FF0000u, 0x80123456u, 0x80123456u, "Fa = 0 keeps B"},
        // Opaque B: BlendPixel's colours at weight Fa, even at Fa = 255, alpha forced to 255.
        {0xFFFFFFFFu, 0xFF000000u, 0xFFFEFEFEu, "Fa = 255 over opaque B has no copy shortcut"},
        {0x80FF0000u, 0xFF0000FFu, 0xFF800080u, "half red over opaque blue"},
        {0x80FF0000u, 0x000000FFu, 0x80FF0000u, "over transparent B the result is F"},
        {0xFF00FF00u, 0x80FF0000u, 0xFF00FF00u, "opaque F over translucent B is F"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MergePixel(c.f, c.b), c.expected) << c.what;

    // Both translucent: straight-alpha over. Ra = 255 - (127*127)/255 = 192 (rounded), colour mix by
    // w = 128*255/192 = 170.
    const TColor32 r = MergePixel(0x80FF0000u, 0x800000FFu);
    EXPECT_NEAR(int(AlphaOf(r)), 192, 1);
    EXPECT_NEAR(int(RedOf(r)), 170, 1);
    EXPECT_NEAR(int(BlueOf(r)), 85, 1);
    EXPECT_EQ(GreenOf(r), 0u);

    // MergePixelEx replaces Fa by round(M * Fa / 255).
    EXPECT_EQ(MergePixelEx(0xFFFF0000u, 0x000000FFu, 128), 0x80FF0000u);
    EXPECT_EQ(MergePixelEx(0x80FF0000u, 0xFF0000FFu, 255), MergePixel(0x80FF0000u, 0xFF0000FFu));
    EXPECT_EQ(MergePixelEx(0xFFFF0000u, 0x12345678u, 0), 0x12345678u);
}

TEST(Bitmap32, SetSizeKeepsPixelsOnlyForTheSameSize) {
    TBitmap32 b(3, 2);
    b.DrawMode = dmBlend;
    b.MasterAlpha = 77;
    b.Clear(0xFF112233u);
    b.SetSize(3, 2);
    EXPECT_EQ(b.Pixel(2, 1), 0xFF112233u);
    b.SetSize(2, 3);
    ASSERT_EQ(b.Width(), 2);
    ASSERT_EQ(b.Height(), 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(b.Pixel(x, y), 0u);
    EXPECT_EQ(b.DrawMode, dmBlend);
    EXPECT_EQ(b.MasterAlpha, 77);
    b.SetSize(-5, 4);
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Width(), 0);
    EXPECT_THROW(b.SetSize(1 << 15, 1 << 15), RenderError);
}

TEST(Bitmap32, SetSizeForOverwriteSizesLikeSetSizeAndLeavesZeroingToSetSize) {
    TBitmap32 b(3, 2);
    b.DrawMode = dmBlend;
    b.MasterAlpha = 77;
    b.Clear(0xFF112233u);
    b.SetSizeForOverwrite(3, 2);
    EXPECT_EQ(b.Pixel(2, 1), 0xFF112233u);
    b.SetSizeForOverwrite(512, 512);
    ASSERT_EQ(b.Width(), 512);
    ASSERT_EQ(b.Height(), 512);
    EXPECT_EQ(b.DrawMode, dmBlend);
    EXPECT_EQ(b.MasterAlpha, 77);
    b.Clear(0xDEADBEEFu);
    b.SetSizeForOverwrite(-1, 9);
    EXPECT_TRUE(b.Empty());
    EXPECT_THROW(b.SetSizeForOverwrite(1 << 15, 1 << 15), RenderError);
    // The freed block of dirty pixels is the likeliest storage for the next one: SetSize must
    // still give transparent black.
    b.SetSize(512, 511);
    for (int y = 0; y < 511; ++y)
        for (int x = 0; x < 512; ++x)
            ASSERT_EQ(b.Pixel(x, y), 0u) << x << "," << y;
}

TEST(Bitmap32, AssignCopiesEverything) {
    TBitmap32 src = Numbered(4, 3);
    src.DrawMode = dmBlend;
    src.CombineMode = cmMerge;
    src.MasterAlpha = 9;
    TBitmap32 dst(1, 1);
    dst.Assign(src);
    EXPECT_EQ(dst.Width(), 4);
    EXPECT_EQ(dst.Pixel(3, 2), src.Pixel(3, 2));
    EXPECT_EQ(dst.DrawMode, dmBlend);
    EXPECT_EQ(dst.CombineMode, cmMerge);
    EXPECT_EQ(dst.MasterAlpha, 9);
}

TEST(Bitmap32, RotationsMapPixelsAndKeepTheDestinationModes) {
    // Rotate90 of a 2 x 1 [a b] gives a 1 x 2 with a on top.
    TBitmap32 ab(2, 1);
    ab.SetPixel(0, 0, 0xAAu);
    ab.SetPixel(1, 0, 0xBBu);
    TBitmap32 turned;
    Rotate90(ab, turned);
    ASSERT_EQ(turned.Width(), 1);
    ASSERT_EQ(turned.Height(), 2);
    EXPECT_EQ(turned.Pixel(0, 0), 0xAAu);
    EXPECT_EQ(turned.Pixel(0, 1), 0xBBu);

    const int w = 5, h = 3;
    const TBitmap32 src = Numbered(w, h);
    struct Case {
        void (*rotate)(const TBitmap32&, TBitmap32&);
        int dstW, dstH;
        int (*mapX)(int x, int y, int w, int h);
        int (*mapY)(int x, int y, int w, int h);
    };
    const Case cases[] = {
        {Rotate90, h, w, [](int, int y, int, int hh) { return hh - 1 - y; },
         [](int x, int, int, int) { return x; }},
        {Rotate270, h, w, [](int, int y, int, int) { return y; },
         [](int x, int, int ww, int) { return ww - 1 - x; }},
        {Rotate180, w, h, [](int x, int, int ww, int) { return ww - 1 - x; },
         [](int, int y, int, int hh) { return hh - 1 - y; }},
    };
    for (const Case& c : cases) {
        TBitmap32 dst(7, 7);
        dst.DrawMode = dmBlend;
        dst.CombineMode = cmMerge;
        dst.MasterAlpha = 42;
        c.rotate(src, dst);
        ASSERT_EQ(dst.Width(), c.dstW);
        ASSERT_EQ(dst.Height(), c.dstH);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(dst.Pixel(c.mapX(x, y, w, h), c.mapY(x, y, w, h)), src.Pixel(x, y));
        EXPECT_EQ(dst.DrawMode, dmBlend);
        EXPECT_EQ(dst.CombineMode, cmMerge);
        EXPECT_EQ(dst.MasterAlpha, 42);

        // In place: the source may be the destination.
        TBitmap32 same = Numbered(w, h);
        c.rotate(same, same);
        ASSERT_EQ(same.Width(), c.dstW);
        EXPECT_EQ(same.Pixel(c.mapX(1, 2, w, h), c.mapY(1, 2, w, h)), src.Pixel(1, 2));
    }
}

TEST(Bitmap32, DrawAtModes) {
    const TColor32 background = 0xFF204060u;
    TBitmap32 src(2, 2);
    src.Clear(0x80FF0000u);

    // Opaque: exact replacement, alpha included.
    TBitmap32 dst = Filled(4, 4, background);
    DrawAt(src, dst, 1, 1);
    EXPECT_EQ(dst.Pixel(1, 1), 0x80FF0000u);
    EXPECT_EQ(dst.Pixel(0, 0), background);
    EXPECT_EQ(dst.Pixel(3, 3), background);

    // Blend at 255: BlendPixel.
    src.DrawMode = dmBlend;
    dst = Filled(4, 4, background);
    DrawAt(src, dst, 0, 0);
    EXPECT_EQ(dst.Pixel(1, 1), BlendPixel(0x80FF0000u, background));
    EXPECT_EQ(dst.Pixel(2, 2), background);

    // Blend at 153: BlendPixelEx with that master alpha.
    src.MasterAlpha = 153;
    dst = Filled(4, 4, background);
    DrawAt(src, dst, 0, 0);
    EXPECT_EQ(dst.Pixel(0, 1), BlendPixelEx(0x80FF0000u, background, 153));

    // Master alpha 0 draws nothing.
    src.MasterAlpha = 0;
    dst = Filled(4, 4, background);
    DrawAt(src, dst, 0, 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(dst.Pixel(x, y), background);

    // An opaque white source at master alpha 255 copies exactly, unlike a fill's 254.
    TBitmap32 white = Filled(2, 2, 0xFFFFFFFFu);
    white.DrawMode = dmBlend;
    TBitmap32 black = Filled(2, 2, 0xFF000000u);
    DrawAt(white, black, 0, 0);
    EXPECT_EQ(black.Pixel(1, 1), 0xFFFFFFFFu);
}

TEST(Bitmap32, DrawAtClipsAtEveryEdge) {
    const TBitmap32 src = Numbered(3, 3);
    struct Case {
        int x, y;
    };
    for (const Case c : {Case{-2, -1}, Case{2, 3}, Case{-3, 0}, Case{4, 4}, Case{-100000, 5},
                         Case{2147483600, 0}, Case{-2147483600, -2147483600}}) {
        TBitmap32 dst(4, 4);
        DrawAt(src, dst, c.x, c.y);
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 4; ++x) {
                const std::int64_t sx = std::int64_t(x) - c.x, sy = std::int64_t(y) - c.y;
                const bool inside = sx >= 0 && sx < 3 && sy >= 0 && sy < 3;
                const TColor32 expected = inside ? src.Pixel(int(sx), int(sy)) : 0u;
                ASSERT_EQ(dst.Pixel(x, y), expected) << c.x << "," << c.y << " at " << x << "," << y;
            }
        }
    }
    TBitmap32 empty, dst = Filled(2, 2, 7);
    DrawAt(empty, dst, 0, 0);
    DrawAt(src, empty, 0, 0);
    EXPECT_EQ(dst.Pixel(1, 1), 7u);
}

std::vector<int> SampledColumns(int srcWidth, int rectWidth) {
    TBitmap32 src(srcWidth, 1);
    for (int x = 0; x < srcWidth; ++x)
        src.SetPixel(x, 0, 0xFF000000u | TColor32(x));
    TBitmap32 dst(rectWidth, 1);
    DrawStretched(src, dst, TRect{0, 0, rectWidth, 1});
    std::vector<int> columns;
    for (int x = 0; x < rectWidth; ++x)
        columns.push_back(int(dst.Pixel(x, 0) & 0xFFFFu));
    return columns;
}

TEST(Bitmap32, DrawStretchedSampling) {
    EXPECT_EQ(SampledColumns(3, 2), (std::vector<int>{0, 1}));
    EXPECT_EQ(SampledColumns(3, 6), (std::vector<int>{0, 0, 1, 1, 2, 2}));
    EXPECT_EQ(SampledColumns(3, 1), (std::vector<int>{1}));
    EXPECT_EQ(SampledColumns(4, 1), (std::vector<int>{1}));
    EXPECT_EQ(SampledColumns(3, 3), (std::vector<int>{0, 1, 2}));
    // 14 / 20 is a float just below 0.7: the exact product 10 * sx is 6.99999988, column 6, where a
    // float product would round to 7.
    EXPECT_EQ(SampledColumns(14, 20)[10], 6);

    // Rows sample the same way, and a one-row target takes the middle row.
    TBitmap32 src = Numbered(2, 5);
    TBitmap32 dst(2, 1);
    DrawStretched(src, dst, TRect{0, 0, 2, 1});
    EXPECT_EQ(dst.Pixel(0, 0), src.Pixel(0, 2));
}

TEST(Bitmap32, DrawStretchedClipsAndUsesTheDrawMode) {
    TBitmap32 src(2, 2);
    src.Clear(0x80FF0000u);
    src.DrawMode = dmBlend;
    src.MasterAlpha = 153;
    TBitmap32 dst = Filled(3, 3, 0xFF0000FFu);
    DrawStretched(src, dst, TRect{-2, -2, 2, 2}); // 4 x 4 at (-2, -2): only (0..1, 0..1) inside
    EXPECT_EQ(dst.Pixel(1, 1), BlendPixelEx(0x80FF0000u, 0xFF0000FFu, 153));
    EXPECT_EQ(dst.Pixel(2, 2), 0xFF0000FFu);
    EXPECT_EQ(dst.Pixel(2, 0), 0xFF0000FFu);

    // Same size is DrawAt, and an empty rectangle draws nothing.
    TBitmap32 a = Filled(3, 3, 0xFF0000FFu), b = Filled(3, 3, 0xFF0000FFu);
    DrawStretched(src, a, TRect{1, 1, 3, 3});
    DrawAt(src, b, 1, 1);
    EXPECT_EQ(a.Pixel(2, 2), b.Pixel(2, 2));
    DrawStretched(src, a, TRect{1, 1, 1, 3});
    EXPECT_EQ(a.Pixel(1, 1), b.Pixel(1, 1));

    // A rectangle wider than int can measure: the arithmetic stays in range and samples inside.
    TBitmap32 wide = Numbered(3, 1), target(4, 1);
    DrawStretched(wide, target, TRect{INT32_MIN, 0, INT32_MAX, 1});
    EXPECT_EQ(target.Pixel(0, 0), wide.Pixel(1, 0)); // 2^31 / (2^32 - 1) of the way: the middle
}

} // namespace
} // namespace tessoly
