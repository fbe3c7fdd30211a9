#include "render/PixelBlend.h"

#include <cmath>

namespace tessoly {

TColor32 MergePixel(TColor32 f, TColor32 b) {
    const std::uint32_t fa = AlphaOf(f);
    if (fa == 0)
        return b;
    const std::uint32_t ba = AlphaOf(b);
    if (ba == 255) {
        // BlendPixel's colour arithmetic with weight Fa, even at Fa = 255, and an opaque result.
        const std::uint32_t w = 256 - fa;
        const std::uint32_t r = (RedOf(f) * fa + RedOf(b) * w + 128) >> 8;
        const std::uint32_t g = (GreenOf(f) * fa + GreenOf(b) * w + 128) >> 8;
        const std::uint32_t bl = (BlueOf(f) * fa + BlueOf(b) * w + 128) >> 8;
        return Color32(255, r, g, bl);
    }
    if (fa == 255 || ba == 0)
        return f;
    // Both alphas strictly inside (0, 255): straight-alpha over, rounded to nearest.
    const std::uint32_t ra = 255 - ((255 - fa) * (255 - ba) + 127) / 255;
    const std::uint32_t w = (fa * 255 + ra / 2) / ra;
    const auto mix = [w](std::uint32_t fc, std::uint32_t bc) {
        return (w * fc + (255 - w) * bc + 127) / 255;
    };
    return Color32(ra, mix(RedOf(f), RedOf(b)), mix(GreenOf(f), GreenOf(b)), mix(BlueOf(f), BlueOf(b)));
}

TColor32 MergePixelEx(TColor32 f, TColor32 b, std::uint32_t m) {
    // round(M * Fa / 255): 2 * M * Fa is even and 255 odd, so no quotient ends in .5 and adding a
    // half before the integer division is exact.
    const std::uint32_t a = (m * AlphaOf(f) * 2 + 255) / 510;
    return MergePixel(SetAlpha(f, static_cast<int>(a)), b);
}

void BlendRow(const TColor32* src, TColor32* dst, int count) {
    for (int i = 0; i < count; ++i)
        dst[i] = BlendPixel(src[i], dst[i]);
}

void BlendRowEx(const TColor32* src, TColor32* dst, int count, std::uint32_t m) {
    for (int i = 0; i < count; ++i)
        dst[i] = BlendPixelEx(src[i], dst[i], m);
}

void MergeRowEx(const TColor32* src, TColor32* dst, int count, std::uint32_t m) {
    for (int i = 0; i < count; ++i)
        dst[i] = MergePixelEx(src[i], dst[i], m);
}

} // namespace tessoly
