// MeasureText and TextBox: the caption's unrotated extent and its rotated placement box.
//
// The extent starts as the pen origin (0, 0) and grows over every flattened glyph point at the
// pen, and over the advance segment of characters without contours (spaces), so it always holds
// the origin, leading and trailing spaces widen it, and a caption of spaces has no height. The pen
// is whole 16.16 pixels at angle 0; measuring stops at a character the font cannot give.
//
// TextBox turns the extent's corners about its centre by -angle in real arithmetic. Quarter turns
// use exact cosines and sines so that the box lands on the same half pixels as the unrotated one.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "render/GlyphContours.h"
#include "render/GlyphOutline.h"
#include "render/Text32.h"
#include "render/TextWatermark.h"

namespace tessoly {

namespace {

struct Extent {
    std::int64_t left = 0, top = 0, right = 0, bottom = 0;
    void Cover(std::int64_t x, std::int64_t y) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
    }
};

void CosSin(int degrees, double& c, double& s) {
    switch (((degrees % 360) + 360) % 360) {
    case 0:
        c = 1;
        s = 0;
        return;
    case 90:
        c = 0;
        s = 1;
        return;
    case 180:
        c = -1;
        s = 0;
        return;
    case 270:
        c = 0;
        s = -1;
        return;
    default:
        break;
    }
    const double radians = degrees * std::numbers::pi / 180.0;
    c = std::cos(radians);
    s = std::sin(radians);
}

} // namespace

TextExtent MeasureText(TTrueTypeFont& font, const std::u16string& caption) {
    Extent extent;
    std::int64_t pen = 0;
    TGlyphOutline outline;
    for (const char16_t ch : caption) {
        if (!GlyphOutline(font, ch, outline))
            break;
        const TPolyPolygon contours = GlyphContours(outline);
        bool anyPoint = false;
        for (const TPolygon& contour : contours) {
            for (const FixedPoint& p : contour) {
                extent.Cover(pen + p.X, p.Y);
                anyPoint = true;
            }
        }
        const std::int64_t advance = static_cast<std::int64_t>(outline.cellIncX) * kFixedOne;
        if (!anyPoint) {
            extent.Cover(pen, 0);
            extent.Cover(pen + advance, 0);
        }
        pen += advance;
    }
    return {static_cast<double>(extent.right - extent.left) / 65536.0,
            static_cast<double>(extent.bottom - extent.top) / 65536.0};
}

TextBoxGeometry TextBox(double W, double H, int textAngle) {
    double c = 1;
    double s = 0;
    // Rotation by -textAngle: cos(-a) = cos a, sin(-a) = -sin a.
    CosSin(-textAngle, c, s);
    const double cx = W / 2;
    const double cy = H / 2;
    const auto rotate = [&](double x, double y, double& rx, double& ry) {
        rx = cx + (x - cx) * c - (y - cy) * s;
        ry = cy + (x - cx) * s + (y - cy) * c;
    };
    const double corners[4][2] = {{0, 0}, {W, 0}, {W, H}, {0, H}};
    TextBoxGeometry box;
    for (int i = 0; i < 4; ++i) {
        double rx = 0;
        double ry = 0;
        rotate(corners[i][0], corners[i][1], rx, ry);
        if (i == 0) {
            box.minX = box.maxX = rx;
            box.minY = box.maxY = ry;
        } else {
            box.minX = std::min(box.minX, rx);
            box.maxX = std::max(box.maxX, rx);
            box.minY = std::min(box.minY, ry);
            box.maxY = std::max(box.maxY, ry);
        }
        if (i == 3) {
            box.Px = rx;
            box.Py = ry;
        }
    }
    return box;
}

} // namespace tessoly
