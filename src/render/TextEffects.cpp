// ShadowTrail and Emboss3D.
//
// A trail draws every contour n = max(|dx|, |dy|) times as a closed one-pixel line, each time one
// step of (dx, dy) / n further and fainter; the fade runs in a 32-bit float, whose rounding
// decides the faded alphas. Contours are trailed one after the other, each through all its steps.
//
// The emboss keeps a copy of the destination, draws a dark trail up-left and a light trail
// down-right over it, then merges the copy back with the weight 255 - mask, where the mask is the
// filled glyphs with their anti-aliased edges knocked out. Everything outside EmbossRegion is
// untouched by the trails and has mask 0, so the mask, the copy and the merge are confined to that
// region; a full-frame pass would give the same pixels.
//
// Merging a pixel over itself is not an identity for translucent pixels: straight-alpha "over"
// raises the alpha (128 becomes 192). So the merge is skipped where the trails left the pixel as
// it was. Opaque pixels come out as the plain merge would give them; translucent backgrounds keep
// their alpha, and an invisible (alpha 0) watermark changes nothing.

#include "render/TextEffects.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "render/LineStroke.h"
#include "render/PixelBlend.h"
#include "render/PolygonFill.h"

namespace tessoly {

namespace {

constexpr float kTrailFade = 0.05f;
//! Pixels beyond the trail that an anti-aliased line may still touch, with room to spare.
constexpr int kLineMargin = 3;

TFixed TranslateSaturated(TFixed v, std::int64_t by) {
    const std::int64_t r = static_cast<std::int64_t>(v) + by;
    if (r > std::numeric_limits<TFixed>::max())
        return std::numeric_limits<TFixed>::max();
    if (r < std::numeric_limits<TFixed>::min())
        return std::numeric_limits<TFixed>::min();
    return static_cast<TFixed>(r);
}

TPolygon Translated(const TPolygon& contour, std::int64_t dx, std::int64_t dy) {
    TPolygon out;
    out.reserve(contour.size());
    for (const FixedPoint& p : contour)
        out.push_back({TranslateSaturated(p.X, dx), TranslateSaturated(p.Y, dy)});
    return out;
}

std::int64_t FloorToPixel(TFixed v) {
    return static_cast<std::int64_t>(v) >> 16;
}

} // namespace

std::vector<int> TrailAlphas(int a0, int dx, int dy) {
    const int n = std::max(std::abs(dx), std::abs(dy));
    std::vector<int> alphas;
    if (n <= 0)
        return alphas;
    const float q = std::pow(kTrailFade, 1.0f / static_cast<float>(n));
    const float d = static_cast<float>(a0) * kTrailFade / static_cast<float>(n);
    float a = static_cast<float>(a0);
    int current = a0;
    for (int i = 0; i < n; ++i) {
        alphas.push_back(std::clamp(current, 0, 255));
        a *= q;
        current = static_cast<int>(std::nearbyint(a - d * static_cast<float>(i + 1)));
    }
    return alphas;
}

void ShadowTrail(TBitmap32& dst, const TPolyPolygon& contours, int dx, int dy, TColor32 colour) {
    const int n = std::max(std::abs(dx), std::abs(dy));
    if (n <= 0 || dst.Empty())
        return;
    const std::vector<int> alphas = TrailAlphas(static_cast<int>(AlphaOf(colour)), dx, dy);
    const TFixed stepX = FixedFromReal(static_cast<double>(dx) / n);
    const TFixed stepY = FixedFromReal(static_cast<double>(dy) / n);
    for (const TPolygon& contour : contours) {
        for (int i = 0; i < n; ++i) {
            const TColor32 c = SetAlpha(colour, alphas[static_cast<std::size_t>(i)]);
            if (i == 0) {
                AaPolyline(dst, contour, true, c);
            } else {
                AaPolyline(dst, Translated(contour, std::int64_t(stepX) * i, std::int64_t(stepY) * i), true,
                           c);
            }
        }
    }
}

void GlyphMask(const TPolyPolygon& contours, const TRect& region, TBitmap32& mask) {
    mask.SetSize(region.Width(), region.Height());
    mask.Clear(0);
    if (mask.Empty())
        return;
    TPolyPolygon local;
    local.reserve(contours.size());
    const std::int64_t byX = -static_cast<std::int64_t>(region.left) * kFixedOne;
    const std::int64_t byY = -static_cast<std::int64_t>(region.top) * kFixedOne;
    for (const TPolygon& contour : contours)
        local.push_back(Translated(contour, byX, byY));
    FillPolyPolygon(mask, local, 0xFFFFFFFFu, TPolyFillMode::pfAlternate, 16);
    for (const TPolygon& contour : local)
        AaPolyline(mask, contour, true, 0xFF000000u);
}

TRect EmbossRegion(const TPolyPolygon& contours, int dx, int dy, int width, int height) {
    std::int64_t left = std::numeric_limits<std::int64_t>::max();
    std::int64_t top = left;
    std::int64_t right = std::numeric_limits<std::int64_t>::min();
    std::int64_t bottom = right;
    for (const TPolygon& contour : contours) {
        for (const FixedPoint& p : contour) {
            left = std::min(left, FloorToPixel(p.X));
            right = std::max(right, FloorToPixel(p.X));
            top = std::min(top, FloorToPixel(p.Y));
            bottom = std::max(bottom, FloorToPixel(p.Y));
        }
    }
    if (left > right)
        return {};
    // The trails reach (n - 1) steps of at most one pixel either way; a line touches the pixel
    // after its sample too.
    const std::int64_t grow = std::max(std::abs(dx), std::abs(dy)) + kLineMargin;
    TRect r;
    r.left = static_cast<int>(std::clamp<std::int64_t>(left - grow, 0, width));
    r.right = static_cast<int>(std::clamp<std::int64_t>(right + 1 + grow, 0, width));
    r.top = static_cast<int>(std::clamp<std::int64_t>(top - grow, 0, height));
    r.bottom = static_cast<int>(std::clamp<std::int64_t>(bottom + 1 + grow, 0, height));
    if (r.left >= r.right || r.top >= r.bottom)
        return {};
    return r;
}

void EmbossRestoreRow(const TColor32* copy, const TColor32* mask, TColor32* row, int count) {
    for (int i = 0; i < count; ++i) {
        if (row[i] == copy[i])
            continue;
        const std::uint32_t w = 255 - BlueOf(mask[i]);
        row[i] = MergePixelEx(copy[i], row[i], w);
    }
}

void Emboss3D(TBitmap32& dst, const TPolyPolygon& contours, int dx, int dy, TColor32 light, TColor32 dark) {
    const TRect region = EmbossRegion(contours, dx, dy, dst.Width(), dst.Height());
    if (region.Width() <= 0 || region.Height() <= 0)
        return;

    const int w = region.Width();
    TBitmap32 copy(w, region.Height());
    for (int y = 0; y < region.Height(); ++y) {
        std::memcpy(copy.ScanLine(y), dst.ScanLine(region.top + y) + region.left,
                    static_cast<std::size_t>(w) * sizeof(TColor32));
    }
    TBitmap32 mask;
    GlyphMask(contours, region, mask);

    ShadowTrail(dst, contours, -dx, -dy, dark);
    ShadowTrail(dst, contours, dx, dy, light);

    for (int y = 0; y < region.Height(); ++y) {
        EmbossRestoreRow(copy.ScanLine(y), mask.ScanLine(y), dst.ScanLine(region.top + y) + region.left, w);
    }
}

} // namespace tessoly
