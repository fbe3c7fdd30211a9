#include "imageio/PixelTransfer.h"

#include <array>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TESSOLY_EXPAND_SSSE3 1
#endif

namespace tessoly {

namespace {

// FreeImage's pixels are B, G, R(, A) in memory, as TColor32 is on this platform.
static_assert(FI_RGBA_BLUE == 0 && FI_RGBA_GREEN == 1 && FI_RGBA_RED == 2 && FI_RGBA_ALPHA == 3,
              "FreeImage pixel order must be BGRA");

constexpr TColor32 kOpaque = 0xFF000000u;

// Library rows are stored bottom row first: library row k is bitmap row height - 1 - k.
TColor32* TargetRow(TBitmap32& out, unsigned k) {
    return out.ScanLine(out.Height() - 1 - static_cast<int>(k));
}

void ExpandRowScalar(const unsigned char* src, TColor32* dst, int from, int width) {
    src += 3 * from;
    for (int x = from; x < width; ++x, src += 3)
        dst[x] = Color32(255u, src[FI_RGBA_RED], src[FI_RGBA_GREEN], src[FI_RGBA_BLUE]);
}

#ifdef TESSOLY_EXPAND_SSSE3
//! The same widening, four pixels a step; identical pixels (tested against the scalar route).
__attribute__((target("ssse3"))) void ExpandRowSsse3(const unsigned char* src, TColor32* dst, int width) {
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(kOpaque));
    int x = 0;
    // A 16-byte load at byte 3x stays inside the row's 3 * width bytes while x + 6 <= width.
    for (; x + 6 <= width; x += 4) {
        const __m128i packed = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 3 * x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x),
                         _mm_or_si128(_mm_shuffle_epi8(packed, spread), opaque));
    }
    ExpandRowScalar(src, dst, x, width);
}
#endif

//! Colours of the palette's entries, opaque unless keepTransparency takes the alpha of the
//! image's transparency table. Entries beyond the ones the image defines stay opaque black, so a
//! stray index in a corrupt file cannot read outside the palette.
std::array<TColor32, 256> PaletteColours(FIBITMAP* dib, bool keepTransparency) {
    std::array<TColor32, 256> colours;
    colours.fill(kOpaque);
    if (const RGBQUAD* palette = FreeImage_GetPalette(dib)) {
        const unsigned used = FreeImage_GetColorsUsed(dib) < 256 ? FreeImage_GetColorsUsed(dib) : 256;
        const BYTE* alpha = keepTransparency && FreeImage_IsTransparent(dib)
                                ? FreeImage_GetTransparencyTable(dib) : nullptr;
        const unsigned alphas = alpha ? FreeImage_GetTransparencyCount(dib) : 0;
        for (unsigned i = 0; i < used; ++i) {
            colours[i] = Color32(i < alphas ? alpha[i] : 255u, palette[i].rgbRed, palette[i].rgbGreen,
                                 palette[i].rgbBlue);
        }
    }
    return colours;
}

void TransferPalette(FIBITMAP* dib, TBitmap32& out, unsigned bpp, bool keepTransparency) {
    const std::array<TColor32, 256> colours = PaletteColours(dib, keepTransparency);
    const unsigned width = FreeImage_GetWidth(dib), height = FreeImage_GetHeight(dib);
    for (unsigned k = 0; k < height; ++k) {
        const BYTE* src = FreeImage_GetScanLine(dib, static_cast<int>(k));
        TColor32* dst = TargetRow(out, k);
        if (bpp == 8) {
            for (unsigned x = 0; x < width; ++x)
                dst[x] = colours[src[x]];
        } else if (bpp == 4) {
            // The high nibble is the left pixel.
            for (unsigned x = 0; x < width; ++x)
                dst[x] = colours[(src[x >> 1] >> ((x & 1u) ? 0 : 4)) & 0x0Fu];
        } else {
            // The most significant bit is the left pixel.
            for (unsigned x = 0; x < width; ++x)
                dst[x] = colours[(src[x >> 3] >> (7u - (x & 7u))) & 1u];
        }
    }
}

//! A field of `bits` bits widened to 0..255 as the library does it: value * 255 / maximum,
//! rounded down.
template <unsigned bits> constexpr std::array<std::uint8_t, (1u << bits)> WidenTable() {
    std::array<std::uint8_t, (1u << bits)> table{};
    for (unsigned v = 0; v < (1u << bits); ++v)
        table[v] = static_cast<std::uint8_t>(v * 0xFFu / ((1u << bits) - 1));
    return table;
}

