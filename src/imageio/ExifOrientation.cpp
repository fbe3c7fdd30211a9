// Turning a stored picture upright by its Exif orientation. Where stored pixel (sx, sy) of a
// W x H picture goes:
//   1 (sx, sy)            2 (W-1-sx, sy)          3 (W-1-sx, H-1-sy)      4 (sx, H-1-sy)
//   5 (sy, sx)            6 (H-1-sy, sx)          7 (H-1-sy, W-1-sx)      8 (sy, W-1-sx)
// 1..4 keep every stored row a row (copied or reversed); 5..8 make it a column. A column written
// pixel by pixel touches one cache line per pixel, so the quarter turns go through square tiles:
// a tile's stored rows are read while they are in the first-level cache and every upright row
// gets a run of kTile consecutive pixels. Inside a tile, blocks of 4 x 4 pixels are turned in
// vector registers; the runs go out as streaming stores (whole cache lines, since bitmap rows
// start on one, and no read of lines about to be overwritten), and the next tile's stored bytes
// are prefetched, as 32 rows read side by side are more streams than the hardware follows.
// The quarter turns of a 24-bit photo read the library's rows directly, widening each block to
// 32 bits in registers, so the photo's pixels are read once, as in an unturned decode.

#include "imageio/ExifOrientation.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include "imageio/PixelTransfer.h"

namespace tessoly {

namespace {

//! Side of a transpose tile [pixels]: 32 pixels are two cache lines of an upright row.
constexpr int kTile = 32;

//! Stored rows of orientations 1..4: each becomes one upright row, reversed for 2 and 3.
void PlaceRowsKeepingAxes(const TColor32* rows, int width, int height, int firstRow, int rowCount,
                          int orientation, TBitmap32& upright) {
    const bool reverse = orientation == 2 || orientation == 3;
    const bool flip = orientation == 3 || orientation == 4;
    for (int k = 0; k < rowCount; ++k) {
        const int sy = firstRow + k;
        const TColor32* src = rows + std::size_t(k) * width;
        TColor32* dst = upright.ScanLine(flip ? height - 1 - sy : sy);
        if (reverse)
            std::reverse_copy(src, src + width, dst);
        else
            std::memcpy(dst, src, std::size_t(width) * sizeof(TColor32));
    }
}

//! Where the tile's pixels go for orientations 5..8: stored column sx becomes upright row sx (5, 6)
//! or W-1-sx (7, 8); stored row sy becomes upright column sy (5, 8) or H-1-sy (6, 7).
struct SwapTarget {
    TBitmap32& upright;
    int width, height;
    bool mirrorRows, mirrorColumns;
    TColor32* Row(int sx) const { return upright.ScanLine(mirrorRows ? width - 1 - sx : sx); }
    //! The upright column of the first of n stored rows from sy, whose run goes left to right.
    int Column(int sy, int n) const { return mirrorColumns ? height - sy - n : sy; }
};

//! One stored pixel at a time: the tile's edges, and processors without vector registers.
void PlacePixels(const TColor32* rows, int width, int firstRow, int k0, int kEnd, int x0, int xEnd,
                 const SwapTarget& to) {
    for (int sx = x0; sx < xEnd; ++sx) {
        TColor32* dst = to.Row(sx);
        const TColor32* src = rows + std::size_t(k0) * width + sx;
        for (int k = k0; k < kEnd; ++k, src += width)
            dst[to.mirrorColumns ? to.height - 1 - (firstRow + k) : firstRow + k] = *src;
    }
}

#if defined(__SSE2__)
//! Four stored rows of four pixels, from (sx, sy), turned in registers into four upright runs.
inline void StoreTurned4(__m128i r0, __m128i r1, __m128i r2, __m128i r3, int sy, int sx, const SwapTarget& to) {
    const __m128i t0 = _mm_unpacklo_epi32(r0, r1), t1 = _mm_unpacklo_epi32(r2, r3);
    const __m128i t2 = _mm_unpackhi_epi32(r0, r1), t3 = _mm_unpackhi_epi32(r2, r3);
    const __m128i c[4] = {_mm_unpacklo_epi64(t0, t1), _mm_unpackhi_epi64(t0, t1), _mm_unpacklo_epi64(t2, t3),
                          _mm_unpackhi_epi64(t2, t3)};
    const int column = to.Column(sy, 4);
    for (int j = 0; j < 4; ++j) {
        const __m128i run = to.mirrorColumns ? _mm_shuffle_epi32(c[j], _MM_SHUFFLE(0, 1, 2, 3)) : c[j];
        __m128i* at = reinterpret_cast<__m128i*>(to.Row(sx + j) + column);
        if ((reinterpret_cast<std::uintptr_t>(at) & 15u) == 0)
            _mm_stream_si128(at, run);
        else
            _mm_storeu_si128(at, run);
    }
}

//! A 4 x 4 block of 32-bit stored pixels.
inline void PlaceBlock4(const TColor32* src, int width, int sy, int sx, const SwapTarget& to) {
    const std::size_t w = static_cast<std::size_t>(width);
    StoreTurned4(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src)),
                 _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + w)),
                 _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 2 * w)),
                 _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 3 * w)), sy, sx, to);
}
#endif

