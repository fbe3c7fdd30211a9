#pragma once
// The exact pixel arithmetic: source-over blends with and without a master alpha, and the merge
// that respects the destination's alpha. Scalar per-pixel forms plus whole-row loops; the row
// loops must give exactly what the scalar forms give.

#include <cstdint>

#include "render/Color32.h"

namespace tessoly {

//! F over B with F's alpha; alpha blended like the colour channels.
inline TColor32 BlendPixel(TColor32 f, TColor32 b) {
    const std::uint32_t fa = AlphaOf(f);
    if (fa == 0) return b;
    if (fa == 255) return f;
    const std::uint32_t ba = 256 - fa;
    // Two channels at a time: bytes 0 and 2, then 1 and 3; each product fits in 16 bits + 8.
    const std::uint32_t rb = (((f & 0x00FF00FFu) * fa + (b & 0x00FF00FFu) * ba + 0x00800080u) >> 8) & 0x00FF00FFu;
    const std::uint32_t ag = ((((f >> 8) & 0x00FF00FFu) * fa + ((b >> 8) & 0x00FF00FFu) * ba + 0x00800080u)) & 0xFF00FF00u;
    return rb | ag;
}

//! F over B with weight W = ((Fa + 1) * M) >> 8; no copy shortcut at W = 255.
inline TColor32 BlendPixelEx(TColor32 f, TColor32 b, std::uint32_t m) {
    const std::uint32_t fa = AlphaOf(f);
    if (fa == 0) return b;
    const std::uint32_t w = ((fa + 1) * m) >> 8;
    if (w == 0) return b;
    const std::uint32_t bw = 256 - w;
    const std::uint32_t rb = (((f & 0x00FF00FFu) * w + (b & 0x00FF00FFu) * bw + 0x00800080u) >> 8) & 0x00FF00FFu;
    const std::uint32_t ag = ((((f >> 8) & 0x00FF00FFu) * w + ((b >> 8) & 0x00FF00FFu) * bw + 0x00800080u)) & 0xFF00FF00u;
    return rb | ag;
}

//! Straight-alpha "over" that respects B's alpha.
TColor32 MergePixel(TColor32 f, TColor32 b);
//! MergePixel with F's alpha replaced by round(M * Fa / 255).
TColor32 MergePixelEx(TColor32 f, TColor32 b, std::uint32_t m);

//! Row forms: dst[i] = op(src[i], dst[i]) for i in [0, count).
void BlendRow(const TColor32* src, TColor32* dst, int count);
void BlendRowEx(const TColor32* src, TColor32* dst, int count, std::uint32_t m);
void MergeRowEx(const TColor32* src, TColor32* dst, int count, std::uint32_t m);

} // namespace tessoly
