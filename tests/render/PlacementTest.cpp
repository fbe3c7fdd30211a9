// The placement tables: text offsets of the rotated box and picture corners, pixel exact.

#include "render/Placement.h"

#include <climits>
#include <gtest/gtest.h>
#include <string>

namespace tessoly {
namespace {

using P = WatermarkPosition;

struct PictureCase {
    P position;
    int x, y;
};

TEST(PicturePlacement, NineAnchorsWithMargins) {
    // A 100 x 40 picture on a 640 x 480 image, margins 30.
    const PictureCase cases[] = {
        {P::TopLeft, 30, 30},     {P::TopCenter, 270, 30}, {P::TopRight, 510, 30},
        {P::Left, 30, 220},       {P::Center, 270, 220},   {P::Right, 510, 220},
        {P::BottomLeft, 30, 410}, {P::Bottom, 270, 410},   {P::BottomRight, 510, 410},
    };
    for (const PictureCase& c : cases) {
        SCOPED_TRACE(WatermarkPositionName(c.position));
        const PicturePosition at = PicturePlacement(c.position, 640, 480, 100, 40, 30, 30);
        EXPECT_EQ(at.X, c.x);
        EXPECT_EQ(at.Y, c.y);
    }
}

TEST(PicturePlacement, CentringRoundsHalvesToEvenAndSplitsOverhang) {
    struct Case {
        int image, picture, expect;
    };
    const Case cases[] = {
        {101, 50, 26},                    // 25.5 -> 26
        {103, 50, 26},                    // 26.5 -> 26
        {640, 700, -30}, {640, 701, -30}, // -30.5 -> -30
        {640, 703, -32},                  // -31.5 -> -32
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.picture) + " on " + std::to_string(c.image));
        const PicturePosition at =
            PicturePlacement(P::Center, c.image, c.image, c.picture, c.picture, 30, 30);
        EXPECT_EQ(at.X, c.expect);
        EXPECT_EQ(at.Y, c.expect);
    }
}

TEST(PicturePlacement, EmptyPictureNegativeAndExtremeMargins) {
    EXPECT_EQ(PicturePlacement(P::BottomRight, 640, 480, 0, 40, 30, 30).X, 0);
    EXPECT_EQ(PicturePlacement(P::BottomRight, 640, 480, 100, 0, 30, 30).Y, 0);
    const PicturePosition outside = PicturePlacement(P::TopLeft, 640, 480, 100, 40, -10, -10);
    EXPECT_EQ(outside.X, -10);
    EXPECT_EQ(outside.Y, -10);
    // 640 - (100 + INT_MIN) does not fit an int: the picture is far off the image, not wrapped.
    const PicturePosition far = PicturePlacement(P::BottomRight, 640, 480, 100, 40, INT_MIN, INT_MIN);
    EXPECT_EQ(far.X, INT_MAX);
    EXPECT_EQ(far.Y, INT_MAX);
}

TEST(TextPlacement, UnrotatedBoxOnTheNineAnchors) {
    // A 200.4 x 60 box at angle 0 on a 640 x 480 image, margins 30.
    TextBoxGeometry box;
    box.minX = 0;
    box.maxX = 200.4;
    box.minY = 0;
    box.maxY = 60;
    struct Case {
        P position;
        int e, f;
    };
    const Case cases[] = {
        {P::TopLeft, 30, 30},     {P::TopCenter, 220, 30}, {P::TopRight, 410, 30}, // rnd(409.6)
        {P::Left, 30, 210},       {P::Center, 220, 210},   {P::Right, 410, 210},   // rnd(219.8)
        {P::BottomLeft, 30, 390}, {P::Bottom, 220, 390},   {P::BottomRight, 410, 390},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WatermarkPositionName(c.position));
        const TextOffset o = TextPlacementOffset(c.position, 640, 480, 30, 30, box);
        EXPECT_EQ(o.e, c.e);
        EXPECT_EQ(o.f, c.f);
    }
}

TEST(TextPlacement, RotatedBoxEdgesLandOnTheMargins) {
    // A 200 x 60 extent turned by 90 degrees about its centre (100, 30): 60 wide, 200 high.
    TextBoxGeometry box;
    box.minX = 70;
    box.maxX = 130;
    box.minY = -70;
    box.maxY = 130;
    const TextOffset topLeft = TextPlacementOffset(P::TopLeft, 640, 480, 30, 30, box);
    EXPECT_EQ(topLeft.e + box.minX, 30);
    EXPECT_EQ(topLeft.f + box.minY, 30);
    const TextOffset bottomRight = TextPlacementOffset(P::BottomRight, 640, 480, 30, 30, box);
    EXPECT_EQ(bottomRight.e + box.maxX, 610);
    EXPECT_EQ(bottomRight.f + box.maxY, 450);
    const TextOffset centre = TextPlacementOffset(P::Center, 640, 480, 30, 30, box);
    EXPECT_EQ(centre.e + (box.minX + box.maxX) / 2, 320);
    EXPECT_EQ(centre.f + (box.minY + box.maxY) / 2, 240);

    // Half a pixel from the centre rounds to even: (101 - 50) / 2 - 0 = 25.5 -> 26, 26.5 -> 26.
    TextBoxGeometry half;
    half.maxX = 50;
    half.maxY = 50;
    EXPECT_EQ(TextPlacementOffset(P::Center, 101, 103, 0, 0, half).e, 26);
    EXPECT_EQ(TextPlacementOffset(P::Center, 101, 103, 0, 0, half).f, 26);

    // Extreme margins clamp instead of overflowing.
    EXPECT_EQ(TextPlacementOffset(P::TopLeft, 640, 480, INT_MIN, 30, box).e, INT_MIN);
}

} // namespace
} // namespace tessoly
