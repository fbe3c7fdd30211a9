#include "render/CoverageBlend.h"

#include <algorithm>

#include "render/PixelBlend.h"

namespace tessoly {

TCoverageBlender::TCoverageBlender(TColor32 colour, int samples) {
    const std::uint32_t m = AlphaOf(colour);
    for (std::uint32_t c = 0; c < table_.size(); ++c) {
        const std::uint32_t alpha =
            std::min<std::uint32_t>(CoverageToAlpha(static_cast<std::int32_t>(c), samples), 255);
        // BlendPixelEx: Fa = 0 or W = 0 leaves B unchanged, which Keep = 256 with no weight does too.
        const std::uint32_t w = alpha == 0 ? 0 : ((alpha + 1) * m) >> 8;
        const TColor32 f = (alpha << 24) | (colour & 0x00FFFFFFu);
        Entry& e = table_[c];
        e.RedBlue = (f & 0x00FF00FFu) * w + 0x00800080u;
        e.AlphaGreen = ((f >> 8) & 0x00FF00FFu) * w + 0x00800080u;
        e.Keep = 256 - w;
    }
}

void TCoverageBlender::BlendRow(TColor32* dst, const std::int32_t* coverage, int count) const {
    for (int i = 0; i < count; ++i) {
        // Text rows are mostly gaps and full runs: skipping the gaps outright is cheaper than
        // blending them with a zero weight.
        if (coverage[i] == 0)
            continue;
        const Entry& e = table_[static_cast<std::uint32_t>(coverage[i]) & 0xFFu];
        const TColor32 b = dst[i];
        const std::uint32_t rb = (((b & 0x00FF00FFu) * e.Keep + e.RedBlue) >> 8) & 0x00FF00FFu;
        const std::uint32_t ag = (((b >> 8) & 0x00FF00FFu) * e.Keep + e.AlphaGreen) & 0xFF00FF00u;
        dst[i] = rb | ag;
    }
}

void BlendCoverageRowReference(TColor32* dst, const std::int32_t* coverage, int count, TColor32 colour,
                               int samples) {
    const std::uint32_t m = AlphaOf(colour);
    for (int i = 0; i < count; ++i) {
        if (coverage[i] == 0)
            continue;
        const TColor32 pixel = (CoverageToAlpha(coverage[i], samples) << 24) | (colour & 0x00FFFFFFu);
        dst[i] = BlendPixelEx(pixel, dst[i], m);
    }
}

} // namespace tessoly
