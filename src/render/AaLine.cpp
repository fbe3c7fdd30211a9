// Thin anti-aliased lines: a one-pixel line drawn as a row of point samples.
//
// Both end points move by 127/65536 pixel first. Along a segment of length L the samples sit at
// distances 0, 1, ..., floor(L) - 1 from p1; one more sample, one pixel before p2 (at p1 when L < 1),
// carries the colour with its alpha scaled by the fractional part of L. A sample at (x, y) with
// fractions fx, fy in 1/256 pixel is spread over its 2 x 2 pixels with weights
// (255 - fx)(255 - fy), fx(255 - fy), (255 - fx)fy and fx.fy, each >> 8, and every pixel gets
// BlendPixelEx of the colour at that weight as master alpha. Pixels outside the bitmap are skipped.
// Lengths are measured in 16.16 units: a segment shorter than 1/256 pixel draws nothing.

#include <cmath>

#include "render/LineStroke.h"
#include "render/PixelBlend.h"

namespace tessoly {

namespace {

// Sub-pixel offset both end points get [fixed units].
constexpr std::int64_t kEndShift = 127;

void Deposit(TBitmap32& dst, std::int64_t x, std::int64_t y, TColor32 colour) {
    const std::int64_t px = x >> 16, py = y >> 16; // floor, also for negative positions
    const int width = dst.Width(), height = dst.Height();
    if (px < -1 || py < -1 || px >= width || py >= height)
        return;
    const std::uint32_t fx = static_cast<std::uint32_t>(x >> 8) & 0xFFu;
    const std::uint32_t fy = static_cast<std::uint32_t>(y >> 8) & 0xFFu;
    const std::uint32_t w00 = ((255 - fx) * (255 - fy)) >> 8, w10 = (fx * (255 - fy)) >> 8;
    const std::uint32_t w01 = ((255 - fx) * fy) >> 8, w11 = (fx * fy) >> 8;
    const int ix = static_cast<int>(px), iy = static_cast<int>(py);
    if (ix >= 0 && iy >= 0 && ix + 1 < width && iy + 1 < height) {
        // The usual case: all four pixels inside, no further checks.
        TColor32* top = dst.ScanLine(iy) + ix;
        TColor32* bottom = dst.ScanLine(iy + 1) + ix;
        top[0] = BlendPixelEx(colour, top[0], w00);
        top[1] = BlendPixelEx(colour, top[1], w10);
        bottom[0] = BlendPixelEx(colour, bottom[0], w01);
        bottom[1] = BlendPixelEx(colour, bottom[1], w11);
        return;
    }
    const std::uint32_t weights[2][2] = {{w00, w10}, {w01, w11}};
    for (int j = 0; j < 2; ++j) {
        const int yy = iy + j;
        if (yy < 0 || yy >= height)
            continue;
        TColor32* row = dst.ScanLine(yy);
        for (int i = 0; i < 2; ++i) {
            const int xx = ix + i;
            if (xx < 0 || xx >= width)
                continue;
            row[xx] = BlendPixelEx(colour, row[xx], weights[j][i]);
        }
    }
}

} // namespace

void AaLine(TBitmap32& dst, FixedPoint p1, FixedPoint p2, TColor32 colour) {
    if (dst.Empty() || AlphaOf(colour) == 0)
        return;
    const std::int64_t x1 = std::int64_t(p1.X) + kEndShift, y1 = std::int64_t(p1.Y) + kEndShift;
    const std::int64_t x2 = std::int64_t(p2.X) + kEndShift, y2 = std::int64_t(p2.Y) + kEndShift;
    const double dx = double(x2 - x1), dy = double(y2 - y1);
    // Length in 1/65536 pixel: whole pixels in the high bits, the fraction in the low 16.
    const std::int64_t length = static_cast<std::int64_t>(std::sqrt(dx * dx + dy * dy) + 0.5);
    if (length < 256)
        return;
    const std::int64_t whole = length >> 16;
    const std::uint32_t fraction = static_cast<std::uint32_t>(length & 0xFFFF);
    // One pixel along the segment in 1/2^32 pixel: sample k sits at p1 + round(k * step / 2^16).
    // k * step stays below 2^17 pixels * 2^32, far inside 64 bits.
    const std::int64_t stepX = static_cast<std::int64_t>(std::nearbyint(dx * 4294967296.0 / double(length)));
    const std::int64_t stepY = static_cast<std::int64_t>(std::nearbyint(dy * 4294967296.0 / double(length)));
    constexpr std::int64_t kHalf = std::int64_t(1) << 15;

    std::int64_t offX = kHalf, offY = kHalf;
    for (std::int64_t k = 0; k < whole; ++k) {
        Deposit(dst, x1 + (offX >> 16), y1 + (offY >> 16), colour);
        offX += stepX;
        offY += stepY;
    }
    const std::uint32_t alpha = (AlphaOf(colour) * fraction) >> 16;
    if (alpha == 0)
        return;
    const TColor32 last = SetAlpha(colour, static_cast<int>(alpha));
    if (whole == 0) {
        Deposit(dst, x1, y1, last);
    } else {
        Deposit(dst, x2 - ((stepX + kHalf) >> 16), y2 - ((stepY + kHalf) >> 16), last);
    }
}

void AaPolyline(TBitmap32& dst, const TPolygon& points, bool closed, TColor32 colour) {
    for (std::size_t i = 0; i + 1 < points.size(); ++i)
        AaLine(dst, points[i], points[i + 1], colour);
    if (closed && points.size() >= 2)
        AaLine(dst, points.back(), points.front(), colour);
}

} // namespace tessoly
