// The shared font object: face resolution and refusal, size and style, and the glyph source.

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

#include "render/GlyphOutline.h"
#include "render/RenderError.h"
#include "render/TrueTypeFont.h"

namespace tessoly {
namespace {

std::string FileName(const TTrueTypeFont& font) {
    return std::filesystem::path(font.FilePath()).filename().string();
}

TEST(TextFont, StartsAsArialEighteenPixelsRegular) {
    TTrueTypeFont font;
    EXPECT_EQ(font.FaceName(), "Arial");
    EXPECT_EQ(font.PixelHeight(), 18);
    EXPECT_FALSE(font.Bold());
    EXPECT_FALSE(font.Italic());
    EXPECT_EQ(FileName(font), "LiberationSans-Regular.ttf");
}

TEST(TextFont, SameFaceIgnoringCaseChangesNothing) {
    TTrueTypeFont font;
    font.ApplyFontSettings("ARIAL", 60, false, false);
    EXPECT_EQ(font.FaceName(), "Arial");
    EXPECT_EQ(FileName(font), "LiberationSans-Regular.ttf");
}

TEST(TextFont, RefusedFaceKeepsThePreviousOne) {
    TTrueTypeFont font;
    font.ApplyFontSettings("DejaVu Sans", 60, true, false);
    ASSERT_EQ(font.FaceName(), "DejaVu Sans");
    ASSERT_EQ(FileName(font), "DejaVuSans-Bold.ttf");

    // fontconfig would substitute a fallback for these; they are not faces of their own.
    for (const char* name : {"No Such Face Tessoly", "sans-serif", ""}) {
        font.ApplyFontSettings(name, 60, true, false);
        EXPECT_EQ(font.FaceName(), "DejaVu Sans") << name;
        EXPECT_EQ(FileName(font), "DejaVuSans-Bold.ttf") << name;
    }
    // Size and style still apply alongside a refused face.
    font.ApplyFontSettings("No Such Face Tessoly", 30, false, false);
    EXPECT_EQ(font.PixelHeight(), 40);
    EXPECT_EQ(FileName(font), "DejaVuSans.ttf");
}

TEST(TextFont, MetricAliasesAreTheirOwnFaces) {
    struct Case {
        const char* name;
        const char* file;
    };
    for (const Case& c : {Case{"Times New Roman", "LiberationSerif-Regular.ttf"},
                          Case{"Courier New", "LiberationMono-Regular.ttf"},
                          Case{"Liberation Sans", "LiberationSans-Regular.ttf"}}) {
        TTrueTypeFont font;
        font.ApplyFontSettings(c.name, 12, false, false);
        EXPECT_EQ(font.FaceName(), c.name);
        EXPECT_EQ(FileName(font), c.file) << c.name;
    }
}

TEST(TextFont, SizeAndStyleSelectHeightAndFile) {
    struct Case {
        int points;
        int dpi;
        bool bold;
        bool italic;
        int pixels;
        const char* file;
    };
    const Case cases[] = {
        {60, 96, true, false, 80, "LiberationSans-Bold.ttf"},
        {60, 96, false, true, 80, "LiberationSans-Italic.ttf"},
        {9, 96, true, true, 12, "LiberationSans-BoldItalic.ttf"},
        {60, 120, false, false, 100, "LiberationSans-Regular.ttf"},
        // 4.5 px rounds away from zero; 0 pt still gives a one-pixel face; negative sizes count
        // as their magnitude; huge sizes stop at the largest height the 16.16 geometry holds.
        {3, 96, false, false, 4, "LiberationSans-Regular.ttf"},
        {0, 96, false, false, 1, "LiberationSans-Regular.ttf"},
        {-60, 96, false, false, 80, "LiberationSans-Regular.ttf"},
        {1000000, 96, false, false, TTrueTypeFont::kMaxPixelHeight, "LiberationSans-Regular.ttf"},
    };
    TTrueTypeFont font;
    for (const Case& c : cases) {
        font.ApplyFontSettings("Arial", c.points, c.bold, c.italic, c.dpi);
        EXPECT_EQ(font.PixelHeight(), c.pixels) << c.points;
        EXPECT_EQ(font.Bold(), c.bold);
        EXPECT_EQ(font.Italic(), c.italic);
        EXPECT_EQ(FileName(font), c.file) << c.points;
        TGlyphOutline outline;
        EXPECT_TRUE(GlyphOutline(font, u'!', outline)) << c.points;
    }
}

//! Ink extent of one glyph's records [16.16], over start points and record points.
struct InkBounds {
    std::int64_t left = INT64_MAX, right = INT64_MIN, top = INT64_MAX, bottom = INT64_MIN;
    void Add(const TOutlinePoint& p) {
        left = std::min<std::int64_t>(left, p.x);
        right = std::max<std::int64_t>(right, p.x);
        top = std::min<std::int64_t>(top, p.y);
        bottom = std::max<std::int64_t>(bottom, p.y);
    }
};

InkBounds Bounds(const TGlyphOutline& outline) {
    InkBounds b;
    for (const auto& contour : outline.contours) {
        b.Add(contour.start);
        for (const auto& curve : contour.curves) {
            for (const auto& p : curve.points)
                b.Add(p);
        }
    }
    return b;
}

TEST(TextFont, OutlinesPointDownFromTheBaselineWithWholeAdvances) {
    TTrueTypeFont font;
    font.ApplyFontSettings("Arial", 60, false, false);
    TGlyphOutline h;
    ASSERT_TRUE(GlyphOutline(font, u'H', h));
    EXPECT_EQ(h.contours.size(), 1u);
    const InkBounds hb = Bounds(h);
    // Liberation Sans caps are 1409 / 2048 em high: 55.04 px at 80 px (to FreeType's 1/64 px),
    // above the baseline (y < 0).
    EXPECT_NEAR(hb.top / 65536.0, -1409.0 * 80 / 2048, 1.0 / 64);
    EXPECT_EQ(hb.bottom, 0);
    EXPECT_EQ(h.cellIncX, 58); // 1479 / 2048 em = 57.77 px
    EXPECT_EQ(h.cellIncY, 0);

    TGlyphOutline g;
    ASSERT_TRUE(GlyphOutline(font, u'g', g));
    EXPECT_GT(Bounds(g).bottom, 10 * 65536); // the descender reaches below the baseline

    TGlyphOutline space;
    ASSERT_TRUE(GlyphOutline(font, u' ', space));
    EXPECT_TRUE(space.contours.empty());
    EXPECT_EQ(space.cellIncX, 22); // 569 / 2048 em = 22.2 px

    for (const auto& contour : h.contours) {
        EXPECT_EQ(contour.headerType, kPolygonHeaderType);
        for (const auto& curve : contour.curves) {
            EXPECT_TRUE(curve.type == kPrimLine || curve.type == kPrimQSpline || curve.type == kPrimCSpline);
        }
        // Closed implicitly: the last point does not repeat the start.
        ASSERT_FALSE(contour.curves.empty());
        EXPECT_NE(contour.curves.back().points.back(), contour.start);
    }
}

TEST(TextFont, BoldAndItalicChangeTheShape) {
    TTrueTypeFont font;
    TGlyphOutline regular, bold, italic;
    font.ApplyFontSettings("Arial", 60, false, false);
    ASSERT_TRUE(GlyphOutline(font, u'l', regular));
    font.ApplyFontSettings("Arial", 60, true, false);
    ASSERT_TRUE(GlyphOutline(font, u'l', bold));
    font.ApplyFontSettings("Arial", 60, false, true);
    ASSERT_TRUE(GlyphOutline(font, u'l', italic));
    const InkBounds r = Bounds(regular), b = Bounds(bold), i = Bounds(italic);
    EXPECT_GT(b.right - b.left, r.right - r.left);
    // Italic leans right: its top lies farther right than its bottom.
    EXPECT_GT(i.right - i.left, r.right - r.left);
}

TEST(TextFont, SynthesisesAStyleTheFamilyLacks) {
    // A family with a regular face only (fonts-dejavu-extra); skipped where it is not installed.
    TTrueTypeFont font;
    font.ApplyFontSettings("DejaVu Math TeX Gyre", 60, false, false);
    if (font.FaceName() != "DejaVu Math TeX Gyre")
        GTEST_SKIP() << "DejaVu Math TeX Gyre is not installed";
    TGlyphOutline regular, bold, italic;
    ASSERT_TRUE(GlyphOutline(font, u'l', regular));
    font.ApplyFontSettings("DejaVu Math TeX Gyre", 60, true, false);
    ASSERT_TRUE(GlyphOutline(font, u'l', bold));
    font.ApplyFontSettings("DejaVu Math TeX Gyre", 60, false, true);
    ASSERT_TRUE(GlyphOutline(font, u'l', italic));
    const InkBounds r = Bounds(regular), b = Bounds(bold), i = Bounds(italic);
    EXPECT_GT(b.right - b.left, r.right - r.left);
    EXPECT_GE(bold.cellIncX, regular.cellIncX);
    EXPECT_GT(i.right - i.left, r.right - r.left);
    EXPECT_EQ(italic.cellIncX, regular.cellIncX);
}

TEST(TextFont, EveryCodeUnitOfTheInstalledFacesReadsAsRecords) {
    // Control characters, Latin, a lone surrogate half and the last code unit: each gives records
    // of the three known types (or .notdef's), never an outline error.
    TTrueTypeFont font;
    for (const char* face : {"Arial", "Times New Roman", "Courier New", "DejaVu Sans"}) {
        font.ApplyFontSettings(face, 30, false, false);
        ASSERT_EQ(font.FaceName(), face);
        for (int unit = 0; unit < 0x250; ++unit) {
            TGlyphOutline outline;
            ASSERT_NO_THROW(GlyphOutline(font, static_cast<char16_t>(unit), outline)) << face << " " << unit;
        }
        for (char16_t unit : {char16_t(0xD800), char16_t(0xDFFF), char16_t(0xFFFD), char16_t(0xFFFF)}) {
            TGlyphOutline outline;
            ASSERT_NO_THROW(GlyphOutline(font, unit, outline)) << face << " " << int(unit);
        }
    }
}

TEST(TextFont, FontsArePerObject) {
    // Two objects (two threads' fonts) hold their own faces.
    TTrueTypeFont a, b;
    a.ApplyFontSettings("DejaVu Sans", 60, false, false);
    b.ApplyFontSettings("Arial", 10, true, false);
    EXPECT_EQ(FileName(a), "DejaVuSans.ttf");
    EXPECT_EQ(FileName(b), "LiberationSans-Bold.ttf");
    EXPECT_EQ(a.PixelHeight(), 80);
    EXPECT_EQ(b.PixelHeight(), 13);
}

} // namespace
} // namespace tessoly
