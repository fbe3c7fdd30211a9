// Guide lines: geometry, the width from the preview fit factor and the forced alpha 170.

#include "render/GuideLines.h"

#include <cmath>
#include <gtest/gtest.h>
#include <set>
#include <string>

namespace tessoly {
namespace {

TBitmap32 Black(int w, int h) {
    TBitmap32 b(w, h);
    b.Clear(0xFF000000u);
    return b;
}

std::set<int> ChangedColumns(const TBitmap32& b, int row) {
    std::set<int> columns;
    for (int x = 0; x < b.Width(); ++x)
        if (b.Pixel(x, row) != 0xFF000000u)
            columns.insert(x);
    return columns;
}

std::set<int> ChangedRows(const TBitmap32& b, int column) {
    std::set<int> rows;
    for (int y = 0; y < b.Height(); ++y)
        if (b.Pixel(column, y) != 0xFF000000u)
            rows.insert(y);
    return rows;
}

//! Width of the vertical band crossing row y [pixels], from the red channel on black: a fully
//! covered pixel of grey 204 at alpha 170 reads (204 * 170 + 128) >> 8 = 135.
double BandWidth(const TBitmap32& b, int row) {
    double sum = 0;
    for (int x = 0; x < b.Width(); ++x)
        sum += RedOf(b.Pixel(x, row));
    return sum / 135.0;
}

TEST(GuideLines, FitFactor) {
    EXPECT_FLOAT_EQ(PreviewFitFactor(414, 253, 4000, 3000), 253.0f / 3000.0f);
    EXPECT_FLOAT_EQ(1.0f / PreviewFitFactor(414, 253, 4000, 3000), 3000.0f / 253.0f); // about 11.9
    EXPECT_FLOAT_EQ(PreviewFitFactor(800, 600, 640, 480), 1.0f);                      // never above 1
    EXPECT_FLOAT_EQ(PreviewFitFactor(320, 600, 640, 480), 0.5f);
    EXPECT_FLOAT_EQ(PreviewFitFactor(800, 600, 0, 0), 1.0f); // nothing shown yet
}

TEST(GuideLines, CentreLinesOnlyWhenNoMarginIsPositive) {
    WatermarkSettings s;
    s.hMargin = 0;
    s.vMargin = -5;
    TBitmap32 b = Black(200, 100);
    DrawGuideLines(b, s, 1.0f);
    EXPECT_EQ(ChangedColumns(b, 10), (std::set<int>{99, 100}));
    EXPECT_EQ(ChangedRows(b, 10), (std::set<int>{49, 50}));
    EXPECT_NEAR(BandWidth(b, 10), 1.0, 0.1);
}

TEST(GuideLines, MarginLinesIncludeTheOtherAxisAtTheEdges) {
    WatermarkSettings s;
    s.hMargin = 30;
    s.vMargin = 0;
    TBitmap32 b = Black(200, 100);
    DrawGuideLines(b, s, 1.0f);
    // Vertical lines: centre and both margins.
    EXPECT_EQ(ChangedColumns(b, 10), (std::set<int>{29, 30, 99, 100, 169, 170}));
    // Horizontal lines: centre, and the margin-0 lines on the top and bottom edges, half visible.
    EXPECT_EQ(ChangedRows(b, 10), (std::set<int>{0, 49, 50, 99}));
}

TEST(GuideLines, WidthFollowsTheFitFactor) {
    WatermarkSettings s;
    s.hMargin = 0;
    s.vMargin = 0;
    TBitmap32 b = Black(400, 300);
    // 4000 x 3000 in a 414 x 253 preview: w = 3000 / 253, about 11.86 image pixels.
    DrawGuideLines(b, s, PreviewFitFactor(414, 253, 4000, 3000));
    EXPECT_NEAR(BandWidth(b, 10), 3000.0 / 253.0, 0.25);
    EXPECT_EQ(ChangedColumns(b, 10).size(), 12u); // 194.07 .. 205.93
    EXPECT_EQ(RedOf(b.Pixel(200, 10)), 135u);
}

TEST(GuideLines, ColourAlwaysAtAlpha170AndCrossingsBlendTwice) {
    WatermarkSettings faint, solid;
    faint.guideColour = 0x10CCCCCCu;
    solid.guideColour = 0xFFCCCCCCu;
    TBitmap32 a = Black(120, 80), b = Black(120, 80);
    DrawGuideLines(a, faint, 1.0f);
    DrawGuideLines(b, solid, 1.0f);
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 120; ++x)
            ASSERT_EQ(a.Pixel(x, y), b.Pixel(x, y)) << x << "," << y;
    // The centre crossing is brighter than the vertical line alone.
    EXPECT_GT(RedOf(b.Pixel(60, 40)), RedOf(b.Pixel(60, 10)));
}

TEST(GuideLines, DegenerateFitFactorsDrawOnePixelLines) {
    WatermarkSettings s;
    s.hMargin = 0;
    s.vMargin = 0;
    for (float k : {0.0f, -1.0f, NAN, INFINITY}) {
        SCOPED_TRACE(std::to_string(k));
        TBitmap32 b = Black(50, 40);
        DrawGuideLines(b, s, k);
        EXPECT_EQ(ChangedColumns(b, 5), (std::set<int>{24, 25}));
    }
}

} // namespace
} // namespace tessoly