#if defined(__x86_64__) || defined(__i386__)
#define TESSOLY_TURN24_SSSE3 1
//! Four 3-byte pixels at p as four opaque 32-bit ones; reads 16 bytes.
__attribute__((target("ssse3"))) inline __m128i Widen4(const BYTE* p) {
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    return _mm_or_si128(_mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), spread), opaque);
}

//! A library image of 3-byte pixels turned for orientations 5..8 straight from its rows, each
//! block of four stored rows of four pixels widened to opaque 32 bits and turned in registers:
//! the photo's pixels are read once and no 32-bit copy of them is made first.
__attribute__((target("ssse3"))) void TurnRows24(FIBITMAP* dib, const SwapTarget& to) {
    const int width = to.width, height = to.height;
    const BYTE* bits = FreeImage_GetBits(dib);
    const std::ptrdiff_t pitch = static_cast<std::ptrdiff_t>(FreeImage_GetPitch(dib));
    // Library rows are stored bottom row first.
    const auto storedRow = [&](int sy) { return bits + pitch * (height - 1 - sy); };
    const auto placePixel = [&](int sx, int sy) {
        const BYTE* p = storedRow(sy) + 3 * sx;
        to.Row(sx)[to.mirrorColumns ? height - 1 - sy : sy] =
            Color32(255u, p[FI_RGBA_RED], p[FI_RGBA_GREEN], p[FI_RGBA_BLUE]);
    };
    // A 16-byte load at byte 3 sx stays inside the row's 3 width bytes while sx + 6 <= width.
    const int xVector = width >= 6 ? (width - 6) / 4 * 4 + 4 : 0;
    for (int k0 = 0; k0 < height; k0 += kTile) {
        const int kEnd = std::min(height, k0 + kTile);
        const int kBlocks = k0 + (kEnd - k0) / 4 * 4;
        for (int x0 = 0; x0 < width; x0 += kTile) {
            const int xEnd = std::min(width, x0 + kTile);
            // 32 rows read side by side are more streams than the hardware prefetcher follows:
            // the next tile's bytes are asked for while this one is turned.
            if (xEnd < width) {
                for (int sy = k0; sy < kEnd; ++sy) {
                    const char* next = reinterpret_cast<const char*>(storedRow(sy) + 3 * std::ptrdiff_t(xEnd));
                    _mm_prefetch(next, _MM_HINT_T0);
                    _mm_prefetch(next + 64, _MM_HINT_T0);
                }
            }
            const int xBlocks = std::max(x0, std::min(xEnd, xVector));
            for (int sx = x0; sx < xBlocks; sx += 4) {
                for (int sy = k0; sy < kBlocks; sy += 4) {
                    const BYTE* r0 = storedRow(sy) + 3 * sx;
                    StoreTurned4(Widen4(r0), Widen4(r0 - pitch), Widen4(r0 - 2 * pitch), Widen4(r0 - 3 * pitch), sy,
                                 sx, to);
                }
            }
            for (int sy = k0; sy < kBlocks; sy += 4) {
                for (int sx = xBlocks; sx < xEnd; ++sx)
                    for (int k = 0; k < 4; ++k)
                        placePixel(sx, sy + k);
            }
            for (int sy = kBlocks; sy < kEnd; ++sy)
                for (int sx = x0; sx < xEnd; ++sx)
                    placePixel(sx, sy);
        }
    }
    // Streaming stores are ordered with other memory operations only by a fence.
    _mm_sfence();
}
#endif

//! Stored rows of orientations 5..8, tile by tile.
void PlaceRowsSwappingAxes(const TColor32* rows, int width, int height, int firstRow, int rowCount,
                           int orientation, TBitmap32& upright) {
    const SwapTarget to{upright, width, height, orientation == 7 || orientation == 8,
                        orientation == 6 || orientation == 7};
    for (int k0 = 0; k0 < rowCount; k0 += kTile) {
        const int kEnd = std::min(rowCount, k0 + kTile);
        for (int x0 = 0; x0 < width; x0 += kTile) {
            const int xEnd = std::min(width, x0 + kTile);
#if defined(__SSE2__)
            const int kBlocks = k0 + (kEnd - k0) / 4 * 4, xBlocks = x0 + (xEnd - x0) / 4 * 4;
            // Column blocks outside: each upright run is written whole before the next begins.
            for (int sx = x0; sx < xBlocks; sx += 4)
                for (int k = k0; k < kBlocks; k += 4)
                    PlaceBlock4(rows + std::size_t(k) * width + sx, width, firstRow + k, sx, to);
            PlacePixels(rows, width, firstRow, k0, kBlocks, xBlocks, xEnd, to);
            PlacePixels(rows, width, firstRow, kBlocks, kEnd, x0, xEnd, to);
#else
            PlacePixels(rows, width, firstRow, k0, kEnd, x0, xEnd, to);
#endif
        }
    }
#if defined(__SSE2__)
    _mm_sfence();
#endif
}

} // namespace

