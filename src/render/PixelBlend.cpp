#include "render/PixelBlend.h"

#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

namespace {

#if defined(__SSE2__)
// Four pixels at a time in 16-bit lanes. The rows give exactly what the scalar forms give:
// F.c * W + B.c * (256 - W) + 128 <= 255 * 256 + 128 fits an unsigned 16-bit lane, and W = 0 (the
// Fa = 0 and small-weight cases of BlendPixelEx) reproduces B exactly, (B.c * 256 + 128) >> 8 = B.c.

// Weights of four pixels, one per 32-bit lane (0..256), spread over the four 16-bit channel lanes of
// the low two and the high two pixels.
inline void SpreadWeights(__m128i w, __m128i& lo, __m128i& hi) {
    const __m128i both = _mm_or_si128(w, _mm_slli_epi32(w, 16));
    lo = _mm_unpacklo_epi32(both, both);
    hi = _mm_unpackhi_epi32(both, both);
}

inline __m128i BlendWeighted4(__m128i f, __m128i b, __m128i w) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i full = _mm_set1_epi16(256);
    const __m128i half = _mm_set1_epi16(128);
    __m128i wLo, wHi;
    SpreadWeights(w, wLo, wHi);
    const __m128i lo = _mm_srli_epi16(
        _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(f, zero), wLo),
                                    _mm_mullo_epi16(_mm_unpacklo_epi8(b, zero), _mm_sub_epi16(full, wLo))),
                      half),
        8);
    const __m128i hi = _mm_srli_epi16(
        _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(f, zero), wHi),
                                    _mm_mullo_epi16(_mm_unpackhi_epi8(b, zero), _mm_sub_epi16(full, wHi))),
                      half),
        8);
    return _mm_packus_epi16(lo, hi);
}
#endif

} // namespace

void BlendRow(const TColor32* src, TColor32* dst, int count) {
    int i = 0;
#if defined(__SSE2__)
    const __m128i opaque = _mm_set1_epi32(255);
    for (; i + 4 <= count; i += 4) {
        const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
        const __m128i fa = _mm_srli_epi32(f, 24);
        // Weight Fa (0 keeps B), and an exact copy where Fa = 255.
        const __m128i mixed = BlendWeighted4(f, b, fa);
        const __m128i copy = _mm_cmpeq_epi32(fa, opaque);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i),
                         _mm_or_si128(_mm_and_si128(copy, f), _mm_andnot_si128(copy, mixed)));
    }
#endif
    for (; i < count; ++i)
        dst[i] = BlendPixel(src[i], dst[i]);
}

void BlendRowEx(const TColor32* src, TColor32* dst, int count, std::uint32_t m) {
    int i = 0;
#if defined(__SSE2__)
    // For M <= 255, Fa = 0 gives W = M >> 8 = 0, so the formula alone covers every case.
    if (m <= 255) {
        const __m128i mv = _mm_set1_epi32(static_cast<int>(m));
        const __m128i one = _mm_set1_epi32(1);
        for (; i + 4 <= count; i += 4) {
            const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
            // (Fa + 1) * M <= 256 * 255 fits the low 16 bits of each 32-bit lane.
            const __m128i w =
                _mm_srli_epi32(_mm_mullo_epi16(_mm_add_epi32(_mm_srli_epi32(f, 24), one), mv), 8);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), BlendWeighted4(f, b, w));
        }
    }
#endif
    for (; i < count; ++i)
        dst[i] = BlendPixelEx(src[i], dst[i], m);
}

void MergeRowEx(const TColor32* src, TColor32* dst, int count, std::uint32_t m) {
    for (int i = 0; i < count; ++i)
        dst[i] = MergePixelEx(src[i], dst[i], m);
}

} // namespace tessoly