void Transfer16(FIBITMAP* dib, TBitmap32& out) {
    static constexpr auto kFive = WidenTable<5>();
    static constexpr auto kSix = WidenTable<6>();
    // The library reads every 16-bit layout other than exactly 5-6-5 as 5-5-5.
    const bool is565 = FreeImage_GetRedMask(dib) == FI16_565_RED_MASK &&
                       FreeImage_GetGreenMask(dib) == FI16_565_GREEN_MASK &&
                       FreeImage_GetBlueMask(dib) == FI16_565_BLUE_MASK;
    const unsigned width = FreeImage_GetWidth(dib), height = FreeImage_GetHeight(dib);
    for (unsigned k = 0; k < height; ++k) {
        const BYTE* src = FreeImage_GetScanLine(dib, static_cast<int>(k));
        TColor32* dst = TargetRow(out, k);
        for (unsigned x = 0; x < width; ++x) {
            std::uint16_t v;
            std::memcpy(&v, src + 2 * x, 2);
            if (is565) {
                dst[x] = Color32(255u, kFive[(v & FI16_565_RED_MASK) >> FI16_565_RED_SHIFT],
                                 kSix[(v & FI16_565_GREEN_MASK) >> FI16_565_GREEN_SHIFT],
                                 kFive[(v & FI16_565_BLUE_MASK) >> FI16_565_BLUE_SHIFT]);
            } else {
                dst[x] = Color32(255u, kFive[(v & FI16_555_RED_MASK) >> FI16_555_RED_SHIFT],
                                 kFive[(v & FI16_555_GREEN_MASK) >> FI16_555_GREEN_SHIFT],
                                 kFive[(v & FI16_555_BLUE_MASK) >> FI16_555_BLUE_SHIFT]);
            }
        }
    }
}

void Transfer24(FIBITMAP* dib, TBitmap32& out) {
    const unsigned width = FreeImage_GetWidth(dib), height = FreeImage_GetHeight(dib);
    for (unsigned k = 0; k < height; ++k)
        ExpandRow24(FreeImage_GetScanLine(dib, static_cast<int>(k)), TargetRow(out, k),
                    static_cast<int>(width));
}

void Transfer32(FIBITMAP* dib, TBitmap32& out, bool keepAlpha) {
    const unsigned width = FreeImage_GetWidth(dib), height = FreeImage_GetHeight(dib);
    for (unsigned k = 0; k < height; ++k) {
        const BYTE* src = FreeImage_GetScanLine(dib, static_cast<int>(k));
        TColor32* dst = TargetRow(out, k);
        std::memcpy(dst, src, std::size_t(width) * 4);
        if (!keepAlpha) {
            for (unsigned x = 0; x < width; ++x)
                dst[x] |= kOpaque;
        }
    }
}

} // namespace

bool TransfersDirectly(FIBITMAP* dib) {
    if (FreeImage_GetImageType(dib) != FIT_BITMAP)
        return false;
    switch (FreeImage_GetBPP(dib)) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        return true;
    default:
        return false;
    }
}

void TransferLibraryPixels(FIBITMAP* dib, TBitmap32& out, bool keepAlpha, bool keepPaletteAlpha) noexcept {
    switch (const unsigned bpp = FreeImage_GetBPP(dib)) {
    case 1:
    case 4:
    case 8:
        TransferPalette(dib, out, bpp, keepPaletteAlpha);
        break;
    case 16:
        Transfer16(dib, out);
        break;
    case 24:
        Transfer24(dib, out);
        break;
    default:
        Transfer32(dib, out, keepAlpha);
        break;
    }
}

void ExpandRow24(const unsigned char* src, TColor32* dst, int width, bool allowVector) noexcept {
#ifdef TESSOLY_EXPAND_SSSE3
    static const bool ssse3 = __builtin_cpu_supports("ssse3");
    if (allowVector && ssse3) {
        ExpandRowSsse3(src, dst, width);
        return;
    }
#else
    (void)allowVector;
#endif
    ExpandRowScalar(src, dst, 0, width);
}

bool AnyTranslucent(const TBitmap32& bitmap) noexcept {
    const TColor32* p = bitmap.Bits();
    const std::size_t count = std::size_t(bitmap.Width()) * std::size_t(bitmap.Height());
    TColor32 all = 0xFF000000u;
    for (std::size_t i = 0; i < count; ++i)
        all &= p[i];
    return count > 0 && (all & 0xFF000000u) != 0xFF000000u;
}

} // namespace tessoly