int ExifOrientation(FIBITMAP* dib) {
    FITAG* tag = nullptr;
    if (dib == nullptr || !FreeImage_GetMetadata(FIMD_EXIF_MAIN, dib, "Orientation", &tag) || tag == nullptr)
        return 1;
    if (FreeImage_GetTagType(tag) != FIDT_SHORT || FreeImage_GetTagCount(tag) < 1 ||
        FreeImage_GetTagValue(tag) == nullptr) {
        return 1;
    }
    WORD value = 0;
    std::memcpy(&value, FreeImage_GetTagValue(tag), sizeof value);
    return value >= 1 && value <= 8 ? value : 1;
}

void UprightSize(int orientation, unsigned& width, unsigned& height) {
    if (OrientationSwapsAxes(orientation))
        std::swap(width, height);
}

void ViewedSize(FIBITMAP* dib, bool applyOrientation, unsigned& width, unsigned& height) {
    width = FreeImage_GetWidth(dib);
    height = FreeImage_GetHeight(dib);
    if (applyOrientation)
        UprightSize(ExifOrientation(dib), width, height);
}

void PlaceStoredRows(const TColor32* rows, int storedWidth, int storedHeight, int firstRow, int rowCount,
                     int orientation, TBitmap32& upright) noexcept {
    if (OrientationSwapsAxes(orientation))
        PlaceRowsSwappingAxes(rows, storedWidth, storedHeight, firstRow, rowCount, orientation, upright);
    else
        PlaceRowsKeepingAxes(rows, storedWidth, storedHeight, firstRow, rowCount, orientation, upright);
}

void OrientUpright(const TBitmap32& stored, int orientation, TBitmap32& upright) {
    unsigned w = static_cast<unsigned>(stored.Width()), h = static_cast<unsigned>(stored.Height());
    UprightSize(orientation, w, h);
    upright.SetSizeForOverwrite(static_cast<int>(w), static_cast<int>(h));
    PlaceStoredRows(stored.Bits(), stored.Width(), stored.Height(), 0, stored.Height(), orientation, upright);
}

bool UprightTransfer::Prepare(FIBITMAP* dib, int orientation) {
    dib_ = dib;
    orientation_ = orientation;
    bands_.clear();
#ifdef TESSOLY_TURN24_SSSE3
    static const bool ssse3 = __builtin_cpu_supports("ssse3");
    direct24_ = ssse3 && OrientationSwapsAxes(orientation) && FreeImage_GetBPP(dib) == 24;
    if (direct24_)
        return true;
#endif
    const unsigned width = FreeImage_GetWidth(dib), height = FreeImage_GetHeight(dib);
    try {
        for (unsigned top = 0; top < height; top += kBandRows) {
            const unsigned bottom = std::min(height, top + unsigned(kBandRows));
            FreeImagePtr view(FreeImage_CreateView(dib, 0, top, width, bottom));
            if (!view)
                return false;
            // A band takes the palette's transparency with it, for a decode that keeps it.
            if (FreeImage_IsTransparent(dib) && FreeImage_GetTransparencyCount(dib) > 0) {
                FreeImage_SetTransparencyTable(view.get(), FreeImage_GetTransparencyTable(dib),
                                               static_cast<int>(FreeImage_GetTransparencyCount(dib)));
            }
            bands_.push_back(std::move(view));
        }
        const int rows = static_cast<int>(std::min(height, unsigned(kBandRows)));
        band_.SetSizeForOverwrite(static_cast<int>(width), rows);
        const int lastRows = static_cast<int>(height % kBandRows);
        lastBand_.SetSizeForOverwrite(lastRows == 0 ? 0 : static_cast<int>(width), lastRows);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

void UprightTransfer::Run(TBitmap32& upright, bool keepAlpha, bool keepPaletteAlpha) noexcept {
    const int width = static_cast<int>(FreeImage_GetWidth(dib_));
    const int height = static_cast<int>(FreeImage_GetHeight(dib_));
#ifdef TESSOLY_TURN24_SSSE3
    if (direct24_) {
        TurnRows24(dib_, SwapTarget{upright, width, height, orientation_ == 7 || orientation_ == 8,
                                    orientation_ == 6 || orientation_ == 7});
        return;
    }
#endif
    for (std::size_t i = 0; i < bands_.size(); ++i) {
        const int top = static_cast<int>(i) * kBandRows;
        TBitmap32& band = height - top < kBandRows ? lastBand_ : band_;
        TransferLibraryPixels(bands_[i].get(), band, keepAlpha, keepPaletteAlpha);
        PlaceStoredRows(band.Bits(), width, height, top, band.Height(), orientation_, upright);
    }
}

} // namespace tessoly
