#pragma once
// The blend step of the polygon filler: turns a row of coverage into pixels of one colour and
// blends them onto a destination row. A pixel of coverage c becomes (alpha << 24) | colour's RGB with
// alpha = (K * c) >> 8 (K = 1167 for S = 8, 273 for S = 16, so a full pixel gives 255) and is written
// with BlendPixelEx at M = the colour's own alpha. Zero coverage leaves the pixel as it was.

#include <array>
#include <cstdint>

#include "render/Color32.h"

namespace tessoly {

//! K of the coverage-to-alpha conversion for S sub-scanlines (8 or 16).
constexpr std::uint32_t CoverageScale(int samples) {
    return samples == 8 ? 1167u : 273u;
}
//! alpha = (K * coverage) >> 8, for coverage 0..S*(S-1).
constexpr std::uint32_t CoverageToAlpha(std::int32_t coverage, int samples) {
    return (CoverageScale(samples) * static_cast<std::uint32_t>(coverage)) >> 8;
}

//! The fast blend: one table entry per coverage value holds the colour's weighted channels, so a
//! pixel costs two multiplies and no branches. Gives exactly what the reference gives.
class TCoverageBlender {
public:
    TCoverageBlender(TColor32 colour, int samples);
    //! dst[i] gets the colour at coverage[i], for i in [0, count).
    void BlendRow(TColor32* dst, const std::int32_t* coverage, int count) const;

private:
    //! BlendPixelEx(F, B, M) of the pixel F for one coverage value, as B * Keep + weighted F.
    struct Entry {
        std::uint32_t RedBlue = 0;    //!< F's red and blue times W, plus the rounding 0x80 per channel.
        std::uint32_t AlphaGreen = 0; //!< F's alpha and green (shifted down 8) times W, plus rounding.
        std::uint32_t Keep = 256;     //!< 256 - W; 256 (W = 0) leaves B exactly as it was.
    };
    //! Indexed by coverage & 0xFF; coverage never exceeds 240.
    std::array<Entry, 256> table_{};
};

//! Plain scalar reference: builds the colour row pixel by pixel and blends it with BlendPixelEx.
void BlendCoverageRowReference(TColor32* dst, const std::int32_t* coverage, int count, TColor32 colour,
                               int samples);

} // namespace tessoly
