// Orientation, transparent key and scaling of the picture watermark, pixel exact.

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "render/ImageWatermark.h"
#include "render/RenderError.h"

namespace tessoly {
namespace {

//! A w x h picture whose pixel (x, y) is opaque with the value x + 256 * y, so each is unique.
TBitmap32 NumberedPicture(int w, int h) {
    TBitmap32 b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.SetPixel(x, y, 0xFF000000u | static_cast<TColor32>(x + 256 * y));
    return b;
}

TBitmap32 Decoded(TBitmap32 b, int alpha) {
    b.DrawMode = dmBlend;
    b.MasterAlpha = alpha;
    return b;
}

struct RotationCase {
    int position;
    int width, height; // of the result
    // Where source pixel (x, y) of a 5 x 3 picture lands.
    int (*mapX)(int x, int y);
    int (*mapY)(int x, int y);
};

TEST(PictureOrientation, QuarterTurnsMapPixels) {
    const RotationCase cases[] = {
        {0, 5, 3, [](int x, int) { return 4 - x; }, [](int, int y) { return 2 - y; }},
        {1, 3, 5, [](int, int y) { return y; }, [](int x, int) { return 4 - x; }}, // counter-clockwise
        {2, 5, 3, [](int x, int) { return x; }, [](int, int y) { return y; }},
        {3, 3, 5, [](int, int y) { return 2 - y; }, [](int x, int) { return x; }}, // clockwise
        {4, 5, 3, [](int x, int) { return 4 - x; }, [](int, int y) { return 2 - y; }},
    };
    const TBitmap32 source = Decoded(NumberedPicture(5, 3), 153);
    for (const RotationCase& c : cases) {
        SCOPED_TRACE("position " + std::to_string(c.position));
        TBitmap32 oriented;
        OrientPicture(source, c.position, 153, oriented);
        ASSERT_EQ(oriented.Width(), c.width);
        ASSERT_EQ(oriented.Height(), c.height);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                EXPECT_EQ(oriented.Pixel(c.mapX(x, y), c.mapY(x, y)), source.Pixel(x, y));
        EXPECT_EQ(oriented.DrawMode, dmBlend);
        EXPECT_EQ(oriented.MasterAlpha, 153);
    }
}

TEST(PictureOrientation, SizeOfAQuarterTurnAndModes) {
    TBitmap32 oriented;
    OrientPicture(Decoded(NumberedPicture(100, 40), 77), 1, 77, oriented);
    EXPECT_EQ(oriented.Width(), 40);
    EXPECT_EQ(oriented.Height(), 100);
    // The left column of the picture becomes its bottom row after a counter-clockwise turn.
    EXPECT_EQ(oriented.Pixel(0, 99), 0xFF000000u);

    // 0 degrees copies the decoded picture, draw mode and master alpha included.
    TBitmap32 opaque = NumberedPicture(4, 2);
    opaque.MasterAlpha = 12;
    OrientPicture(opaque, 2, 200, oriented);
    EXPECT_EQ(oriented.DrawMode, dmOpaque);
    EXPECT_EQ(oriented.MasterAlpha, 12);
    EXPECT_EQ(oriented.Width(), 4);
}

TEST(PictureTransparentEdges, KeyIsExactAndTakenAfterOrientation) {
    TBitmap32 picture(4, 3);
    picture.Clear(0xFF00FF00u);
    picture.SetPixel(0, 0, 0xFFFFFFFFu); // top-left: opaque white
    picture.SetPixel(2, 1, 0xFFFFFFFFu); // interior white is keyed too
    picture.SetPixel(1, 1, 0xFEFFFFFFu); // alpha 254 is a different colour
    picture.SetPixel(3, 2, 0xFF0000FFu); // bottom-right: blue

    TBitmap32 keyed = picture;
    KeyTransparentEdges(keyed);
    EXPECT_EQ(keyed.Pixel(0, 0), 0x00FFFFFFu);
    EXPECT_EQ(keyed.Pixel(2, 1), 0x00FFFFFFu);
    EXPECT_EQ(keyed.Pixel(1, 1), 0xFEFFFFFFu);
    EXPECT_EQ(keyed.Pixel(1, 0), 0xFF00FF00u);

    // After a half turn the key is the unrotated picture's bottom-right pixel.
    WatermarkSettings s;
    s.transparentEdges = true;
    s.imageRotationPosition = 0;
    TBitmap32 oriented, final;
    PrepareWatermarkPicture(Decoded(picture, 255), s, 255, oriented, final);
    ASSERT_EQ(final.Width(), 4);
    EXPECT_EQ(final.Pixel(0, 0), 0x000000FFu);
    EXPECT_EQ(final.Pixel(3, 2), 0xFFFFFFFFu); // the old top-left, not keyed
    EXPECT_EQ(final.Pixel(1, 1), 0xFFFFFFFFu); // the old interior white

    TBitmap32 empty;
    KeyTransparentEdges(empty); // no top-left pixel: nothing to do, no crash
    EXPECT_TRUE(empty.Empty());
}

TEST(PictureScale, SizesRoundHalfToEven) {
    struct Case {
        const char* text;
        int w, h, expectW, expectH;
    };
    const Case cases[] = {
        {"50", 101, 51, 50, 26},                                                // 50.5 -> 50, 25.5 -> 26
        {"100", 101, 51, 101, 51}, {"200", 3, 2, 6, 4},    {"150", 3, 5, 4, 8}, // 4.5 -> 4, 7.5 -> 8
        {"0", 101, 51, 0, 0},      {"-50", 101, 51, 0, 0}, {"+50", 10, 10, 5, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        WatermarkSettings s;
        s.imageScaleText = c.text;
        TBitmap32 oriented, final;
        PrepareWatermarkPicture(Decoded(NumberedPicture(c.w, c.h), 153), s, 153, oriented, final);
        EXPECT_EQ(final.Width(), c.expectW);
        EXPECT_EQ(final.Height(), c.expectH);
        EXPECT_EQ(final.DrawMode, dmBlend);
        EXPECT_EQ(final.MasterAlpha, 153);
    }
}

TEST(PictureScale, ScalingDarkensSoftEdgesAndKeepsTheRest) {
    TBitmap32 picture(2, 1);
    picture.SetPixel(0, 0, 0x80FF4020u); // soft: alpha 128
    picture.SetPixel(1, 0, 0xFF336699u); // opaque
    TBitmap32 oriented, final;

    // 100 %: no resampling, the soft pixel is kept as it is.
    OrientPicture(Decoded(picture, 255), 2, 255, oriented);
    ScalePicture(oriented, 100, 255, final);
    EXPECT_EQ(final.Pixel(0, 0), 0x80FF4020u);

    // 200 %: blended onto transparent black: colour (c * a + 128) >> 8, alpha (a * a + 128) >> 8.
    OrientPicture(Decoded(picture, 153), 2, 153, oriented);
    ScalePicture(oriented, 200, 153, final);
    ASSERT_EQ(final.Width(), 4);
    ASSERT_EQ(final.Height(), 2);
    const TColor32 darkened = Color32(64, 128, 32, 16);
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(final.Pixel(0, y), darkened);
        EXPECT_EQ(final.Pixel(1, y), darkened);
        EXPECT_EQ(final.Pixel(2, y), 0xFF336699u);
        EXPECT_EQ(final.Pixel(3, y), 0xFF336699u);
    }
    EXPECT_EQ(oriented.MasterAlpha, 255);
    EXPECT_EQ(final.MasterAlpha, 153);

    // A transparent pixel stays transparent black, whatever its colour bits.
    TBitmap32 clear(1, 1);
    clear.SetPixel(0, 0, 0x00FFFFFFu);
    OrientPicture(Decoded(clear, 255), 2, 255, oriented);
    ScalePicture(oriented, 300, 255, final);
    EXPECT_EQ(final.Pixel(2, 2), 0u);
}

TEST(PictureScale, ReusedTargetStartsTransparent) {
    TBitmap32 final(2, 2);
    final.Clear(0xFFFFFFFFu);
    TBitmap32 picture(1, 1);
    picture.SetPixel(0, 0, 0x00000000u);
    TBitmap32 oriented = Decoded(picture, 255);
    ScalePicture(oriented, 200, 255, final);
    EXPECT_EQ(final.Pixel(1, 1), 0u);
}

TEST(PictureScale, TextThatIsNotAWholeNumberRaises) {
    for (const char* bad :
         {"", "abc", " 100", "100 ", "1.5", "12a", "+", "-", "+-5", "99999999999", "0x10"}) {
        SCOPED_TRACE(bad);
        try {
            ParseScalePercent(bad);
            ADD_FAILURE() << "accepted";
        } catch (const RenderError& e) {
            EXPECT_NE(std::string(e.what()).find(std::string("\"") + bad + "\""), std::string::npos)
                << e.what();
        }
    }
    EXPECT_EQ(ParseScalePercent("100"), 100);
    EXPECT_EQ(ParseScalePercent("007"), 7);
    EXPECT_EQ(ParseScalePercent("-20"), -20);
    EXPECT_EQ(ParseScalePercent("+50"), 50);

    WatermarkSettings s;
    s.imageScaleText = "1,5";
    TBitmap32 oriented, final;
    EXPECT_THROW(PrepareWatermarkPicture(Decoded(NumberedPicture(2, 2), 255), s, 255, oriented, final),
                 RenderError);
}

TEST(PictureScale, HugeScaleRaisesInsteadOfAllocating) {
    TBitmap32 oriented = Decoded(NumberedPicture(100, 100), 255), final;
    EXPECT_THROW(ScalePicture(oriented, 2000000000, 255, final), RenderError);
}

} // namespace
} // namespace tessoly
